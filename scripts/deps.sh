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
    qemu-system-x86 busybox-static cpio kmod xz-utils python3
)

wanted=("${build_packages[@]}")
[ "${1:-build}" = test ] && wanted+=("${test_packages[@]}")

missing=()
for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# The console tests boot Debian's kernel under qemu: unpacked into .cache/, never installed.
fetch_kernel() {
    [ "${1:-build}" = test ] || return 0
    local top
    top=$(cd "$(dirname "$0")/.." && pwd)
    "$top/tests/console/kernel.sh" "$top/.cache/qemu-kernel"
}
if [ ${#missing[@]} -eq 0 ]; then
    fetch_kernel "${1:-build}"
    exit 0
fi

echo "Installing missing Debian packages: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Please install as root: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${missing[@]}"
fetch_kernel "${1:-build}"
