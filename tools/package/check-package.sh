#!/usr/bin/env bash
# Builds the Debian package from a configured build folder, installs it with
# apt (pulling its dependencies), starts the installed program under Xvfb as
# an operator in the groups korvane and dialout, checks that the main window
# appears and that the program wrote nothing outside its folder, then checks
# that an upgrade keeps Config.ini and the logs, that removing the package
# keeps them and that purging it deletes them. Run as root on a machine where
# the package may be installed for real (CI).
# Usage: tools/package/check-package.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?uso: $0 CARPETA_DE_COMPILACION}" && pwd)
dir=/opt/korvane-direct
user=operador
export DEBIAN_FRONTEND=noninteractive

say() { echo "== $*"; }
fail() {
    echo "FALLA: $*" >&2
    exit 1
}

say "Paquete"
cmake -S "$build/.." -B "$build" -DCMAKE_INSTALL_PREFIX="$dir" > /dev/null
rm -f "$build"/korvane-direct_*.deb
(cd "$build" && cpack -G DEB > /dev/null)
deb=$(ls "$build"/korvane-direct_*.deb)
echo "$(basename "$deb"): $(du -k "$deb" | cut -f1) kB"
dpkg-deb -f "$deb" Depends

say "Instalación con apt"
apt-get install -y -q "$deb" > /dev/null
[ -x /usr/bin/korvane-direct ] || fail "no hay lanzador en /usr/bin"
[ -f /usr/share/applications/korvane-direct.desktop ] || fail "no hay entrada de escritorio"
[ -f /usr/share/icons/hicolor/48x48/apps/korvane-direct.png ] || fail "no hay icono"
[ -f "$dir/db/Korvane.db3" ] || fail "no hay base de datos"
for f in "$dir/Config.ini" "$dir/db/Korvane.db3"; do
    [ "$(stat -c %G "$f")" = korvane ] || fail "$f no es del grupo korvane"
    [ -n "$(find "$f" -perm -g+w)" ] || fail "$f no es modificable por el grupo"
done
[ "$(sqlite3 "$dir/db/Korvane.db3" "select count(*) from sqlite_master where type='table'")" = 2 ] ||
    fail "la base de datos instalada no tiene sus dos tablas"
desktop-file-validate /usr/share/applications/korvane-direct.desktop ||
    fail "la entrada de escritorio no es válida"

say "Arranque como operador, conectado al controlador simulado"
id "$user" > /dev/null 2>&1 || adduser --disabled-password --gecos "" "$user" > /dev/null
adduser --quiet "$user" korvane
adduser --quiet "$user" dialout
# The simulated controller runs as the operator, who then owns its line; a
# copy of it, since the operator may not read the checkout.
repo=$(cd "$(dirname "$0")/../.." && pwd)
install -m 0644 "$repo/tools/simulator/korvane_sim.py" /tmp/korvane_sim.py
link=/tmp/korvane-sim-tty
rm -f "$link" /tmp/korvane-sim.log
runuser -u "$user" -- python3 /tmp/korvane_sim.py --link "$link" --demo \
    < /dev/null > /tmp/korvane-sim.log 2>&1 &
sim=$!
for _ in $(seq 1 50); do
    grep -q '^PTY ' /tmp/korvane-sim.log && break
    sleep 0.1
done
printf '[Puertos]\nCOM1=%s\n' "$link" >> "$dir/Config.ini"
display=""
for n in $(seq 91 120); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        display=":$n"
        break
    fi
done
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp -ac > /dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X${display#:}" ] && break
    sleep 0.1
done
# A temporary folder of the operator's own, where the single-copy mark goes,
# so that a program left running on this machine cannot stand in the way.
tmp=/tmp/korvane-$user
rm -rf "$tmp"
install -d -o "$user" -m 0700 "$tmp"
# The runtime folder a desktop session gives every user.
runtime=/run/user/$(id -u "$user")
install -d -o "$user" -m 0700 "$runtime"
marker=$(mktemp)
sleep 1.1 # every file the program writes is newer than the marker
runuser -u "$user" -- env -i HOME="/home/$user" PATH=/usr/bin:/bin DISPLAY="$display" \
    TMPDIR="$tmp" XDG_RUNTIME_DIR="$runtime" SDL_AUDIODRIVER=dummy LANG=C.UTF-8 korvane-direct \
    > /tmp/korvane-package.log 2>&1 &
app=$!
win=$(DISPLAY="$display" timeout 30 xdotool search --sync --onlyvisible --name '^Korvane Direct 1.2$' |
    head -n 1 || true)
[ -n "$win" ] || {
    cat /tmp/korvane-package.log
    fail "no apareció la ventana principal"
}
echo "ventana principal: $win"
sleep 2
kill -0 "$app" 2> /dev/null || fail "el programa terminó solo"
# Conexión > Conectar, then a few poll cycles.
DISPLAY="$display" xdotool windowfocus --sync "$win" 2> /dev/null || true
DISPLAY="$display" xdotool key --delay 200 alt Right Down Return
sleep 4
frames=$(grep -c '^RX .*:01030000FF' /tmp/korvane-sim.log || true)
[ "$frames" -ge 6 ] || fail "el programa no leyó el controlador simulado ($frames tramas)"
echo "$frames tramas de lectura recibidas por el controlador simulado"
# Closed as an operator would: Archivo > Cerrar Aplicacion, and Yes to the
# close question.
export DISPLAY="$display"
xdotool windowfocus --sync "$win" 2> /dev/null || true
xdotool key --delay 200 alt Down Return
sleep 1
xdotool key --delay 200 Return
for _ in $(seq 1 50); do
    kill -0 "$app" 2> /dev/null || break
    sleep 0.1
done
if kill -0 "$app" 2> /dev/null; then
    pkill -KILL -u "$user" -x korvane-direct || true
    fail "el programa no se cerró con Archivo > Cerrar Aplicacion"
fi
wait "$app" 2> /dev/null || true
unset DISPLAY
kill "$sim" 2> /dev/null || true
wait "$sim" 2> /dev/null || true
kill "$xvfb" 2> /dev/null || true
wait "$xvfb" 2> /dev/null || true
# Everything the program wrote belongs to the operator.
written=$(find / -xdev -user "$user" -newer "$marker" -not -type d \
    -not -path "$dir/*" -not -path '/proc/*' 2> /dev/null || true)
rm -f "$marker"
rmdir "$tmp"
if [ -n "$written" ]; then
    echo "$written"
    fail "el programa escribió fuera de $dir"
fi
echo "nada escrito fuera de $dir"

say "Actualización: la configuración y los registros se conservan"
printf '[Prueba]\nClave=1\n' >> "$dir/Config.ini"
sqlite3 "$dir/db/Korvane.db3" \
    "insert into Escritura (Fecha,Bit1) values ('2026-01-01 00:00:00','Si')"
apt-get install -y -q --reinstall "$deb" > /dev/null
grep -q '^Clave=1$' "$dir/Config.ini" || fail "la actualización reemplazó Config.ini"
[ "$(sqlite3 "$dir/db/Korvane.db3" 'select count(*) from Escritura')" = 1 ] ||
    fail "la actualización reemplazó la base de datos"

say "Desinstalación: se conservan; purga: se borran"
apt-get remove -y -q korvane-direct > /dev/null
[ -f "$dir/Config.ini" ] && [ -f "$dir/db/Korvane.db3" ] || fail "remove borró los datos"
[ ! -e /usr/bin/korvane-direct ] || fail "remove dejó el lanzador"
apt-get purge -y -q korvane-direct > /dev/null
[ ! -e "$dir/Config.ini" ] && [ ! -e "$dir/db/Korvane.db3" ] || fail "purge dejó los datos"
echo "paquete correcto"
