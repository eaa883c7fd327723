#!/usr/bin/env bash
# Installs the Debian 12 packages Nivaro needs to build and test; quick when
# they are already there.
set -euo pipefail

packages=(build-essential cmake ninja-build libgtest-dev libbenchmark-dev libpng-dev libjpeg-dev libhwy-dev libfftw3-dev libgsl-dev libhdf5-dev pkg-config hdf5-tools python3-numpy python3-h5py python3-dev python3-pytest python3-tqdm python3-xarray python3-venv python3-setuptools python3-wheel python3-build pybind11-dev desktop-file-utils appstream dpkg-dev lintian help2man poppler-utils locales
          qt6-base-dev qt6-svg-dev fonts-dejavu-core fonts-liberation2 xvfb xauth xdotool clang libclang-rt-14-dev
          libgif-dev libopenmpi-dev openmpi-bin ffmpeg)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The tests check that files keep "." as decimal point under a German locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  $sudo sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  $sudo locale-gen
fi
