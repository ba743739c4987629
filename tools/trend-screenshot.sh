#!/usr/bin/env bash
# Screenshot of the trend window over a day of demo-like log data, on a
# private X server.
#
#   tools/trend-screenshot.sh OUT.png [--days N] [--keys "xdotool keys"] [--csv OUT.csv] [--hour]
#
# Copies the built program with its img/, alarm/ and hlp/ into a temporary
# directory, makes db/Korvane.db3 there from the schema and fills it with
# tools/trends/make_demo_log.py (a day of rows ending now), writes a demo
# Config.ini (the panels of tools/demo.sh), starts the
# program and opens "Registros > Ver Tendencias" from the keyboard. --keys
# sends more keys to the trend window before the shot (for example "Tab");
# --csv then exports the range shown with "Exportar CSV", through the save
# dialog; --hour shows "Última hora" instead of the day. The program's locale comes from the environment (LC_ALL, LANG).
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/tools/lib/xvfb.sh"
source "$repo/tools/simulator/bundle-env.sh"
bundle="$repo/build/bundle"
out=""
days=1
keys=""
csv=""
hour=0
while [ $# -gt 0 ]; do
    case "$1" in
    --days) days="$2"; shift ;;
    --keys) keys="$2"; shift ;;
    --csv) csv="$2"; shift ;;
    --hour) hour=1 ;;
    *) out="$1" ;;
    esac
    shift
done
[ -n "$out" ] || { echo "uso: $0 SALIDA.png [--days N] [--keys TECLAS]" >&2; exit 2; }
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac
for tool in Xvfb import xdotool sqlite3; do
    command -v "$tool" > /dev/null || { echo "Falta $tool (tools/install-deps.sh)." >&2; exit 1; }
done
[ -x "$bundle/korvane-direct" ] || { echo "Compile primero: falta $bundle/korvane-direct" >&2; exit 1; }

work="$(mktemp -d)"
app_pid=""
cleanup() {
    [ -z "$app_pid" ] || { kill "$app_pid" 2> /dev/null || true; wait "$app_pid" 2> /dev/null || true; }
    korvane_stop_xvfb
    [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

cp "$bundle/korvane-direct" "$work/"
cp -r "$bundle/img" "$bundle/alarm" "$bundle/hlp" "$work/"
mkdir -p "$work/db"
sqlite3 "$work/db/Korvane.db3" < "$repo/assets/db/schema.sql" > /dev/null
/usr/bin/python3 "$repo/tools/trends/make_demo_log.py" "$work/db/Korvane.db3" --days "$days"
korvane_demo_panels > "$work/Config.ini"

korvane_start_xvfb

# A lock of its own: another copy running elsewhere on this machine must not
# refuse this one.
TMPDIR="$work" "$work/korvane-direct" > "$work/app.log" 2>&1 &
app_pid=$!
main="$(timeout 20 xdotool search --sync --onlyvisible --name '^Korvane Direct 1.2$' | head -n 1)"
sleep 1
xdotool windowfocus --sync "$main" 2> /dev/null || true
# Alt enters the menu bar on "Archivo"; two steps right is "Registros"; Down
# opens it on "Ver Registros Guardados", the next Down is "Ver Tendencias".
xdotool key --delay 200 alt Right Right Down Down Return
win="$(timeout 20 xdotool search --sync --onlyvisible --name '^Tendencias$' | head -n 1)"
xdotool windowmove "$win" 0 0 windowsize "$win" 1260 780
sleep 2
if [ "$hour" = 1 ]; then
    xdotool mousemove --window "$win" 433 21 click 1
    sleep 1.5
fi
[ -z "$keys" ] || { xdotool windowfocus "$win"; xdotool key --delay 150 $keys; sleep 1; }
# The cursor in the middle of the plot, to show the read-out.
xdotool mousemove --window "$win" 640 330
sleep 1
mkdir -p "$(dirname "$out")"
import -display "$DISPLAY" -window "$win" "$out"
echo "Captura guardada en $out"

if [ -n "$csv" ]; then
    case "$csv" in /*) ;; *) csv="$PWD/$csv" ;; esac
    rm -f "$csv"
    # "Exportar CSV" sits left of the other buttons of the second row.
    xdotool windowfocus "$win" 2> /dev/null || true
    xdotool mousemove --window "$win" 786 50 click 1
    dialog="$(timeout 20 xdotool search --sync --onlyvisible --name '^Exportar registros$' | head -n 1)"
    xdotool windowfocus "$dialog" 2> /dev/null || true
    sleep 0.5
    xdotool key ctrl+a
    xdotool type --delay 20 "$csv"
    xdotool key Return
    for _ in $(seq 1 100); do [ -f "$csv" ] && break; sleep 0.2; done
    [ -f "$csv" ] && echo "CSV guardado en $csv" || echo "No se pudo exportar el CSV" >&2
fi
