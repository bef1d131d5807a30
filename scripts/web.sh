#!/usr/bin/env bash
# The show in a browser tab. Installs what is missing, generates the show's data with the native
# build, and builds build-web/site/, a static folder that any web server can host.
#   scripts/web.sh                  build
#   scripts/web.sh serve [--port N] build, then serve it on 127.0.0.1 (port 8060) and print the URL
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build
scripts/deps.sh web
# The data tree comes from the native generator; an existing build keeps its own options.
if [ -f build/CMakeCache.txt ]; then
    cmake -S . -B build >/dev/null
else
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVANTOR_TESTS=OFF -DVANTOR_BENCH=OFF >/dev/null
fi
cmake --build build -j "$(nproc)" --target show_data
web/build.sh build/show build-web
echo "The site is in build-web/site/"

if [ "${1:-}" = serve ]; then
    shift
    exec /usr/bin/python3 web/serve.py build-web/site "$@"
fi
