#!/usr/bin/env bash
# The real program with the music on MikMod's WAV writer, under a private X server:
# a whole run leaves a music.wav whose header matches its data and which is as long as the
# music played (the song, when the show ran past its end); SIGTERM during the music ends the
# program with status 143 and stops the child; no music process is left in either case.
# Usage: music_show.sh PROGRAM SHOW_DIR XM_TIMING
set -euo pipefail
program=$(realpath "$1")
show=$(realpath "$2")
song=$("$3" "$show/music/vantor6.xm" | awk '$1 == "end" { print $2 / 1000 }')
. "$(dirname "$0")/music_common.sh"
work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
cd "$work" && ln -s "$show"/* .
start_xvfb

now() { date +%s.%N; }
# Music processes of ours still running: any program process working in this directory.
leftovers() {
    for p in $(pgrep -x "$(basename "$program")"); do
        [ "$(readlink "/proc/$p/cwd" 2>/dev/null)" = "$work" ] && alive "$p" && echo "$p"
    done
    true
}

wav=$(driver_number "Wav disk writer" "$program")
answers=$(printf '4\n%s\n44100\n3\n' "$wav")

# start: runs the program in the background; sets parent, and child/child_start once the
# music child shows up (or the program has ended).
start() {
    rm -f music.wav
    "$program" >out.txt 2>&1 <<<"$answers" &
    parent=$!
    child=
    child_start=
    while alive "$parent"; do
        child=$(music_child_of "$parent")
        if [ -n "$child" ] && grep -q 'Using' out.txt; then child_start=$(now); break; fi
        sleep 0.02
    done
}

# A whole run.
start
set +e
wait "$parent"
status=$?
set -e
end=$(now)
[ "$status" -eq 0 ] || fail "the program ended with $status: $(cat out.txt)"
grep -q "Using Disk writer (wav) for 16 bit normal stereo sound at 44100 Hz" out.txt ||
    fail "no driver line: $(cat out.txt)"
seconds=$(wav_seconds music.wav)
if [ -n "$child_start" ]; then
    played=$(awk -v a="$child_start" -v b="$end" 'BEGIN { printf "%.2f\n", b - a }')
    # The song ends with the show: a show that runs late, on a busy machine, hears all of it.
    heard=$(awk -v p="$played" -v s="$song" 'BEGIN { print p < s ? p : s }')
    # Whole 32768-byte blocks (0.19 s), written as soon as the previous one has had its time.
    between "$seconds" "$(awk -v p="$heard" 'BEGIN { print p - 0.6 }')" \
        "$(awk -v p="$heard" 'BEGIN { print p + 0.6 }')" ||
        fail "music.wav holds $seconds s, the music played $played s of a $song s song"
    echo "whole run: music played $played s of a $song s song, music.wav holds $seconds s"
else
    echo "whole run: the show ended at once, music.wav holds $seconds s"
fi
[ -z "$(leftovers)" ] || fail "music processes left: $(leftovers)"

# SIGTERM while the music plays.
start
if [ -n "$child" ]; then
    sleep 0.5
    kill -TERM "$parent"
    set +e
    wait "$parent"
    status=$?
    set -e
    [ "$status" -eq 143 ] || fail "SIGTERM: the program ended with $status"
    sleep 1
    ! alive "$child" || fail "SIGTERM: the music child still runs a second later"
    echo "SIGTERM: status 143, child gone, music.wav holds $(wav_seconds music.wav) s"
else
    wait "$parent" || fail "the program failed"
    echo "SIGTERM: the show ended before the music could be interrupted"
fi
[ -z "$(leftovers)" ] || fail "music processes left: $(leftovers)"

# The X server goes away while the music plays: the program ends, and the music with it.
start
if [ -n "$child" ]; then
    sleep 0.5
    kill "$xvfb_pid"
    xvfb_pid=
    set +e
    wait "$parent"
    status=$?
    set -e
    sleep 1
    ! alive "$child" || fail "X connection lost: the music child still runs a second later"
    echo "X connection lost: status $status, child gone, music.wav holds $(wav_seconds music.wav) s"
else
    wait "$parent" || fail "the program failed"
fi
[ -z "$(leftovers)" ] || fail "music processes left: $(leftovers)"
