#!/usr/bin/env bash
# Real playback through a real sound server: a private PulseAudio daemon with a null sink,
# the music chosen on the PulseAudio driver, and the sink's monitor recorded with parec.
# The recording must be music, not silence, for the time the program ran. Runs the demo's
# parent side (music_host, a fixed 5 s), then the real program for 8 s of music (or its whole
# show, if that is shorter), ended by SIGTERM; then again with --no-questions, which must find
# the server by itself.
# Usage: music_pulse.sh MUSIC_HOST MODULE PROGRAM SHOW_DIR
set -euo pipefail
host=$1
module=$(realpath "$2")
program=$(realpath "$3")
show=$(realpath "$4")
. "$(dirname "$0")/music_common.sh"
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$work/run HOME=$work/home
mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
unset PULSE_SERVER PULSE_SINK

pulseaudio -n -L module-null-sink -L module-native-protocol-unix --daemonize=no \
    --exit-idle-time=-1 --use-pid-file=no >"$work/pulse.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null 2>&1 || fail "the private PulseAudio daemon did not start: $(cat "$work/pulse.log")"

# record MUSIC_SECONDS COMMAND...: runs the command with the PulseAudio answers while
# recording, and sends it SIGTERM after that many seconds of music unless it ends first;
# prints the seconds it ran. The recording is $work/rec.wav.
record() {
    local limit=$1 recorder start end program status music=
    shift
    parec -d null.monitor --file-format=wav "$work/rec.wav" &
    recorder=$!
    pids+=($recorder)
    sleep 0.3
    start=$(date +%s.%N)
    "$@" >"$work/out.txt" 2>&1 < <(printf '4\n%s\n44100\n3\n' "$pulse") &
    program=$!
    while alive "$program"; do
        if [ -z "$music" ] && grep -q 'Using' "$work/out.txt" && [ -n "$(music_child_of "$program")" ]; then
            music=$(date +%s.%N)
        fi
        if [ -n "$music" ] && awk -v a="$music" -v b="$(date +%s.%N)" -v l="$limit" 'BEGIN { exit !(b - a > l) }'; then
            kill -TERM "$program"
            break
        fi
        sleep 0.05
    done
    set +e
    wait "$program"
    status=$?
    set -e
    end=$(date +%s.%N)
    [ "$status" -eq 0 ] || [ "$status" -eq 143 ] || fail "$1 ended with $status: $(cat "$work/out.txt")"
    kill -INT "$recorder"
    wait "$recorder" || true
    grep -q "Using PulseAudio for 16 bit normal stereo sound at 44100 Hz" "$work/out.txt" ||
        fail "no PulseAudio line: $(cat "$work/out.txt")"
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f\n", b - a }'
}

# rms FROM LENGTH: RMS level in dBFS of that stretch of the recording.
rms() { sox "$work/rec.wav" -n trim "$1" "$2" stats 2>&1 | awk '/^RMS lev dB/ { print $4 }'; }

pulse=$(driver_number "PulseAudio" "$host" "$module" 1)
ran=$(record 60 "$host" "$module" 5)
level=$(rms 1 3.5)
echo "music_host: ran $ran s, recording at $level dBFS"
[ "$level" != -inf ] && between "$level" -60 0 || fail "the recording is silent ($level dBFS)"

cd "$work" && ln -s "$show"/* .
start_xvfb
pids+=($xvfb_pid)
ran=$(record 8 "$program")
echo "$(basename "$program"): ran $ran s"
if between "$ran" 3 10000; then
    level=$(rms 1 "$(awk -v r="$ran" 'BEGIN { print r - 2 }')")
    echo "recording at $level dBFS"
    [ "$level" != -inf ] && between "$level" -60 0 || fail "the show's music is silent ($level dBFS)"
fi

# Asked nothing, the program finds the sound server by MikMod's own detection.
ran=$(record 8 "$program" --no-questions)
echo "$(basename "$program") --no-questions: ran $ran s"
grep -q -e 'Choose' -e 'Type corresponding' "$work/out.txt" && fail "--no-questions asked: $(cat "$work/out.txt")"
if between "$ran" 3 10000; then
    level=$(rms 1 "$(awk -v r="$ran" 'BEGIN { print r - 2 }')")
    echo "recording at $level dBFS"
    [ "$level" != -inf ] && between "$level" -60 0 || fail "--no-questions: the music is silent ($level dBFS)"
fi
