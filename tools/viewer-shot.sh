#!/usr/bin/env bash
# Screenshot of the log viewer ("Registros > Ver Registros Guardados") over
# a log made by the demo, on a private X server.
#
#   tools/viewer-shot.sh OUT.png [--seconds N] [--fill LECTURA ESCRITURA] [--lang L]
#
# --seconds N: how long the program runs connected to the simulated
#              controller, logging, before the viewer opens (default 25; the
#              demo's Config.ini stores a row every 10 s at most).
# --fill L E:  first fill the bundle's database with L snapshots and E
#              commands made up by bench_viewer (the demo's rows follow them).
# --lang L:    the system locale the program sees (default es_AR.UTF-8): the
#              date pickers and the reports follow its date format.
# --more:      also OUT-calendario.png (the date picker's calendar),
#              OUT-reportes.png (the report window) and OUT-vista.png (the
#              preview of the inputs report).
set -euo pipefail

source "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/simulator/bundle-env.sh"
source "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lib/xvfb.sh"

out=""
seconds=25
fill_lectura=""
fill_escritura=""
lang="es_AR.UTF-8"
more=0
while [ $# -gt 0 ]; do
    case "$1" in
    --seconds)
        seconds="$2"
        shift
        ;;
    --more) more=1 ;;
    --lang)
        lang="$2"
        shift
        ;;
    --fill)
        fill_lectura="$2"
        fill_escritura="$3"
        shift 2
        ;;
    *) out="$1" ;;
    esac
    shift
done
[ -n "$out" ] || {
    echo "uso: $0 SALIDA.png [--seconds N] [--fill LECTURAS COMANDOS]" >&2
    exit 2
}
case "$out" in
/*) ;;
*) out="$PWD/$out" ;;
esac
for tool in Xvfb import xdotool; do
    command -v "$tool" > /dev/null || {
        echo "Falta $tool (tools/install-deps.sh)." >&2
        exit 1
    }
done
[ -x "$KORVANE_EXE" ] || korvane_build

if [ -n "$fill_lectura" ]; then
    "$KORVANE_BUILD/bench/bench_viewer" --fill "$KORVANE_BUNDLE/db/Korvane.db3" \
        "$fill_lectura" "$fill_escritura"
fi

app_pid=""
cleanup() {
    [ -z "$app_pid" ] || kill "$app_pid" 2> /dev/null || true
    [ -z "$app_pid" ] || wait "$app_pid" 2> /dev/null || true
    korvane_stop_sim
    korvane_stop_xvfb
    [ -z "${private_tmp:-}" ] || rm -rf "$private_tmp"
}
trap cleanup EXIT

korvane_start_xvfb
export LC_ALL="$lang"
# A temporary directory of its own: the single-copy lock of a program that
# runs elsewhere on this machine (another shot, a demo) does not stop this one.
private_tmp="$(mktemp -d)"
export TMPDIR="$private_tmp"

korvane_start_sim --demo
korvane_prepare_config
"$KORVANE_EXE" > "$KORVANE_BUILD/viewer-shot-app.log" 2>&1 &
app_pid=$!

win="$(timeout 20 xdotool search --sync --onlyvisible --name '^Korvane Direct 1.2$' | head -n 1 || true)"
[ -n "$win" ] || {
    echo "No apareció la ventana principal (registro: $KORVANE_BUILD/viewer-shot-app.log)." >&2
    exit 1
}
sleep 1
xdotool windowfocus --sync "$win" 2> /dev/null || true
# Conexión > Conectar, then let the logger store the demo's changes. Its
# first tick opens the database; commands are recorded from then on.
xdotool key --delay 150 alt Right Down Return
sleep 12
# Two commands, so that the commands log has rows too (Boton1 and Boton3).
for y in 109 205; do
    xdotool mousemove --window "$win" 806 "$y" click 1
    sleep 2
done
sleep "$seconds"
# Registros > Ver Registros Guardados.
xdotool windowfocus --sync "$win" 2> /dev/null || true
xdotool key --delay 150 alt Right Right Down Return
sleep 3
mkdir -p "$(dirname "$out")"
import -display "$DISPLAY" -window root "$out"
echo "Captura guardada en $out"
[ "$more" = 1 ] || exit 0

shot() {
    import -display "$DISPLAY" -window root "${out%.png}-$1.png"
    echo "Captura guardada en ${out%.png}-$1.png"
}
viewer="$(xdotool search --onlyvisible --name '^Consulta Log en Base de Datos$' | head -n 1)"
# "Activar Filtro", then the Desde picker's calendar.
xdotool mousemove --window "$viewer" 407 126 click 1
sleep 0.5
xdotool mousemove --window "$viewer" 628 111 click 1
sleep 1.5
shot calendario
xdotool key Escape
sleep 0.5
# "   Imprimir", then "Vista Preliminar Entradas".
xdotool mousemove --window "$viewer" 96 631 click 1
sleep 1.5
shot reportes
reports="$(xdotool search --onlyvisible --name '^Impresion de Reportes$' | head -n 1)"
xdotool mousemove --window "$reports" 168 215 click 1
sleep 3
shot vista
