#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and running Tallis needs.
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  iproute2 util-linux procps python3 lua5.4
  xvfb xauth xdotool x11-utils imagemagick trayer
  fonts-dejavu-core
  dbus-daemon systemd libglib2.0-bin python3-dbus python3-gi
  scdoc man-db desktop-file-utils dpkg-dev file
  libsystemd-dev lintian
  libmosquitto-dev mosquitto mosquitto-clients openssl
  libicu-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
