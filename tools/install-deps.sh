#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test Korvane Direct.
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
PKGS=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6serialport6-dev libqt6svg6
  libgl-dev xdotool
  libsqlite3-dev sqlite3
  libcurl4-openssl-dev
  libsdl2-mixer-dev
  python3 python3-aiosmtpd openssl
  xvfb xauth x11-apps x11-utils imagemagick poppler-utils
  fonts-liberation fonts-dejavu-core fonts-dejavu
  sox libsox-fmt-mp3
  dpkg-dev file desktop-file-utils
  clang libclang-rt-14-dev
)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
