#!/usr/bin/env bash
# Korvane Direct against a simulated Zelio Logic controller (Macro Dravik).
# Builds <repo>/build when needed, starts the simulator on a pseudo-terminal
# linked at build/bundle/ttyKORVANE, makes Config.ini point COM1 there and
# runs the program. Connect with "Conexión > Conectar". The simulator stops
# when the program ends.
set -euo pipefail

source "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/simulator/bundle-env.sh"

korvane_build
if [ ! -x "$KORVANE_EXE" ]; then
    echo "No se encuentra $KORVANE_EXE tras la compilación." >&2
    exit 1
fi

trap korvane_stop_sim EXIT
korvane_start_sim --demo
korvane_prepare_config

echo "Iniciando Korvane Direct. Para leer el equipo: menú Conexión > Conectar."
status=0
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Nota: no hay pantalla (DISPLAY/WAYLAND_DISPLAY vacíos); se ejecuta en un" \
        "servidor X virtual (xvfb-run) y la ventana no se verá." \
        "Para una captura use tools/screenshot.sh."
    xvfb-run -a -s "-screen 0 1280x800x24" "$KORVANE_EXE" || status=$?
else
    "$KORVANE_EXE" || status=$?
fi
exit "$status"
