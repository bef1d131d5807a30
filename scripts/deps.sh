#!/usr/bin/env bash
# Installs the Debian packages that vantor6 needs and that are missing.
# Usage: scripts/deps.sh build|test|web|package
#   web: the browser build and its tests (Debian's emscripten, chromium, a websocket client for
#   driving the browser, and apt's source tools for libmikmod's source package).
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
    man-db bsdextrautils
)
# The Debian package (scripts/package.sh): cpack's dependency computation and the checks;
# the tests build and check it too.
package_packages=(
    dpkg-dev file lintian desktop-file-utils appstream
)
# Installed without recommends: chromium's would upgrade half the system.
web_packages=(
    emscripten chromium python3 python3-websocket dpkg-dev gzip fonts-dejavu-core
)

kind=${1:-build}
case $kind in
build) wanted=("${build_packages[@]}") ;;
test) wanted=("${build_packages[@]}" "${test_packages[@]}" "${package_packages[@]}") ;;
web) wanted=("${web_packages[@]}") ;;
package) wanted=("${build_packages[@]}" "${package_packages[@]}") ;;
*) echo "usage: $0 build|test|web|package" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# The console tests boot Debian's kernel under qemu: unpacked into .cache/, never installed.
fetch_kernel() {
    [ "$kind" = test ] || return 0
    local top
    top=$(cd "$(dirname "$0")/.." && pwd)
    "$top/tests/console/kernel.sh" "$top/.cache/qemu-kernel"
}
if [ ${#missing[@]} -eq 0 ]; then
    fetch_kernel
    exit 0
fi

echo "Installing missing Debian packages: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Please install as root: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
fi
options=(-y -qq)
[ "$kind" = web ] && options+=(--no-install-recommends)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install "${options[@]}" "${missing[@]}"
fetch_kernel
