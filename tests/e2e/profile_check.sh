#!/usr/bin/env bash
# vantor-capture --profile and --profile-json over the first scenes: one well-formed entry per
# scene shown, with frames and ordered times, and the run's wall time; standard output holds
# nothing else (the banners are on standard error), so the JSON goes straight to a parser.
# usage: profile_check.sh CAPTURE SHOW-DIR
set -euo pipefail
capture=$1 show=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

text=$("$capture" --data "$show" --profile --stop-after 7 2>/dev/null)
grep -v '^profile ' <<<"$text" && fail "more than the profile on standard output"
[ "$(printf '%s\n' "$text" | awk '$2 == "title-picture" && $4 == 60' | wc -l)" -eq 1 ] ||
    fail "no title picture of 60 frames in: $text"
[ "$(printf '%s\n' "$text" | awk '$2 == "text-pages" && $4 == 600' | wc -l)" -eq 1 ] ||
    fail "no text pages of 600 frames in: $text"
grep -q '^profile wall [0-9.]* s$' <<<"$text" || fail "no wall time in: $text"

"$capture" --data "$show" --profile-json --stop-after 8 2>/dev/null | python3 -c '
import json, sys
run = json.load(sys.stdin)
scenes = {s["scene"]: s for s in run["scenes"]}
assert set(scenes) == {"title-picture", "text-pages", "city"}, scenes
assert scenes["city"]["frames"] == 400, scenes["city"]
for s in scenes.values():
    assert 0 <= s["median_ms"] <= s["p99_ms"] <= s["max_ms"], s
assert run["wall_s"] > 0
' || fail "--profile-json is not as described"
echo "profile: text and JSON well formed"
