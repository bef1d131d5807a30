#!/usr/bin/env bash
# Soak: many whole shows, each killed at a random moment by a random one of SIGTERM, SIGINT,
# SIGHUP and SIGKILL, or left to finish. After every run: the documented exit status, no
# process of the program left, no shared-memory segment of it left, and (for vantor-x11 on
# MikMod's WAV writer) a music.wav whose header matches its data.
# Usage: scripts/soak.sh [CAPTURE-RUNS [X11-RUNS]]   (default 20 and 5; needs a built tree;
# VANTOR_SHOW names another folder holding the programs and the data, default build/show)
set -euo pipefail
cd "$(dirname "$0")/.."
capture_runs=${1:-20} x11_runs=${2:-5}
show=$(realpath "${VANTOR_SHOW:-build/show}")
. tests/e2e/music_common.sh
[ -x "$show/vantor-capture" ] && [ -x "$show/vantor-x11" ] || fail "build the project first"

work=$(mktemp -d)
xvfb_pid=
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work" && ln -s "$show"/* .

signals=(TERM INT HUP KILL none)
declare -A expected=([TERM]=143 [INT]=130 [HUP]=129 [KILL]=137 [none]=0)
declare -A tally=()
failures=0

# The program's processes working in this directory.
leftovers() {
    for p in $(pgrep -x "$1"); do
        [ "$(readlink "/proc/$p/cwd" 2>/dev/null)" = "$work" ] && alive "$p" && echo "$p"
    done
    true
}

# soak_run NAME PROGRAM LONGEST-SECONDS: one run with the answers on standard input, killed
# at a random moment or not.
soak_run() {
    local name=$1 program=$2 longest=$3 signal delay pid status left segments
    signal=${signals[RANDOM % ${#signals[@]}]}
    delay=$(awk -v r="$RANDOM" -v l="$longest" 'BEGIN { printf "%.2f", r / 32768 * l }')
    rm -f music.wav
    "$program" <answers >out.txt 2>&1 &
    pid=$!
    if [ "$signal" != none ]; then
        sleep "$delay"
        kill -s "$signal" "$pid" 2>/dev/null || true
    fi
    status=0
    wait "$pid" 2>/dev/null || status=$?
    sleep 1
    left=$(leftovers "$(basename "$program")")
    segments=$(ipcs -m -p | awk -v p="$pid" '$3 == p { print $1 }')
    local verdict=ok
    # A signal that came after the end finds nothing to kill: the run finished.
    [ "$status" -eq "${expected[$signal]}" ] || [ "$status" -eq 0 ] || verdict="status $status"
    [ -z "$left" ] || verdict="processes left: $left"
    [ -z "$segments" ] || verdict="segments left: $segments"
    if [ "$verdict" = ok ] && [ -s music.wav ] && ! (wav_seconds music.wav >/dev/null); then
        verdict="broken music.wav"
    fi
    tally["$name $signal"]=$((${tally["$name $signal"]:-0} + 1))
    if [ "$verdict" != ok ]; then
        failures=$((failures + 1))
        echo "$name, $signal after ${delay}s: $verdict"
    fi
}

: >answers
for _ in $(seq "$capture_runs"); do
    soak_run capture "$show/vantor-capture" 3
done
if [ "$x11_runs" -gt 0 ]; then
    start_xvfb
    wav=$(driver_number "Wav disk writer" "$show/vantor-x11")
    printf '4\n%s\n44100\n1\n' "$wav" >answers
    for _ in $(seq "$x11_runs"); do
        soak_run x11 "$show/vantor-x11" 175
    done
fi
for key in "${!tally[@]}"; do echo "$key: ${tally[$key]}"; done | sort
echo "soak: $((capture_runs + x11_runs)) runs, $failures failed"
[ "$failures" -eq 0 ]
