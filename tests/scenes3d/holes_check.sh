#!/usr/bin/env bash
# A flight never clears the frame, so a pixel that no face covers smears. This runs the show
# headless up to one scene twice, each time refilling the frame with another sentinel colour
# after every present, and holds every frame of the scene up to LAST-FRAME to at most 0.5%
# undrawn pixels. A pixel counts as undrawn only when it kept the sentinel in both runs (a
# scene may draw either colour for real; it can't draw both into the same place). It also
# fails when the render list lost any face.
#
# usage: holes_check.sh CAPTURE SHOW-DIR SEGMENT LAST-FRAME
set -euo pipefail
if [ $# -ne 4 ]; then
    sed -n '2,9p' "$0" >&2
    exit 2
fi
capture=$1 show=$2 segment=$3 last=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

seg=$(printf 's%02d' "$segment")
for sentinel in 17 238; do
    "$capture" --data "$show" --holes "$sentinel" --stop-after "$segment" |
        awk -v s="$seg" '$1 == s && $3 == "holes"' > "$work/$sentinel"
done

# Fields: segment frame "holes" N "dropped" D.
paste -d ' ' "$work/17" "$work/238" | awk -v last="$last" '
    { frame = substr($2, 2) + 0
      if (frame > last) next
      n = ($4 < $10) ? $4 : $10
      frames++
      if (n > worst) { worst = n; worst_frame = $2 }
      if (n > 384) { bad++; if (bad <= 10) printf "holes: frame %s leaves %d pixels undrawn\n", $2, n }
      dropped = ($6 > $12) ? $6 : $12 }
    END {
      if (frames == 0) { print "holes: no frames of the scene were presented"; exit 1 }
      printf "holes: %d frames, worst %s with %d undrawn pixels; %d faces dropped\n",
             frames, worst_frame, worst, dropped
      exit (bad > 0 || dropped > 0) ? 1 : 0 }'
