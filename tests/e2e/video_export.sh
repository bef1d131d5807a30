#!/usr/bin/env bash
# vantor-capture --video and --wav on two short segments of the show: the blank step where the
# music starts and the first picture (60 frames of 50 ms), as .mkv and as .mp4. ffprobe must see
# H.264 video at 960x720 with each frame once, at the show's own times, and an audio stream
# lasting the frames' time; the music must be audible; a decoded frame must be the capture's PNG
# of that frame, tripled, and no other frame of the fade. Then the failures: ffmpeg missing, an
# output ffmpeg cannot write, a show cut short, a bad name.
# Usage: video_export.sh VANTOR_CAPTURE SHOW_DIR
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
near() { awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { exit !(a - b <= d && b - a <= d) }'; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
rms() { sox "$1" -n stat 2>&1 | awk '/RMS +amplitude/ { print $3 }'; }

# The frames' time: 60 frames of the picture scene at 50 ms; the blank frame lasts nothing.
frames_s=3.000

"$capture" --data "$show" --segment 5-6 --stop-after 6 --out png --video show.mkv \
    --wav show.wav >out.txt 2>err.txt
status=$?
[ "$status" -eq 0 ] || fail "export: status $status: $(cat err.txt)"
grep -q 'of video' err.txt || fail "export: no progress line on standard error"
# The picture's 60 frames and the closing blank step's.
[ "$(ls png | grep -c '^s06-')" -eq 61 ] || fail "export: expected 61 PNGs of segment 6"
"$capture" --data "$show" --segment 5-6 --stop-after 6 --video show.mp4 >/dev/null 2>err.txt ||
    fail "export as .mp4: $(cat err.txt)"

# The frames' times in milliseconds from the start of the video: the picture's 60 frames every
# 50 ms, then a copy of the last one that holds it to the end (a stream's last frame lasts 1 ms).
expected_times=$(seq 0 50 2950; echo 2999)
for video in show.mkv show.mp4; do
    probe() { ffprobe -v error -show_entries "$1" -of default=noprint_wrappers=1:nokey=1 "$video"; }
    [ "$(probe stream=codec_type | tr '\n' ' ')" = "video audio " ] ||
        fail "$video: streams $(probe stream=codec_type | tr '\n' ' ')"
    [ "$(probe stream=codec_name,width,height | head -n 3 | tr '\n' ' ')" = "h264 960 720 " ] ||
        fail "$video: video $(probe stream=codec_name,width,height | tr '\n' ' ')"
    duration=$(probe format=duration)
    near "$duration" "$frames_s" 0.05 || fail "$video lasts $duration s, the frames $frames_s s"
    times=$(ffprobe -v error -select_streams v -show_entries packet=pts_time -of csv=p=0 "$video" |
        sort -g | awk 'NR == 1 { first = $1 } { printf "%.0f\n", ($1 - first) * 1000 }')
    [ "$times" = "$expected_times" ] ||
        fail "$video: frames at $(echo $times | head -c 300) ms, not every 50 ms"
    # The sound, decoded, lasts as long as the frames (give or take the AAC coder's delay and
    # its last block): all of it went through the pipe.
    ffmpeg -v error -y -i "$video" -vn decoded.wav || fail "$video: cannot decode its sound"
    samples=$(soxi -s decoded.wav)
    near "$samples" $((44100 * 3)) 2205 || fail "$video: $samples samples of sound, not 3 s"
    above "$(rms decoded.wav)" 0.002 || fail "$video: silent sound (RMS $(rms decoded.wav))"
done

# The WAV holds exactly the frames' samples, and the music plays in it.
wav_bytes=$(od -An -t u4 -j 40 -N 4 show.wav | tr -d ' ')
[ "$wav_bytes" -eq $((44100 * 4 * 3)) ] || fail "WAV: $wav_bytes data bytes, not 3 s"
[ "$(stat -c %s show.wav)" -eq $((wav_bytes + 44)) ] || fail "WAV: header and size differ"
above "$(rms show.wav)" 0.002 || fail "WAV: silent (RMS $(rms show.wav))"

# Frame 10 of the fade, decoded, must match its own PNG tripled (lossy coding aside) better than
# it matches its neighbours.
ffmpeg -v error -i show.mkv -vf 'select=eq(n\,10)' -frames:v 1 decoded.png ||
    fail "cannot decode a frame"
psnr() {
    convert "png/s06-f00$1.png" -scale 300% "tripled$1.png"
    compare -metric PSNR decoded.png "tripled$1.png" null: 2>&1 | awk '{ print $1 }'
}
own=$(psnr 10) before=$(psnr 09) after=$(psnr 11)
above "$own" 35 || fail "decoded frame 10 differs from its PNG: PSNR $own dB"
above "$own" "$before" && above "$own" "$after" ||
    fail "decoded frame 10 is closer to a neighbour: $own dB, frame 9 $before, frame 11 $after"

# A segment alone has the music the show plays under it: the text pages' sound on their own
# is, sample for sample, the end of the sound of the first picture and the text pages.
"$capture" --data "$show" --segment 6-7 --stop-after 7 --wav both.wav >/dev/null 2>&1
"$capture" --data "$show" --segment 7 --stop-after 7 --wav pages.wav >/dev/null 2>&1
[ "$(stat -c %s pages.wav)" -gt $((44100 * 4 * 30)) ] || fail "the text pages' sound is short"
cmp -s <(tail -c +$((44 + 44100 * 4 * 3 + 1)) both.wav) <(tail -c +45 pages.wav) ||
    fail "the text pages alone do not have the music the show plays under them"

# No ffmpeg on the path: a clear message, status 1, no file.
PATH=/nonexistent "$capture" --data "$show" --stop-after 6 --video none.mp4 >/dev/null 2>err.txt
status=$?
[ "$status" -eq 1 ] || fail "without ffmpeg: status $status"
grep -q 'ffmpeg is not installed' err.txt || fail "without ffmpeg: $(cat err.txt)"
[ ! -e none.mp4 ] || fail "without ffmpeg: a file was written"

# ffmpeg cannot create the file: its message, status 1, no encoder left running.
timeout 60 "$capture" --data "$show" --segment 6 --stop-after 6 --video nodir/x.mp4 \
    >/dev/null 2>err.txt
status=$?
[ "$status" -eq 1 ] || fail "unwritable output: status $status: $(cat err.txt)"
grep -q 'ffmpeg failed' err.txt || fail "unwritable output: $(cat err.txt)"
pgrep -f "$work/nodir" >/dev/null && fail "unwritable output: ffmpeg still runs"

# A picture missing from the tree: the show ends early through the fatal path; the sound file
# is incomplete, so the export fails.
mkdir -p broken/grafika
ln -s "$show"/music "$show"/3d broken/
for f in "$show"/grafika/*; do [ "${f##*/}" = pingu3.pcx ] || ln -s "$f" broken/grafika/; done
"$capture" --data broken --wav early.wav >out.txt 2>err.txt
status=$?
[ "$status" -eq 1 ] || fail "show cut short: status $status"
grep -q "Cann't load image grafika/pingu3.pcx" err.txt || fail "show cut short: $(cat err.txt)"
grep -q 'ended early' err.txt || fail "show cut short: $(cat err.txt)"

"$capture" --video show.avi >/dev/null 2>err.txt
[ $? -eq 2 ] && grep -q '.mkv or .mp4' err.txt || fail "bad name: $(cat err.txt)"

[ "$failures" -eq 0 ] && echo "ok: video export"
[ "$failures" -eq 0 ]
