#!/usr/bin/env bash
# The dialogue answered on the command line, with no X server (the questions all come before
# the program connects): given answers are used and not asked, --no-questions asks nothing,
# and an answer this machine does not offer ends the program with status 2 before the show.
# Usage: answers.sh VANTOR_X11
set -uo pipefail
program=$(realpath "$1")
. "$(dirname "$0")/music_common.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
unset DISPLAY

failures=0
check() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
# run ARGS...: the program with nothing on its input; sets status, out and err.
run() {
    "$program" "$@" </dev/null >"$work/out" 2>"$work/err"
    status=$?
    out=$(cat "$work/out")
    err=$(cat "$work/err")
}
asked() { grep -q -e 'Choose' -e 'Type' -e 'Enter mixing' -e 'No answer' "$work/out"; }

nosound=$(driver_number "Nosound" "$program")

# Every answer given: the sound line shows them, nothing is asked, the X connection fails.
run --sound 3 --device "$nosound" --rate 22050 --mode 2
[ "$status" -eq 255 ] || check "all answers given: status $status: $out $err"
grep -q "^Using No Sound for 16 bit normal mono sound at 22050 Hz" "$work/out" ||
    check "all answers given: no sound line: $out"
asked && check "all answers given, yet asked: $out"

# --no-questions: no question; the device is found by MikMod's detection or not at all.
run --no-questions
[ "$status" -eq 255 ] || check "--no-questions: status $status: $out $err"
asked && check "--no-questions asked: $out"
grep -q -e '^Using .* for 16 bit normal stereo sound at 44100 Hz' -e '^MikMod Driver error!' \
    "$work/out" || check "--no-questions: no word about the sound: $out"

# No music: no sound questions and no device; the display question is still asked.
run --sound 0
[ "$status" -eq 1 ] || check "--sound 0: status $status"
grep -q 'Choose output mode' "$work/out" && check "--sound 0 asked the output mode: $out"
grep -q 'Choose display mode' "$work/out" || check "--sound 0 did not ask the display mode: $out"
grep -q -e 'Using' -e 'MikMod' "$work/out" && check "--sound 0 opened a device: $out"

# Answers this machine does not offer, and values out of every range.
run --sound 0 --mode 5
[ "$status" -eq 2 ] || check "--mode 5: status $status"
[[ "$err" == *"--mode 5: this machine offers 1 to 4"* ]] || check "--mode 5: $err"
run --sound 4 --device 999 --rate 44100
[ "$status" -eq 2 ] || check "--device 999: status $status"
[[ "$err" =~ --device\ 999:\ this\ machine\ offers\ 0\ to\ [0-9]+ ]] || check "--device 999: $err"
asked && check "--device 999 asked: $out"
for bad in "--rate 100" "--sound 7" "--mode x" "--device"; do
    # shellcheck disable=SC2086
    run $bad
    [ "$status" -eq 2 ] || check "$bad: status $status"
    [[ "$err" == *"${bad%% *} wants a whole number"*"Try"*"--help"* ]] || check "$bad: $err"
    [ -z "$out" ] || check "$bad: the show started: $out"
done

[ "$failures" -eq 0 ] && echo "ok: answers"
[ "$failures" -eq 0 ]
