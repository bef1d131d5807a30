#!/usr/bin/env bash
# The whole show in vantor-x11 with its frame log, as bench/README.md measures it: a private
# 24-bit Xvfb, display mode 2 (pixel size 2, MIT-SHM), the music on MikMod's WAV writer. The
# program runs alone on CPU 0; the server and the music process share CPU 1.
# usage: bench/x11_show.sh [SHOW-DIR [LOG]]   (defaults: build/show, frames.log)
# Prints the figures of scripts/frame_stats.py; the log stays for --json.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
show=$(realpath "${1:-$top/build/show}")
log=$(realpath "${2:-frames.log}")
[ -x "$show/vantor-x11" ] || { echo "no vantor-x11 in $show: build first" >&2; exit 1; }
[ "$(nproc)" -ge 2 ] || { echo "two processors are needed" >&2; exit 1; }

work=$(mktemp -d)
xvfb_pid= program_pid=
cleanup() {
    for pid in $program_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
cd "$work" && ln -s "$show"/* .

mkfifo display.fifo
taskset -c 1 Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>display.fifo 2>/dev/null &
xvfb_pid=$!
read -r display <display.fifo
export DISPLAY=":$display"

wav=$(printf '4\n' | ./vantor-x11 2>/dev/null | awk '/Wav disk writer/ { print $1 }' || true)
[ -n "$wav" ] || { echo "MikMod offers no WAV writer" >&2; exit 1; }
printf '4\n%s\n44100\n2\n' "$wav" >answers
VANTOR_FRAME_LOG=$log taskset -c 0 ./vantor-x11 <answers >out.txt 2>&1 &
program_pid=$!
# The music child inherits CPU 0 at its fork: move it beside the server.
for _ in $(seq 200); do
    child=$(pgrep -P "$program_pid" | head -n 1 || true)
    [ -n "$child" ] && grep -q Using out.txt && break
    sleep 0.05
done
[ -n "${child:-}" ] && taskset -pc 1 "$child" >/dev/null
echo "the show runs (about three minutes)..." >&2
wait "$program_pid"
program_pid=
python3 "$top/scripts/frame_stats.py" "$log"
