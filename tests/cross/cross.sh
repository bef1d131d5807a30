#!/usr/bin/env bash
# The show built for arm64 and run under emulation must draw what this machine draws:
#   1. configures and builds the arm64 tree (cmake/aarch64-linux-gnu.cmake): the capture program
#      and the unit tests, with this machine's mkshow as the generator;
#   2. runs the unit tests there, under qemu-aarch64 (CMake's cross-compiling emulator);
#   3. hashes every frame of the whole show with both captures and compares them line for line;
#   4. makes the arm64 Debian package there, unpacks it, and runs its capture from / on the show
#      it holds: the same hashes again.
# Exits 77 (skipped) with a message where the cross compiler, qemu or the arm64 libraries are
# missing; scripts/deps.sh cross installs them.
#
# usage: cross.sh SOURCE-DIR ARM64-BUILD-DIR HOST-MKSHOW CAPTURE SHOW-DIR
set -euo pipefail

if [ $# -ne 5 ]; then
    sed -n '2,10p' "$0" >&2
    exit 2
fi
source=$1 tree=$2 mkshow=$3 capture=$4 show=$5

skip() {
    echo "skipped: $* (scripts/deps.sh cross installs what the arm64 build needs)"
    exit 77
}
command -v aarch64-linux-gnu-g++ > /dev/null || skip "no arm64 cross compiler"
command -v qemu-aarch64 > /dev/null || skip "no qemu-aarch64"
PKG_CONFIG_LIBDIR=/usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig pkg-config --exists libmikmod x11 xext libpng freetype2 ||
    skip "the arm64 libraries are not installed"
[ -e /usr/lib/aarch64-linux-gnu/libgtest.a ] || skip "the arm64 GoogleTest is not installed"

mkdir -p "$tree"
log=$tree/cross.log
# Runs a step, its output in the log; on failure shows the end of the log.
step() {
    local name=$1 start=$SECONDS
    shift
    if ! "$@" >> "$log" 2>&1; then
        echo "cross: $name failed; the end of $log:"
        tail -n 60 "$log"
        exit 1
    fi
    echo "cross: $name: $((SECONDS - start)) s"
}
: > "$log"
jobs=$(nproc)
step "configure" cmake -S "$source" -B "$tree" --toolchain "$source/cmake/aarch64-linux-gnu.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVANTOR_HOST_MKSHOW="$mkshow" \
    -DVANTOR_TESTS=ON -DVANTOR_BENCH=OFF -DVANTOR_WEB=OFF
step "build" cmake --build "$tree" -j "$jobs" --target vantor-capture unit_tests
step "unit tests under qemu-aarch64" ctest --test-dir "$tree" --output-on-failure -j "$jobs"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run_capture() {
    "$@" --data "$show" --hash > "$work/out" 2> "$work/errors" || {
        echo "cross: the capture failed: $*"
        cat "$work/errors"
        exit 1
    }
    grep -E '^s[0-9]+ f[0-9]+ ' "$work/out"
}
start=$SECONDS
run_capture "$capture" > "$work/native"
run_capture qemu-aarch64 "$tree/capture/vantor-capture" > "$work/arm64"
echo "cross: the whole show hashed on both: $((SECONDS - start)) s"

frames=$(wc -l < "$work/native")
if [ "$frames" -lt 1000 ]; then
    echo "cross: the native capture hashed only $frames frames"
    exit 1
fi
if ! cmp -s "$work/native" "$work/arm64"; then
    echo "cross: arm64 draws other frames than $(uname -m) (native < > arm64):"
    diff "$work/native" "$work/arm64" | head -n 40
    echo "cross: $(diff "$work/native" "$work/arm64" | grep -c '^>' || true) of $frames lines differ"
    exit 1
fi
echo "cross: all $frames frames of the show are the same on arm64"

# The arm64 package: everything else in the tree, cpack, then the unpacked capture started from /
# must find the packaged show by itself and draw the same frames.
step "package" cmake --build "$tree" -j "$jobs"
rm -f "$tree"/vantor6_*.deb
step "cpack" bash -c 'cd "$1" && cpack -G DEB' cpack "$tree"
deb=$(ls "$tree"/vantor6_*_arm64.deb)
dpkg -x "$deb" "$work/root"
(cd / && qemu-aarch64 "$work/root/usr/bin/vantor-capture" --hash 2> "$work/errors") |
    grep -E '^s[0-9]+ f[0-9]+ ' > "$work/packaged" || true
if ! cmp -s "$work/native" "$work/packaged"; then
    echo "cross: the capture of $(basename "$deb"), run from /, draws other frames:"
    diff "$work/native" "$work/packaged" | head -n 20
    cat "$work/errors"
    exit 1
fi
echo "cross: $(basename "$deb") from /: the same $frames frames"
