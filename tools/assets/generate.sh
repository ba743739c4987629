#!/usr/bin/env bash
# Regenerates every picture and the alarm sound under assets/ (except db/):
#   img/*           pictures installed beside the program
#   builtin/*       pictures compiled in through assets/resources.qrc
#   icons/hicolor/* the desktop's application icon
#   alarm/Alarma.mp3
# Needs qt6-base-dev, cmake, ninja-build, imagemagick, sox, libsox-fmt-mp3.
# Usage: tools/assets/generate.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
assets=$(cd "$here/../../assets" && pwd)
build=${1:-${TMPDIR:-/tmp}/korvane-artwork}

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j1 >/dev/null

frames="$build/frames"
rm -rf "$frames"
mkdir -p "$frames"
QT_QPA_PLATFORM=offscreen "$build/make-artwork" "$assets" "$frames" >/dev/null

# The wait animation of the "Envio de Comando" window: 12 frames, 80 ms each.
magick=convert
[ -x /usr/bin/convert ] && magick=/usr/bin/convert
"$magick" -delay 8 -loop 0 "$frames"/espera_*.png -layers Optimize "$assets/builtin/espera.gif"

mkdir -p "$assets/alarm"
"$here/make_alarm.sh" "$assets/alarm/Alarma.mp3"
echo "artwork and alarm written under $assets"
