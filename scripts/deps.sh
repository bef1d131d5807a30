#!/usr/bin/env bash
# Installs the Debian packages that vantor6 needs and that are missing.
# Usage: scripts/deps.sh build|test|web|package|cross
#   web: the browser build and its tests (Debian's emscripten, chromium, a websocket client for
#   driving the browser, and apt's source tools for libmikmod's source package).
#   cross: the arm64 build (cmake/aarch64-linux-gnu.cmake): Debian's cross compiler, qemu's
#   user-mode emulator for its tests, and the arm64 libraries beside the native ones (multiarch).
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

# The arm64 libraries must be the same versions as the native ones they sit beside, so apt may
# bring the native ones up to date with them; it must never remove one (checked below).
cross_packages=(
    g++-aarch64-linux-gnu qemu-user
    libmikmod-dev:arm64 libx11-dev:arm64 libxext-dev:arm64 libpng-dev:arm64
    libfreetype-dev:arm64 libgtest-dev:arm64 libstdc++6:arm64
)

kind=${1:-build}
case $kind in
build) wanted=("${build_packages[@]}") ;;
test) wanted=("${build_packages[@]}" "${test_packages[@]}" "${package_packages[@]}") ;;
web) wanted=("${web_packages[@]}") ;;
cross) wanted=("${cross_packages[@]}") ;;
package) wanted=("${build_packages[@]}" "${package_packages[@]}") ;;
*) echo "usage: $0 build|test|web|package|cross" >&2; exit 2 ;;
esac

# Installed: a package named with its architecture (libpng-dev:arm64) in that one, any other in
# this machine's own or as "all" - the arm64 one beside it does not count.
native=$(dpkg --print-architecture)
installed() {
    local name=${1%%:*} arch=${1#*:}
    [ "$arch" = "$1" ] && arch=$native
    dpkg-query -W -f='${Architecture} ${Status}\n' "$name" 2>/dev/null |
        grep -Eq "^($arch|all) install ok installed"
}
missing=()
for p in "${wanted[@]}"; do
    installed "$p" || missing+=("$p")
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
if [ "$kind" = cross ]; then
    options+=(--no-install-recommends)
    dpkg --print-foreign-architectures | grep -qx arm64 || "${sudo[@]}" dpkg --add-architecture arm64
fi
"${sudo[@]}" apt-get update -qq
if [ "$kind" = cross ]; then
    # A -dev package that cannot live beside its native twin would replace it: refuse.
    plan=$(apt-get -s install "${options[@]}" "${missing[@]}") || {
        echo "$plan" | tail -5 >&2
        echo "The arm64 packages cannot be installed here" >&2
        exit 1
    }
    if echo "$plan" | grep -q '^Remv '; then
        echo "Installing the arm64 packages would remove these packages:" >&2
        echo "$plan" | grep '^Remv ' >&2
        echo "Not installed; install them by hand if that is what you want: ${missing[*]}" >&2
        exit 1
    fi
fi
"${sudo[@]}" apt-get install "${options[@]}" "${missing[@]}"
fetch_kernel
