#!/usr/bin/env bash
# The music written to the show: every scene, where it starts as the show runs (the capture's
# own frame times on the show's clock, counted from the music's start), begins within one row
# of the start of a pattern of the module that mkshow wrote; and the song ends with the show:
# within one bar (16 rows) before the show stops the music, and not after it.
# Usage: timeline_check.sh CAPTURE SHOW_DIR XM_TIMING
set -euo pipefail
capture=$1
show=$2
timing=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$capture" --data "$show" --times >"$work/times.txt"
"$timing" "$show/music/vantor6.xm" >"$work/orders.txt"

awk '
    # The capture: the scenes are the segments after the music start that are no blank step.
    FNR == NR && $1 == "music" && $2 == "start" { music = $3; started = 1; next }
    FNR == NR && $1 == "music" && $2 == "stop" { show_end = $3 - music; next }
    FNR == NR && started && $1 ~ /^s[0-9]+$/ && $5 != "blank" {
        if (!($1 in first)) { first[$1] = $3 - music; name[$1] = $5; order[++segments] = $1 }
        next
    }
    FNR == NR { next }
    # The module.
    $1 == "order" { pattern_start[++patterns] = $8; pattern_row[patterns] = $10; next }
    $1 == "end" { song_end = $2; last_row = $4 }
    END {
        bad = 0
        if (show_end == "" || patterns == 0 || segments == 0) { print "FAIL: no show or no module times"; exit 1 }
        printf "%-14s %10s %14s %9s\n", "scene", "starts ms", "pattern ms", "off ms"
        for (i = 1; i <= segments; i++) {
            s = order[i]
            best = 0
            for (p = 1; p <= patterns; p++)
                if (best == 0 || abs(pattern_start[p] - first[s]) < abs(pattern_start[best] - first[s])) best = p
            off = pattern_start[best] - first[s]
            printf "%-14s %10d %14.1f %+9.1f\n", name[s], first[s], pattern_start[best], off
            if (abs(off) > pattern_row[best]) {
                printf "FAIL: %s starts at %d ms, %.1f ms from the nearest pattern start (a row is %.1f ms)\n",
                    name[s], first[s], off, pattern_row[best]
                bad = 1
            }
        }
        bar = 16 * last_row
        printf "show ends at %d ms, the song at %.1f ms (a bar is %.1f ms)\n", show_end, song_end, bar
        if (song_end < show_end - bar || song_end > show_end + last_row) {
            print "FAIL: the song does not end with the show"
            bad = 1
        }
        exit bad
    }
    function abs(v) { return v < 0 ? -v : v }
' "$work/times.txt" "$work/orders.txt"
