#!/usr/bin/env bash
# Screenshot of Korvane Direct running against the simulated controller, on a
# private X server.
#
#   tools/screenshot.sh OUT.png [seconds] [--connect] [--exe PROGRAM]
#
# seconds: how long to let the program run before the shot (default 5).
# --connect: choose "Conexión > Conectar" from the keyboard first (needs xdotool),
#            then wait the seconds so that some poll cycles have run.
# --exe: another program to show instead of build/bundle/korvane-direct.
set -euo pipefail

source "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/simulator/bundle-env.sh"
source "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lib/xvfb.sh"

usage() {
    echo "uso: $0 SALIDA.png [segundos] [--connect] [--exe PROGRAMA]" >&2
    exit 2
}

out=""
seconds=5
connect=0
exe=""
while [ $# -gt 0 ]; do
    case "$1" in
    --connect) connect=1 ;;
    --exe)
        [ $# -ge 2 ] || usage
        exe="$2"
        shift
        ;;
    -h | --help) usage ;;
    *)
        if [ -z "$out" ]; then
            out="$1"
        elif [[ "$1" =~ ^[0-9]+([.][0-9]+)?$ ]]; then
            seconds="$1"
        else
            usage
        fi
        ;;
    esac
    shift
done
[ -n "$out" ] || usage
case "$out" in
/*) ;;
*) out="$PWD/$out" ;;
esac

for tool in Xvfb import; do
    command -v "$tool" > /dev/null || {
        echo "Falta $tool (tools/install-deps.sh instala xvfb e imagemagick)." >&2
        exit 1
    }
done
if [ "$connect" = 1 ] && ! command -v xdotool > /dev/null; then
    echo "Aviso: falta xdotool; la captura se hará sin conectar." >&2
    connect=0
fi

if [ -z "$exe" ]; then
    exe="$KORVANE_EXE"
    [ -x "$exe" ] || korvane_build
fi
[ -x "$exe" ] || {
    echo "No se encuentra el programa $exe" >&2
    exit 1
}

app_pid=""
cleanup() {
    if [ -n "$app_pid" ]; then
        kill "$app_pid" 2> /dev/null || true
        wait "$app_pid" 2> /dev/null || true
    fi
    korvane_stop_sim
    korvane_stop_xvfb
}
trap cleanup EXIT

korvane_start_xvfb
# A temporary folder of its own: the single-copy mark of a program started
# elsewhere on this machine (another work tree, a test) must not stop it.
export TMPDIR="$KORVANE_BUILD/tmp"
mkdir -p "$TMPDIR"

korvane_start_sim --demo
[ "$exe" != "$KORVANE_EXE" ] || korvane_prepare_config

app_log="$KORVANE_BUILD/screenshot-app.log"
"$exe" > "$app_log" 2>&1 &
app_pid=$!

if [ "$connect" = 1 ]; then
    title="Korvane Direct 1.2"
    win="$(timeout 20 xdotool search --sync --onlyvisible --name "^${title}\$" 2> /dev/null | head -n 1 || true)"
    if [ -z "$win" ]; then
        echo "Aviso: no apareció la ventana \"$title\"; se captura sin conectar." >&2
    else
        sleep 1 # let the window finish its start-up
        xdotool windowactivate --sync "$win" 2> /dev/null || xdotool windowfocus --sync "$win"
        # Without a window manager, focus the window directly as well.
        xdotool windowfocus --sync "$win" 2> /dev/null || true
        sleep 0.3
        # Alt alone enters the menu bar on "Archivo"; Right moves to "Conexión",
        # Down opens it on its first item, "Conectar"; Return chooses it.
        xdotool key --delay 150 alt Right Down Return
    fi
fi

sleep "$seconds"
if ! kill -0 "$app_pid" 2> /dev/null; then
    echo "Aviso: el programa terminó antes de la captura (registro: $app_log)." >&2
fi
mkdir -p "$(dirname "$out")"
import -display "$DISPLAY" -window root "$out"
echo "Captura guardada en $out"
