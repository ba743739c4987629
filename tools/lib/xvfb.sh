# Sourced by the screenshot tools: a private X server for one run.
#
#   korvane_start_xvfb        starts Xvfb (1280x800) on a display number nobody
#                             uses, waits for its socket, sets DISPLAY and the
#                             variables the program needs under X, and leaves
#                             the server's pid in KORVANE_XVFB_PID;
#   korvane_stop_xvfb         stops it (nothing when none was started).

KORVANE_XVFB_PID=""

korvane_start_xvfb() {
    local display="" n
    for n in $(seq 90 199); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            display=":$n"
            break
        fi
    done
    [ -n "$display" ] || {
        echo "No hay un número de pantalla libre para Xvfb." >&2
        return 1
    }
    Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp > /dev/null 2>&1 &
    KORVANE_XVFB_PID=$!
    for _ in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X${display#:}" ] && break
        kill -0 "$KORVANE_XVFB_PID" 2> /dev/null || break
        sleep 0.1
    done
    [ -e "/tmp/.X11-unix/X${display#:}" ] || {
        echo "Xvfb no arrancó en $display" >&2
        return 1
    }
    export DISPLAY="$display" QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
    unset WAYLAND_DISPLAY
}

korvane_stop_xvfb() {
    [ -n "$KORVANE_XVFB_PID" ] || return 0
    kill "$KORVANE_XVFB_PID" 2> /dev/null || true
    wait "$KORVANE_XVFB_PID" 2> /dev/null || true
    KORVANE_XVFB_PID=""
}
