#!/usr/bin/env bash
# Installs what is missing, builds everything, generates the show and runs every test.
#   ./test.sh [--sanitize] [CTEST-ARGS...]
# --sanitize builds in build-asan/ with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"

build=build sanitize=OFF
if [ "${1:-}" = --sanitize ]; then
    build=build-asan sanitize=ON
    shift
    # The console programs answer SIGSEGV, SIGBUS and SIGFPE themselves (they give the console
    # back, then die by the signal), and the tests check that: AddressSanitizer must leave
    # those signals to them.
    export ASAN_OPTIONS=${ASAN_OPTIONS:-handle_segv=0:handle_sigbus=0:handle_sigfpe=0}
fi

scripts/deps.sh test
# The browser build and its tests; without them the web tests are skipped, not failed.
scripts/deps.sh web || echo "test.sh: the browser's packages could not be installed: the web tests will be skipped"
# The arm64 cross build, tested under qemu-aarch64; without it the cross test is skipped.
scripts/deps.sh cross || echo "test.sh: the arm64 cross packages could not be installed: the cross test will be skipped"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVANTOR_TESTS=ON -DVANTOR_BENCH=ON \
    -DVANTOR_SANITIZE="$sanitize" >/dev/null
cmake --build "$build" -j "$(nproc)"
cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
