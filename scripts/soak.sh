#!/usr/bin/env bash
# Soak: many whole shows, each killed at a random moment by a random signal - the ones the
# show ends itself on (SIGTERM, SIGINT, SIGHUP), others whose default action ends a process
# (SIGQUIT, SIGPIPE, SIGALRM, SIGXCPU, SIGXFSZ, SIGTRAP, SIGSYS, SIGVTALRM, SIGPROF, real-time
# signals) and SIGKILL - or stopped and continued (Ctrl-Z and fg) and then ended by SIGTERM,
# or left to finish. Every run is a process group of its own, as a terminal's foreground job:
# SIGINT (Ctrl-C) and the stop and continue reach the whole group, the others the program.
# After every run: the documented exit status, no process of the program left, no
# shared-memory segment of it left, and (for vantor-x11 on MikMod's WAV writer) a music.wav
# whose header matches its data.
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

signals=(TERM INT HUP QUIT PIPE ALRM XCPU XFSZ TRAP SYS VTALRM PROF RTMIN RTMAX KILL STOP none)
declare -A tally=()
failures=0
ulimit -c 0 # no core files from the signals that would make them

# The status a run ends with: 128 + the signal; a stopped run is ended by SIGTERM.
expected() {
    case $1 in
    none) echo 0 ;;
    STOP) echo 143 ;;
    *) echo $((128 + $(kill -l "$1"))) ;;
    esac
}

# Ctrl-Z, a random while stopped, fg, then SIGTERM: the group must stop and go on.
stop_and_continue() {
    local pid=$1 pause
    pause=$(awk -v r="$RANDOM" 'BEGIN { printf "%.2f", 0.2 + r / 32768 * 2 }')
    kill -TSTP -- "-$pid" 2>/dev/null || return 0
    sleep "$pause"
    alive "$pid" || return 0 # ended before the stop
    [ "$(ps -o stat= -p "$pid" | cut -c1)" = T ] || echo "not stopped by SIGTSTP"
    kill -CONT -- "-$pid"
    sleep 0.5
    alive "$pid" && [ "$(ps -o stat= -p "$pid" | cut -c1)" = T ] && echo "still stopped after SIGCONT"
    kill -TERM "$pid" 2>/dev/null || true
}

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
    "${FROM_TERMINAL[@]}" perl -e 'setpgrp(0, 0); exec @ARGV or die "$ARGV[0]: $!\n"' \
        "$program" <answers >out.txt 2>&1 &
    pid=$!
    # The group exists once perl has made it.
    for _ in $(seq 100); do
        [ "$(ps -o pgid= -p "$pid" | tr -d ' ')" = "$pid" ] && break
        sleep 0.02
    done
    local problem=
    if [ "$signal" != none ]; then
        sleep "$delay"
        case $signal in
        STOP) problem=$(stop_and_continue "$pid") ;;
        INT) kill -INT -- "-$pid" 2>/dev/null || true ;;
        *) kill -s "$signal" "$pid" 2>/dev/null || true ;;
        esac
    fi
    status=0
    wait "$pid" 2>/dev/null || status=$?
    sleep 1
    left=$(leftovers "$(basename "$program")")
    segments=$(ipcs -m -p | awk -v p="$pid" '$3 == p { print $1 }')
    local verdict=ok
    # A signal that came after the end finds nothing to kill: the run finished.
    [ "$status" -eq "$(expected "$signal")" ] || [ "$status" -eq 0 ] || verdict="status $status"
    [ -z "$problem" ] || verdict=$problem
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
