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

# A local mail sink receives the e-mail notices of inputs 15 and 16.
mail_log="$KORVANE_BUILD/korvane_mail.log"
mail_pid=""
if ! "$KORVANE_PY" -c "import aiosmtpd" 2> /dev/null; then
    echo "Aviso: falta el módulo de Python aiosmtpd (paquete python3-aiosmtpd);" \
        "el buzón local no se inicia y los avisos por correo fallarán." >&2
else
    "$KORVANE_PY" "$KORVANE_REPO/tools/mail-server.py" --port 2525 > "$mail_log" 2>&1 &
    mail_pid=$!
    sleep 0.5
    if ! kill -0 "$mail_pid" 2> /dev/null; then
        echo "Aviso: el buzón local no pudo iniciarse en el puerto 2525:" >&2
        cat "$mail_log" >&2
        mail_pid=""
    fi
fi
control="$KORVANE_BUILD/korvane-sim.ctl"
trap 'korvane_stop_sim; [ -z "$mail_pid" ] || kill "$mail_pid" 2> /dev/null || true; rm -f "$control"' EXIT
korvane_start_sim --demo --control "$control"
korvane_prepare_config

cat <<EOF
La planta de demostración: los botones arrancan y paran los equipos (el
botón N cambia la entrada N), el nivel, la presión, la temperatura y el
caudal varían solos. Para mover el controlador simulado desde otra terminal:
  echo "in 15 1" > $control     # aviso 1 por correo (llega a $mail_log)
  echo "in 16 1" > $control     # alarma sonora y aviso 2
  echo "in 16 0" > $control     # fin de la alarma
  echo "in 14 1" > $control     # parada de emergencia (lámpara roja)
  echo "mode noise" > $control  # ruido en la línea ("mode normal" para volver)
EOF

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
