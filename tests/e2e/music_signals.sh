#!/usr/bin/env bash
# A parent that is killed while the music plays leaves no music process behind:
# SIGTERM, SIGHUP and SIGINT end it through the fatal-error path with the signal's own
# status, and after SIGKILL the child notices on its own. Either way the child closes the
# WAV writer, so the file's header matches its data.
# Usage: music_signals.sh MUSIC_HOST MODULE
set -euo pipefail
host=$1
module=$(realpath "$2")
. "$(dirname "$0")/music_common.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

wav=$(driver_number "Wav disk writer" "$host" "$module" 1)
for sig in TERM HUP INT KILL; do
    rm -f music.wav out.txt
    # INT from a terminal reaches the whole process group: send it to both, like Ctrl-C.
    "${FROM_TERMINAL[@]}" setsid "$host" "$module" 30 >out.txt 2>&1 < <(printf '4\n%s\n44100\n' "$wav") &
    parent=$!
    child=
    for _ in $(seq 100); do
        grep -q 'music started' out.txt 2>/dev/null && child=$(music_child_of "$parent") && [ -n "$child" ] && break
        sleep 0.05
    done
    [ -n "$child" ] || fail "no music child appeared ($(cat out.txt))"
    sleep 0.5
    if [ "$sig" = INT ]; then kill -INT -- "-$parent"; else kill "-$sig" "$parent"; fi
    set +e
    wait "$parent"
    status=$?
    set -e
    expected=$((128 + $(kill -l "$sig")))
    [ "$status" -eq "$expected" ] || fail "SIG$sig: parent ended with $status, not $expected"
    sleep 1
    ! alive "$child" || fail "SIG$sig: music child $child still runs a second later"
    seconds=$(wav_seconds music.wav)
    between "$seconds" 0.2 2.5 || fail "SIG$sig: music.wav holds $seconds s"
    echo "SIG$sig: parent status $status, child gone, music.wav $seconds s"
done

# SIGTERM while a question waits for its answer ends the program at once, too.
mkfifo answers
"$host" "$module" 30 >out.txt 2>&1 <answers &
parent=$!
exec 3>answers # keep the question waiting: input open, nothing typed
sleep 0.3
kill -TERM "$parent"
set +e
wait "$parent"
status=$?
set -e
exec 3>&-
[ "$status" -eq 143 ] || fail "SIGTERM at a question: status $status"
echo "SIGTERM at a question: status $status"
