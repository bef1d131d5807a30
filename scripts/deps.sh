#!/usr/bin/env bash
# Installs the Debian packages that vantor6 needs and that are missing.
# Usage: scripts/deps.sh build|test
set -euo pipefail

build_packages=(
    build-essential cmake pkg-config
    libmikmod-dev libx11-dev libxext-dev libpng-dev libfreetype-dev fonts-dejavu-core
)
test_packages=(
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    xvfb x11-utils x11-apps imagemagick
    pulseaudio pulseaudio-utils openmpt123 sox ffmpeg
    tar gzip procps
)

wanted=("${build_packages[@]}")
[ "${1:-build}" = test ] && wanted+=("${test_packages[@]}")

missing=()
for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing Debian packages: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Please install as root: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${missing[@]}"
