#!/usr/bin/env bash
# A broken data tree: every picture, texture and object of the show in turn is missing, empty,
# cut in half or replaced by garbage (the four taken in rotation), and textures that are not
# square. Each run of the headless show must end through the fatal-error path: status 1 and
# a message that names the file, never a crash, a hang or a status that says the show ran to
# its end.
#
# usage: bad_data.sh CAPTURE SHOW-DIR
set -euo pipefail
if [ $# -ne 2 ]; then
    sed -n '2,7p' "$0" >&2
    exit 2
fi
capture=$1 show=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp -r "$show/grafika" "$show/3d" "$work/"
mapfile -t files < <(cd "$work" && find grafika 3d -type f | sort)
[ ${#files[@]} -gt 0 ] || { echo "bad data: no files in $show"; exit 1; }

failures=0 n=0
# One headless run on the broken tree: it must end with status 1 and print MESSAGE; then FILE,
# saved before it was broken, is put back.
expect_refusal() { # FILE HOW MESSAGE
    local status=0
    timeout 60 "$capture" --data "$work" >"$work/out" 2>&1 || status=$?
    if [ "$status" -ne 1 ] || ! grep -qF "$3" "$work/out"; then
        echo "bad data: $1 $2: status $status, output: $(tail -c 300 "$work/out")"
        failures=$((failures + 1))
    fi
    cp "$work/saved" "$work/$1"
    n=$((n + 1))
}

for file in "${files[@]}"; do
    cp "$work/$file" "$work/saved"
    case $((n % 4)) in
    0) how=missing; rm "$work/$file" ;;
    1) how=empty; : >"$work/$file" ;;
    2) how=truncated; head -c "$(($(stat -c %s "$work/saved") / 2))" "$work/saved" >"$work/$file" ;;
    3) how=garbage; head -c "$(stat -c %s "$work/saved")" /dev/urandom >"$work/$file" ;;
    esac
    expect_refusal "$file" "$how" "$file"
done
# A picture where a square texture belongs: the fillers would read past its end.
for file in 3d/city/textu/ko-1.pcx 3d/land/textu/fold.pcx grafika/e_3dbl_3.pcx; do
    cp "$work/$file" "$work/saved"
    cp "$work/grafika/dream.pcx" "$work/$file"
    expect_refusal "$file" "not square" "Texture $file is not square!"
done
echo "bad data: $n broken files, $failures not refused cleanly"
[ "$failures" -eq 0 ]
