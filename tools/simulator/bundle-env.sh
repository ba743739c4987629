# Shared by tools/demo.sh and the screenshot tools (sourced, not run).
# Builds the bundle when needed, prepares its Config.ini for the simulated
# controller and starts/stops the simulator.

KORVANE_REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
KORVANE_BUILD="$KORVANE_REPO/build"
KORVANE_BUNDLE="$KORVANE_BUILD/bundle"
KORVANE_EXE="$KORVANE_BUNDLE/korvane-direct"
KORVANE_LINK="$KORVANE_BUNDLE/ttyKORVANE"
KORVANE_PY=/usr/bin/python3
KORVANE_SIM_PID=""

korvane_build() {
    # Installs whatever Debian package is missing (asks for sudo when not root).
    "$KORVANE_REPO/tools/install-deps.sh"
    if [ ! -f "$KORVANE_BUILD/build.ninja" ]; then
        echo "Configurando la compilación en $KORVANE_BUILD ..."
        cmake -S "$KORVANE_REPO" -B "$KORVANE_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    fi
    # Ninja does nothing when everything is up to date.
    cmake --build "$KORVANE_BUILD" -j2
}

# Places of the lamps and panels on the demo's plant picture (img/planta.jpg,
# drawn by tools/assets/Plant.cpp): each running lamp beside its equipment,
# each panel beside its instrument, inputs 9 to 16 in the alarm strip.
korvane_demo_layout() {
    local icons=(168,138 168,362 446,112 253,196 423,308 508,46 90,46 300,46)
    local panels=(500,270 536,204 10,346 536,400)
    local n
    for n in $(seq 1 16); do
        local at
        if [ "$n" -le 8 ]; then at=${icons[$((n - 1))]}; else at=$((18 + 86 * (n - 9))),455; fi
        echo "Icono${n}X=${at%,*}"
        echo "Icono${n}Y=${at#*,}"
    done
    for n in 1 2 3 4; do
        local at=${panels[$((n - 1))]}
        echo "Panel${n}X=${at%,*}"
        echo "Panel${n}Y=${at#*,}"
    done
}

# The demo's four panels: temperature, pressure, level and flow, scaled from
# the controller's 0..255.
korvane_demo_panels() {
    cat << 'EOF_PANELS'
[Paneles]
Panel1=Si
Decimal1=1
A1=100
B1=255
C1=0
Unidad1=°C
Panel2=Si
Decimal2=2
A2=10
B2=255
C2=0
Unidad2=bar
Panel3=Si
Decimal3=0
A3=100
B3=255
C3=0
Unidad3=%
Panel4=Si
Decimal4=1
A4=60
B4=255
C4=0
Unidad4=m3/h
EOF_PANELS
}

# A demo Config.ini when there is none; otherwise only [Puertos] is touched.
korvane_prepare_config() {
    local ini="$KORVANE_BUNDLE/Config.ini"
    mkdir -p "$KORVANE_BUNDLE"
    if [ ! -f "$ini" ]; then
        echo "Escribiendo un Config.ini de demostración en $ini"
        cat > "$ini" <<EOF
[Comunicacion]
PuertoCom=0
BaudRate=1
DataBits=3
StopBits=0
Parity=0
FlowControl=2
DB=Si
RecordTime=0

[BotonesMenu]
Boton1=Si
Txt1=Bomba B-1
Boton2=Si
Txt2=Bomba B-2
Boton3=Si
Txt3=Agitador
Boton4=Si
Txt4=Válvula V-1
Boton5=Si
Txt5=Válvula V-2
Boton6=Si
Txt6=Compresor
Boton7=Si
Txt7=Ventilación
Boton8=Si
Txt8=Iluminación

[ImagenFondo]
Imagen=$KORVANE_BUNDLE/img/planta.jpg

[Iconos]
$(for n in $(seq 1 16); do
    on=Luz_Si.png
    [ "$n" -gt 8 ] && on=Luz_Roja.png
    echo "Ico$n=Si"
    echo "Off$n=$KORVANE_BUNDLE/img/Luz_No.png"
    echo "On$n=$KORVANE_BUNDLE/img/$on"
done)

$(korvane_demo_panels)

[Pantalla]
$(korvane_demo_layout)

[Alarmas]
Alarma1=1
ServerSMTP=127.0.0.1
Email=korvane@planta.local
PuertoSMTP=2525
UsuarioMail=korvane@planta.local
EmailDestino=operador@planta.local
HabilitaMail1=1
Asunto1=Aviso: entrada 15 activa
Mensaje1=La entrada 15 del controlador se ha activado.
HabilitaMail2=1
Asunto2=Alarma: entrada 16 activa
Mensaje2=La entrada 16 del controlador se ha activado. Revise la planta.

[Puertos]
COM1=$KORVANE_LINK
EOF
    else
        # Only [Puertos] changes: COM1, and the configured port if another.
        "$KORVANE_PY" "$KORVANE_REPO/tools/simulator/set_port.py" "$ini" "$KORVANE_LINK"
    fi
}

# Starts the simulated controller in the background with its device linked
# at $KORVANE_LINK. Extra arguments go to the simulator.
korvane_start_sim() {
    local log="$KORVANE_BUILD/korvane_sim.log"
    mkdir -p "$KORVANE_BUNDLE"
    "$KORVANE_PY" "$KORVANE_REPO/tools/simulator/korvane_sim.py" --link "$KORVANE_LINK" "$@" \
        < /dev/null > "$log" 2>&1 &
    KORVANE_SIM_PID=$!
    local i
    for i in $(seq 1 50); do
        if [ -L "$KORVANE_LINK" ] && grep -q '^PTY ' "$log"; then
            echo "Controlador simulado en $(readlink "$KORVANE_LINK") (enlace $KORVANE_LINK, registro $log)"
            return 0
        fi
        if ! kill -0 "$KORVANE_SIM_PID" 2> /dev/null; then
            break
        fi
        sleep 0.1
    done
    echo "No se pudo iniciar el controlador simulado:" >&2
    cat "$log" >&2
    korvane_stop_sim
    return 1
}

korvane_stop_sim() {
    if [ -n "$KORVANE_SIM_PID" ]; then
        kill "$KORVANE_SIM_PID" 2> /dev/null || true
        wait "$KORVANE_SIM_PID" 2> /dev/null || true
        KORVANE_SIM_PID=""
    fi
}
