#!/usr/bin/env bash
# Pictures of the seven pages of the configuration editor, taken on a private
# X server, for the help page assets/hlp/configuracion.html.
#
#   tools/editor-screens.sh [OUTDIR]     (default: assets/hlp/editor)
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${KORVANE_BUILD_DIR:-$repo/build}"
out="${1:-$repo/assets/hlp/editor}"
case "$out" in
/*) ;;
*) out="$PWD/$out" ;;
esac

command -v Xvfb > /dev/null || {
    echo "Falta Xvfb (tools/install-deps.sh instala xvfb)." >&2
    exit 1
}
cmake --build "$build" -j2 --target korvane-editor-shots

display=""
for n in $(seq 90 199); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        display=":$n"
        break
    fi
done
[ -n "$display" ] || {
    echo "No hay un número de pantalla libre para Xvfb." >&2
    exit 1
}
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp > /dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2> /dev/null || true; wait "$xvfb_pid" 2> /dev/null || true' EXIT
for _ in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X${display#:}" ] && break
    sleep 0.1
done

DISPLAY="$display" QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy \
    "$build/korvane-editor-shots" "$out"
