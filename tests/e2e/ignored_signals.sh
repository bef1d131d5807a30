#!/usr/bin/env bash
# nohup vantor-x11 &, from a script: the program starts with SIGHUP ignored (nohup) and with
# SIGINT and SIGQUIT ignored (a background job of a shell without job control). A hangup, an
# interrupt and a quit then change nothing, for the show or for its music, which goes on
# playing; SIGTERM still ends both, the music file complete.
# Usage: ignored_signals.sh VANTOR_X11 SHOW_DIR
set -euo pipefail
x11=$1
show=$(realpath "$2")
. "$(dirname "$0")/music_common.sh"
work=$(mktemp -d)
xvfb_pid=
parent=
trap 'kill $parent $xvfb_pid 2>/dev/null; rm -rf "$work"' EXIT
cd "$work" && ln -s "$show"/* .
start_xvfb

wav=$(driver_number "Wav disk writer" "$x11")
nohup "$x11" >out.txt 2>&1 < <(printf '4\n%s\n44100\n1\n' "$wav") &
parent=$!
child=
for _ in $(seq 1200); do # loading the show comes first
    grep -q 'Using Disk writer' out.txt 2>/dev/null && child=$(music_child_of "$parent") &&
        [ -n "$child" ] && break
    sleep 0.05
done
[ -n "$child" ] || fail "no music child appeared ($(cat out.txt))"
sleep 0.5

# Each signal to both processes, as a hangup or a Ctrl-C reaches the whole group.
for sig in HUP INT QUIT; do kill "-$sig" "$parent" "$child"; done
before=$(stat -c %s music.wav)
sleep 1.5
alive "$parent" || fail "the show ended on an ignored signal: $(cat out.txt)"
alive "$child" || fail "the music ended on an ignored signal"
[ "$(stat -c %s music.wav)" -gt "$before" ] || fail "the music stopped playing"

kill -TERM "$parent"
set +e
wait "$parent"
status=$?
set -e
parent=
[ "$status" -eq 143 ] || fail "SIGTERM: status $status"
sleep 1
! alive "$child" || fail "SIGTERM: the music child still runs a second later"
echo "ignored: HUP, INT and QUIT; SIGTERM: status $status, music.wav $(wav_seconds music.wav) s"
