#!/usr/bin/env bash
# Installs what is missing, builds vantor6 and starts the show (--web: in a browser tab).
set -euo pipefail
cd "$(dirname "$0")"

# ./demo.sh --web [--port N]: the show in a browser tab, served on this machine.
if [ "${1:-}" = --web ]; then
    shift
    exec scripts/web.sh serve "$@"
fi

scripts/deps.sh build
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVANTOR_TESTS=OFF -DVANTOR_BENCH=OFF >/dev/null
cmake --build build -j "$(nproc)"

cd build/show
if [ -n "${DISPLAY:-}" ]; then
    exec ./vantor-x11 "$@"
fi
# On a text console with a framebuffer the console program can show it.
case $(readlink -f /proc/$$/fd/1) in
/dev/tty[0-9]*) [ -e /dev/fb0 ] && exec ./vantor-fb ;;
esac
cat <<'MSG'
No X display ($DISPLAY is not set), so the X11 program can't open its window.
The show has been built into build/show/. To watch it:
  - from a desktop session:  cd build/show && ./vantor-x11
  - on a Linux text console with a framebuffer (/dev/fb0):
                             cd build/show && ./vantor-fb    (or ./vantor-svga)
  - without any screen, frames to PNG:  cd build/show && ./vantor-capture --out frames --every 10
MSG
