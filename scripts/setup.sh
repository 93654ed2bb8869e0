#!/usr/bin/env bash
# Installs what the build, the tests, the demo and the benchmarks need, with apt-get. Does nothing
# when all is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-serialport-dev libusb-1.0-0-dev
  libgtest-dev googletest
  lrzsz socat ser2net
  time
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

apt=(apt-get)
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: run as root to install: ${missing[*]}" >&2; exit 1; }
  apt=(sudo apt-get)
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! "${apt[@]}" install -y --no-install-recommends "${missing[@]}"; then
  "${apt[@]}" update
  "${apt[@]}" install -y --no-install-recommends "${missing[@]}"
fi
