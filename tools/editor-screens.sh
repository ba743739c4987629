#!/usr/bin/env bash
# Pictures of the seven pages of the configuration editor, taken on a private
# X server, for the help page assets/hlp/configuracion.html.
#
#   tools/editor-screens.sh [OUTDIR]     (default: assets/hlp/editor)
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${KORVANE_BUILD_DIR:-$repo/build}"
out="${1:-$repo/assets/hlp/editor}"
source "$repo/tools/lib/xvfb.sh"
case "$out" in
/*) ;;
*) out="$PWD/$out" ;;
esac

command -v Xvfb > /dev/null || {
    echo "Falta Xvfb (tools/install-deps.sh instala xvfb)." >&2
    exit 1
}
cmake --build "$build" -j2 --target korvane-editor-shots

korvane_start_xvfb
trap korvane_stop_xvfb EXIT

"$build/korvane-editor-shots" "$out"
