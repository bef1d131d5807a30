#!/usr/bin/env bash
# Builds the release's Debian package: a Release build for the prefix /usr in build-release/
# (the programs, the show, the manual pages, the icons), cpack -G DEB, then lintian.
#   scripts/package.sh [BUILD_DIR]
# The package is BUILD_DIR/vantor6_VERSION-REVISION_ARCH.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}

scripts/deps.sh package
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DVANTOR_TESTS=OFF -DVANTOR_BENCH=OFF -DVANTOR_SANITIZE=OFF -DVANTOR_HARDENING=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/vantor6_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/vantor6_*.deb)
echo "lintian:"
lintian --tag-display-limit 0 --fail-on error "$deb" | sed 's/^/  /'
echo "$deb: $(du -h "$deb" | cut -f1)"
