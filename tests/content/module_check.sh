#!/usr/bin/env bash
# The generated module plays to its end in libmikmod (our renderer, the demo's mixer
# settings) and in an independent player (openmpt123), both as long as its rows say, does not
# clip in any of the demo's output modes, and ends in silence.
# Usage: module_check.sh MODULE XM_RENDER XM_TIMING
set -euo pipefail
module=$1
render=$2
timing=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
between() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v >= lo && v <= hi) }'; }

# The length its rows and tempo give; the show's timeline test holds it against the show.
written=$("$timing" "$module" | awk '$1 == "end" { print $2 / 1000 }')
echo "written: $written s"
between "$written" 120 300 || fail "the module's rows last $written s"

# libmikmod: the song ends by itself (the renderer fails if it is still playing after
# ten minutes) when its rows are over.
for mode in 4 3 2 1; do
    seconds=$("$render" "$module" "$work/m$mode.wav" "$mode") || fail "libmikmod did not finish (mode $mode)"
    between "$seconds" "$(awk -v w="$written" 'BEGIN { print w - 0.2 }')" \
        "$(awk -v w="$written" 'BEGIN { print w + 0.2 }')" || fail "libmikmod plays $seconds s of $written"
    peak=$(sox "$work/m$mode.wav" -n stats 2>&1 | awk '/^Pk lev dB/ { print $4 }')
    rms=$(sox "$work/m$mode.wav" -n stats 2>&1 | awk '/^RMS lev dB/ { print $4 }')
    echo "mode $mode: $seconds s, peak $peak dBFS, RMS $rms dBFS"
    between "$peak" -20 -0.1 || fail "peak $peak dBFS in mode $mode (clipping or far too quiet)"
    between "$rms" -30 -10 || fail "RMS $rms dBFS in mode $mode"
done

# The last half second of the song is silence: a clean ending, not a cut.
tail_peak=$(sox "$work/m4.wav" -n trim "$(awk -v s="$seconds" 'BEGIN { print s - 0.5 }')" 0.5 stats 2>&1 |
    awk '/^Pk lev dB/ { print $4 }')
[ "$tail_peak" = -inf ] || between "$tail_peak" -200 -50 || fail "the song ends at $tail_peak dBFS, not in silence"

# libopenmpt agrees on the length.
duration=$(openmpt123 --info "$module" 2>&1 | awk '/^Duration/ { split($2, t, ":"); print t[1] * 60 + t[2] }')
echo "openmpt123: $duration s"
between "$duration" "$(awk -v w="$written" 'BEGIN { print w - 0.2 }')" \
    "$(awk -v w="$written" 'BEGIN { print w + 0.2 }')" || fail "openmpt123 reports $duration s of $written"
