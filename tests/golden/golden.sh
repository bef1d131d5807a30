#!/usr/bin/env bash
# Golden frames: runs the show headless on the virtual clock, hashes every presented frame and
# compares the frames named in the list with their checked-in hashes. On a mismatch the frames
# concerned are written as PNGs (sSS-fFFFF.png) into the output folder for a person to look at.
#
# usage: golden.sh CAPTURE SHOW-DIR LIST OUT-DIR [--update]
#   --update  write the frames' current hashes into LIST, and all listed frames as PNGs into
#             OUT-DIR: look at every one of them before committing the new list.
#
# LIST holds one frame per line: "sSS fFFFF HASH description"; '#' starts a comment. A scene
# that joins the show adds its lines; the run goes as far as the highest segment listed.
set -euo pipefail

if [ $# -lt 4 ] || { [ $# -eq 5 ] && [ "$5" != --update ]; } || [ $# -gt 5 ]; then
    sed -n '2,12p' "$0" >&2
    exit 2
fi
capture=$1 show=$2 list=$3 out=$4 update=${5:-}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The frames wanted, and how far the show must run for them.
grep -Ev '^[[:space:]]*(#|$)' "$list" > "$work/wanted" || true
if [ ! -s "$work/wanted" ]; then
    echo "golden: no frames listed in $list" >&2
    exit 2
fi
last_segment=$(awk '{ print substr($1, 2) + 0 }' "$work/wanted" | sort -n | tail -1)

"$capture" --data "$show" --hash --stop-after "$last_segment" > "$work/run" 2> "$work/errors" || {
    echo "golden: the capture run failed:" >&2
    cat "$work/errors" >&2
    exit 1
}
grep -E '^s[0-9]+ f[0-9]+ ' "$work/run" > "$work/hashes" || true

# Writes the PNGs of the given "sSS fFFFF" frames into the output folder, one run per segment.
write_pngs() {
    mkdir -p "$out"
    rm -f "$out"/s[0-9][0-9]-f[0-9][0-9][0-9][0-9].png # frames of an earlier run would mislead
    local segment
    for segment in $(awk '{ print $1 }' "$1" | sort -u); do
        local n=$((10#${segment#s}))
        rm -rf "$work/png"
        "$capture" --data "$show" --out "$work/png" --segment "$n" --stop-after "$n" > /dev/null
        awk -v s="$segment" '$1 == s { print $2 }' "$1" | while read -r frame; do
            cp "$work/png/$segment-$frame.png" "$out/" 2> /dev/null ||
                echo "golden: $segment $frame was never presented" >&2
        done
    done
    echo "golden: PNGs of the frames are in $out"
}

if [ "$update" = --update ]; then
    # Keep comments and descriptions; put the current hash on every frame line.
    awk 'NR == FNR { hash[$1 " " $2] = $3; next }
         /^[[:space:]]*(#|$)/ { print; next }
         { key = $1 " " $2; h = (key in hash) ? hash[key] : "missing"
           desc = ""; for (i = 4; i <= NF; i++) desc = desc " " $i
           print $1 " " $2 " " h desc }' "$work/hashes" "$list" > "$work/list"
    cp "$work/list" "$list"
    write_pngs "$work/wanted"
    echo "golden: updated $list - look at every PNG before committing it"
    exit 0
fi

: > "$work/bad"
while read -r segment frame hash description; do
    actual=$(awk -v s="$segment" -v f="$frame" '$1 == s && $2 == f { print $3 }' "$work/hashes")
    if [ "$actual" != "$hash" ]; then
        echo "golden: $segment $frame ($description): expected $hash, got ${actual:-no frame}"
        echo "$segment $frame" >> "$work/bad"
    fi
done < "$work/wanted"

if [ -s "$work/bad" ]; then
    write_pngs "$work/bad"
    exit 1
fi
echo "golden: $(wc -l < "$work/wanted") frames match"
