#!/usr/bin/env bash
# Builds the show for the browser: BUILD_DIR/site/ holds index.html, vantor6.js, vantor6.wasm,
# vantor6.data (the show's data tree) and the licence of the libmikmod linked into it.
#   web/build.sh SHOW_DIR [BUILD_DIR]
# SHOW_DIR is the data tree that the native build generated (build/show); BUILD_DIR defaults to
# build-web/ beside the sources. Needs Debian's emscripten (scripts/deps.sh web).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 1 ] && [ -f "$1/music/vantor6.xm" ] || {
    echo "usage: $0 SHOW_DIR [BUILD_DIR]  (SHOW_DIR: the generated show, e.g. build/show)" >&2
    exit 2
}
command -v emcmake >/dev/null || {
    echo "web/build.sh: emscripten is not installed (scripts/deps.sh web)" >&2
    exit 1
}
show=$(cd "$1" && pwd)
build=${2:-$top/build-web}
mkdir -p "$build"
build=$(cd "$build" && pwd)

# Debian's emscripten runs its JavaScript tools under the machine's node, which does not look
# in Debian's own module folder.
export NODE_PATH=${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs
# Nothing of the host may reach the wasm link: no pkg-config answers at all.
export PKG_CONFIG_LIBDIR=/nonexistent PKG_CONFIG_PATH=

"$top/web/libmikmod.sh" "$top/.cache/libmikmod" "$build/libmikmod"
# emcmake says which command it runs; only what goes wrong is of interest.
emcmake cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVANTOR_SHOW_DIR="$show" \
    -DVANTOR_MIKMOD_DIR="$build/libmikmod" 2>&1 >/dev/null | { grep -v '^configure: ' >&2 || true; }
# A build of its own, also when the native build's make runs this: not that make's jobs.
env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL cmake --build "$build" -j "$(nproc)"
