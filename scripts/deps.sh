#!/bin/sh
# Installs the Debian 12 packages that building and testing Kelvarro need,
# only when one of them is missing.
set -e
PACKAGES="build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev \
  googletest libgtest-dev libgmock-dev libbenchmark-dev libsdl2-dev \
  libgl-dev libegl-dev libgl1-mesa-dri libegl-mesa0 libfreetype-dev fonts-dejavu-core \
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev \
  libcdio-dev libcdio-paranoia-dev libcdio-cdda-dev libenet-dev qt6-base-dev"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q $missing
