#!/usr/bin/env bash
# The frame log and its figures: scripts/frame_stats.py on a log of known figures, on a broken
# log, and on the log of a short real run of the program under a private X server, stopped by
# SIGTERM during the first picture. The real run is started outside its data tree with relative
# names for the log and for the music's WAV file: both land where it was started.
# usage: frame_log_check.sh PROGRAM SHOW-DIR
set -euo pipefail
program=$(realpath "$1")
show=$(realpath "$2")
stats=$(realpath "$(dirname "$0")/../../scripts/frame_stats.py")
. "$(dirname "$0")/music_common.sh"
work=$(mktemp -d)
xvfb_pid= parent=
cleanup() {
    for pid in $parent $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
cd "$work"

# Periods of 50, 50.4 and 49.6 ms between presents, 50, 50.2 and 49.8 ms between frame starts;
# the blank steps count for nothing but the start-up.
cat >known.log <<'EOF'
start 1000000 1010000
frame blank 1020000 500 100 2000 0
frame title-picture 1100000 300 200 5000 0
frame title-picture 1150000 300 200 6000 50
frame title-picture 1200400 300 400 7000 50
frame title-picture 1250000 300 200 8000 50
frame blank 1300000 100 100 9000 0
peak music 4096
peak music 8192
peak parent 20480
EOF
python3 "$stats" --json known.log | python3 -c '
import json, sys
run = json.load(sys.stdin)
assert list(run["scenes"]) == ["title-picture"], run["scenes"]
s = run["scenes"]["title-picture"]
expected = dict(frames=4, target_ms=50, mean_period_ms=50.0, jitter_p99_ms=0.4,
                start_jitter_p99_ms=0.2, render_median_ms=0.3, present_median_ms=0.2,
                present_p99_ms=0.4, cpu_share=0.02)
for key, value in expected.items():
    assert abs(s[key] - value) < 1e-9, (key, s[key], value)
assert abs(run["startup"]["to_first_present_s"] - 0.02) < 1e-9, run["startup"]
assert abs(run["startup"]["to_first_scene_s"] - 0.1) < 1e-9, run["startup"]
assert run["peak_kb"] == {"music": 8192, "parent": 20480}, run["peak_kb"]
' || fail "the figures of a known log are wrong"
table=$(python3 "$stats" known.log)
grep -q '^title-picture  *4  *50.0  *50.000  *0.400 ' <<<"$table" ||
    fail "no table row for the known log: $table"

# A broken log: status 2 and the line that is wrong.
sed 's/^frame title-picture 1150000 .*/frame title-picture 1150000 oops/' known.log >broken.log
set +e
message=$(python3 "$stats" broken.log 2>&1)
status=$?
set -e
[ "$status" -eq 2 ] && [[ "$message" == *"line 4 is not a frame log line"* ]] ||
    fail "a broken log gave $status: $message"

# A real run: the log fills while the first picture fades in; SIGTERM ends it cleanly.
mkdir tree start
ln -s "$show"/* tree/
cd start
start_xvfb
wav=$(driver_number "Wav disk writer" "$program")
printf '4\n%s\n44100\n2\n' "$wav" >answers
VANTOR_FRAME_LOG=run.log "$program" --data ../tree <answers >out.txt 2>&1 &
parent=$!
for _ in $(seq 200); do
    [ "$(grep -c '^frame title-picture ' run.log 2>/dev/null)" -ge 10 ] && break
    alive "$parent" || fail "the program ended early: $(cat out.txt)"
    sleep 0.1
done
kill -TERM "$parent"
wait "$parent" || true
parent=
[ -f ../tree/run.log ] || [ -f ../tree/music.wav ] && fail "output written into the data tree"
wav_seconds music.wav >/dev/null
grep -q '^peak parent [0-9][0-9]*$' run.log || fail "no peak of the parent in the log"
python3 "$stats" --json run.log | python3 -c '
import json, sys
run = json.load(sys.stdin)
picture = run["scenes"]["title-picture"]
assert picture["frames"] >= 10 and picture["target_ms"] == 50, picture
assert 0 <= picture["render_median_ms"] <= picture["render_p99_ms"] <= picture["render_max_ms"]
assert 0 < picture["present_median_ms"] <= picture["present_p99_ms"], picture
assert 0 < run["startup"]["to_first_present_s"] <= run["startup"]["to_first_scene_s"]
assert run["peak_kb"]["parent"] > 0
' || fail "the figures of a real run are not as described: $(python3 "$stats" run.log)"
echo "frame log: known figures, a broken log and a real run as described"
