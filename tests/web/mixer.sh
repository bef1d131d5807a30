#!/usr/bin/env bash
# The browser build's mixer against the system's libmikmod: the first seconds of the show's
# music, mixed by the same code with each library, must be the same bytes.
#   mixer.sh NATIVE_MIXER_PCM WASM_MIXER_PCM_JS MODULE [SECONDS]
set -euo pipefail
native=$1 wasm=$2 module=$3 seconds=${4:-20}

command -v node >/dev/null || { echo "skipped: node is not installed"; exit 77; }
if [ ! -f "$wasm" ]; then
    command -v emcc >/dev/null ||
        { echo "skipped: emscripten is not installed, so there is no web build"; exit 77; }
    echo "no $wasm: build the web build (scripts/web.sh)"
    exit 1
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$native" "$module" "$seconds" "$tmp/native.raw"
node --no-experimental-fetch "$wasm" "$module" "$seconds" "$tmp/wasm.raw"

bytes=$((seconds * 44100 * 4))
size=$(stat -c %s "$tmp/native.raw")
[ "$size" -eq "$bytes" ] || { echo "FAIL the native mixer wrote $size bytes, not $bytes"; exit 1; }
# Silence on both sides would compare equal too: the song must be playing.
if cmp -s "$tmp/native.raw" <(head -c "$bytes" /dev/zero); then
    echo "FAIL the native mixer wrote only silence"
    exit 1
fi
if cmp "$tmp/native.raw" "$tmp/wasm.raw"; then
    echo "ok   the browser's mixer wrote the native mixer's $bytes bytes ($seconds s)"
else
    echo "FAIL the browser's mixer differs from the native one"
    exit 1
fi
