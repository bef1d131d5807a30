#!/usr/bin/env bash
# Builds the release's Debian package: a Release build for the prefix /usr in build-release/
# (the programs, the show, the manual pages, the icons), cpack -G DEB, then lintian.
#   scripts/package.sh [--arm64] [BUILD_DIR]
# The package is BUILD_DIR/vantor6_VERSION-REVISION_ARCH.deb. With --arm64 it is made for
# 64-bit ARM in BUILD_DIR-arm64/ by the cross build (cmake/aarch64-linux-gnu.cmake), whose show
# generator comes from the native BUILD_DIR.
set -euo pipefail
cd "$(dirname "$0")/.."
arm64=false
if [ "${1:-}" = --arm64 ]; then
    arm64=true
    shift
fi
build=${1:-build-release}
options=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DVANTOR_TESTS=OFF
         -DVANTOR_BENCH=OFF -DVANTOR_SANITIZE=OFF -DVANTOR_HARDENING=ON)

scripts/deps.sh package
cmake -S . -B "$build" "${options[@]}" >/dev/null
if $arm64; then
    scripts/deps.sh cross
    cmake --build "$build" -j "$(nproc)" --target mkshow
    mkshow=$(cd "$build" && pwd)/content/mkshow
    build=$build-arm64
    cmake -S . -B "$build" --toolchain cmake/aarch64-linux-gnu.cmake "${options[@]}" \
        -DVANTOR_WEB=OFF -DVANTOR_HOST_MKSHOW="$mkshow" >/dev/null
fi
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/vantor6_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/vantor6_*.deb)
echo "lintian:"
lintian --tag-display-limit 0 --fail-on error "$deb" | sed 's/^/  /'
echo "$deb: $(du -h "$deb" | cut -f1)"
