#!/usr/bin/env bash
# Draws docs/music.png: the spectrogram of the show's tune as libmikmod plays it, with every
# scene of the show marked where it starts as the show runs (vantor-capture's own frame times),
# over a time axis in seconds from the music's start.
# Needs a build with the tests (the renderer build/tests/content/xm_render), sox and ImageMagick.
# Usage: scripts/music_picture.sh [BUILD_DIR] [OUT.png]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$top/build}")
out=$(realpath -m "${2:-$top/docs/music.png}")
render=$build/tests/content/xm_render
capture=$build/show/vantor-capture
[ -x "$render" ] && [ -x "$capture" ] || { echo "build the project with its tests first" >&2; exit 1; }
command -v sox >/dev/null && [ -x /usr/bin/convert ] || { echo "needs sox and imagemagick" >&2; exit 1; }
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

width=1600 height=257 top_band=34 bottom_band=24
"$render" "$build/show/music/vantor6.xm" "$work/tune.wav" >/dev/null
seconds=$(sox --i -D "$work/tune.wav")
# The renderer writes whole buffers past the song's end: the picture shows the song's seconds.
song=$("$build/tests/content/xm_timing" "$build/show/music/vantor6.xm" | awk '$1 == "end" { print $2 / 1000 }')
sox "$work/tune.wav" -n trim 0 "$song" remix - spectrogram -r -x "$width" -y "$height" -z 80 \
    -o "$work/spectrum.png"

# Scene starts, in seconds from the music's start, with their names.
"$capture" --data "$build/show" --times | awk '
    $1 == "music" && $2 == "start" { music = $3; next }
    music != "" && $1 ~ /^s[0-9]+$/ && $5 != "blank" && !($1 in seen) {
        seen[$1] = 1; printf "%.3f %s\n", ($3 - music) / 1000, $5
    }' >"$work/scenes.txt"

# Lines and names over the spectrum (names alternate between two rows: the pictures are
# short), a tick every ten seconds below it.
lines=() names=()
i=0
while read -r t name; do
    x=$(awk -v t="$t" -v s="$song" -v w="$width" 'BEGIN { printf "%d", t / s * w }')
    y=$((i % 2 == 0 ? 2 : 18)) # the names' tops
    lines+=(-draw "line $x,$y $x,$((top_band + height))")
    names+=(-draw "text $((x + 3)),$y '${name%-picture}'")
    i=$((i + 1))
done <"$work/scenes.txt"
for ((s = 0; s <= ${song%.*}; s += 10)); do
    x=$(awk -v t="$s" -v d="$song" -v w="$width" 'BEGIN { printf "%d", t / d * w }')
    lines+=(-draw "line $x,$((top_band + height)) $x,$((top_band + height + 5))")
    names+=(-draw "text $((x + 2)),$((top_band + height + 7)) '${s}s'")
done

/usr/bin/convert "$work/spectrum.png" -background black -gravity north -splice 0x"$top_band" \
    -gravity south -splice 0x"$bottom_band" -gravity northwest -stroke white "${lines[@]}" \
    -stroke none -fill white -font "$font" -pointsize 12 "${names[@]}" -colors 128 -strip "$out"
echo "$out: $(wc -l <"$work/scenes.txt") scenes over ${song} s (rendered ${seconds} s)"
