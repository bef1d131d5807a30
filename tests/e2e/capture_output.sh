#!/usr/bin/env bash
# vantor-capture's outputs: standard output carries the results asked for and nothing else,
# --segment limits every kind of them, and an output that cannot be written ends the run at
# once with a message and status 1 - the PNG folder, a closed standard output, the pipes to
# the encoder.
# usage: capture_output.sh CAPTURE SHOW-DIR
set -uo pipefail
capture=$(realpath "$1")
show=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
run() { "$capture" --data "$show" "$@"; }

# --hash: one line per frame on standard output, the banners on standard error.
run --hash --stop-after 6 >hash.txt 2>err.txt || fail "--hash: status $?"
grep -vE '^s[0-9]{2} f[0-9]{4} [0-9a-f]{16}$' hash.txt >other.txt &&
    fail "--hash: standard output holds more than hashes: $(head -3 other.txt)"
[ "$(grep -c '^s06 ' hash.txt)" -eq 61 ] || fail "--hash: not 61 frames of segment 6"
grep -q '^\*\*\* vantor6 for LINUX by orsel' err.txt || fail "--hash: no banner on standard error"

# --segment limits --hash and --holes as it limits --out; the frames are the whole run's. The
# holes of the segment's first frame count from the refill after the blank step before it.
run --hash --segment 6 --stop-after 7 >segment.txt 2>/dev/null
grep '^s06 ' hash.txt | cmp -s - segment.txt ||
    fail "--segment 6 --hash: not the whole run's frames of segment 6: $(cut -c1-3 segment.txt | uniq -c)"
run --holes 17 --stop-after 6 >holes.txt 2>/dev/null
run --holes 17 --segment 6 --stop-after 7 >segment.txt 2>/dev/null
grep '^s06 ' holes.txt | cmp -s - segment.txt ||
    fail "--segment 6 --holes: not the whole run's counts of segment 6: $(cut -c1-3 segment.txt | uniq -c)"

# --out: a folder that cannot be made, a file in its place, a PNG name taken by a folder and a
# full disk each end the run at the first frame with one message and status 1.
touch file
mkdir taken full
mkdir taken/s00-f0000.png
ln -s /dev/full full/s00-f0000.png
for out in file/frames file taken full; do
    run --out "$out" --stop-after 6 >/dev/null 2>err.txt
    status=$?
    [ "$status" -eq 1 ] || fail "--out $out: status $status"
    [ "$(grep -c "$out" err.txt)" -eq 1 ] || fail "--out $out: not one message: $(head -c 300 err.txt)"
done
[ "$(find taken full -name '*.png' | wc -l)" -eq 2 ] || fail "--out: PNGs written after a failure"

# A closed standard output ends the run: by SIGPIPE like any filter; where SIGPIPE is ignored
# (inherited, or for the encoder's sake with --video) with a message and status 1, at once
# rather than after the rest of the show.
run --hash --stop-after 7 2>/dev/null | head -1 >/dev/null
status=${PIPESTATUS[0]}
[ "$status" -eq 141 ] || fail "closed output: status $status, not SIGPIPE's"
for video in "" "--video closed.mkv --video-scale 1"; do
    # shellcheck disable=SC2086 # the video options are split on purpose
    (trap '' PIPE && run --hash --stop-after 7 $video 2>err.txt | head -1 >/dev/null)
    status=$?
    [ "$status" -eq 1 ] || fail "closed output ${video:-without video}, SIGPIPE ignored: status $status"
    [ "$(grep -c 'standard output' err.txt)" -eq 1 ] ||
        fail "closed output ${video:-without video}: $(head -c 300 err.txt)"
done

# No descriptors left for the encoder's pipes: the message says why. Five are enough for the
# standard streams, the results' own copy of standard output and reading one file at a time.
(
    for fd in $(seq 3 20); do eval "exec $fd>&-"; done
    ulimit -n 5 && exec "$capture" --data "$show" --video pipes.mkv --stop-after 6
) >/dev/null 2>err.txt
status=$?
[ "$status" -eq 1 ] || fail "no pipes: status $status"
grep -q 'pipe.*Too many open files' err.txt || fail "no pipes: $(head -c 300 err.txt)"

[ "$failures" -eq 0 ] && echo "ok: capture outputs"
[ "$failures" -eq 0 ]
