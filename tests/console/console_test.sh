#!/usr/bin/env bash
# The console programs on a real Linux console: qemu boots Debian's kernel, the program runs on
# /dev/tty1 with /dev/fb0 (vesafb or cirrusfb), keys come from the emulated keyboard and the
# screenshots are checked pixel by pixel. One case per run; its files stay in WORK/CASE.
# Usage: console_test.sh CASE KERNEL-DIR WORK PROGRAM [SHOW-DIR]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
case=$1 kdir=$2 work=$3 prog=$4 show=${5:-}
out=$work/$case
mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { python3 "$here/checkshot.py" "$out/shot-$1.png" "${@:2}" || fail "shot $1: ${*:2}"; }
# The show is on the screen in one of the shots (a scene may be fading or just starting).
lit() {
    local t
    for t in "$@"; do python3 "$here/checkshot.py" "$out/shot-$t.png" lit >/dev/null && return; done
    fail "no scene visible in the shots at $*"
}
shows() { grep -qF -- "$2" "$out/$1" || fail "$1 lacks '$2'"; }
status() { [ "$(cat "$out/exit" 2>/dev/null)" = "$1" ] || fail "exit status $(cat "$out/exit" 2>/dev/null), want $1"; }
run() { "$here/qemu_run.sh" -k "$kdir" "$@"; }
# After Ctrl-Z at 2.5 s: the shell's text at 3.5 s, tty2 reached at 4.8 s.
stopped_and_back() {
    check 3.5 text
    shows text-3.5.txt "Stopped"
    grep -q '^VANTOR TEXT 4.8 .*active=tty2' "$out/channel.log" || fail "tty2 not active at 4.8 s"
    check 4.8 text
}
answers() { printf '%s\n' "$@" > "$work/$case.answers"; echo "$work/$case.answers"; }

[ -f "$kdir/vmlinuz" ] || { echo "no kernel in $kdir: run scripts/deps.sh test"; exit 1; }
case $case in
fb_not_console | svga_not_console)
    # Started with its output in a file, or from a terminal window: no console to take.
    want=249 message="ERROR: Not a console device!"
    [ "$case" = svga_not_console ] && want=255 message="ERROR: Can't init vga"
    mkdir -p "$out"
    printf '0\n' | "$prog" > "$out/file.txt" 2>&1
    echo $? > "$out/exit"
    status $want
    shows file.txt "$message"
    printf '0\n' | script -qefc "$prog" "$out/pty.txt" > /dev/null 2>&1
    echo $? > "$out/exit"
    status $want
    shows pty.txt "$message"
    ;;
fb_8bit_switch)
    # 640x480 with answer 3 is served doubled. Away to tty2 and back mid-show: nothing drawn
    # meanwhile, and the program's colours come back although it set them only once.
    run "$out" "$prog" "$(answers 3 7)" 2 2.5:key:alt-f2 3.5 4.5:key:alt-f1 5.5
    status 0
    check 2 probe 640x480 0 0 640 480
    grep -q '^VANTOR TEXT 3.5 .*active=tty2' "$out/channel.log" || fail "tty2 not active at 3.5 s"
    python3 "$here/checkshot.py" "$out/shot-3.5.png" probe 640x480 0 0 640 480 >/dev/null &&
        fail "drawn on tty2"
    check 5.5 probe 640x480 0 0 640 480
    check end console
    shows screen.txt "probe: done"
    ;;
fb_16bit)
    # 800x600 at 16 bits, answer 2: doubled, top-left at 80,60.
    run -v 0x314 "$out" "$prog" "$(answers 2 3)" 2
    status 0
    check 2 probe 800x600 80 60 640 480
    shows screen.txt "The display is a VESA VGA true color with 800 X 600"
    ;;
fb_32bit)
    # 640x480 at 32 bits, answer 1: centred.
    run -v 0x342 "$out" "$prog" "$(answers 1 3)" 2
    status 0
    check 2 probe 640x480 160 120 320 240
    ;;
fb_cirrus_stretched)
    # cirrusfb at 1024x768x8 with answer 3: the frame is stretched over the whole screen.
    run -d cirrusfb -r 1024x768-8@60 "$out" "$prog" "$(answers 3 3)" 2
    status 0
    check 2 probe 1024x768 0 0 1024 768
    check end console
    ;;
fb_show_sigterm | fb_show_sigsegv)
    # The show, ended by a signal mid-scene: the console is back with its colours.
    signal=TERM want=143
    [ "$case" = fb_show_sigsegv ] && signal=SEGV want=139
    run -d cirrusfb -D "$show" "$out" "$prog" "$(answers 0 3)" 2.5 4 6 7:kill:$signal
    status $want
    lit 2.5 4 6
    check end console
    shows screen.txt "Choose a display mode:"
    ;;
fb_ctrl_z)
    # Ctrl-Z mid-show in a shell on tty1: the text console in its colours with the shell's
    # prompt, Alt+F2 and back while stopped, then fg: the picture returns in its colours.
    run -j "$out" "$prog" "$(answers 1 9)" 2 2.5:key:ctrl-z 3.5 4:key:alt-f2 4.8 \
        5.2:key:alt-f1 6:key:f 6:key:g 6:key:ret 8
    status 0
    check 2 probe 640x480 160 120 320 240
    stopped_and_back
    check 8 probe 640x480 160 120 320 240
    check end console
    shows screen.txt "probe: done"
    ;;
svga_ctrl_z)
    # The same through the stand-in in a mode of its own: the console is back at its size while
    # stopped, and fg brings the mode back. Then killed on tty2 by SIGPIPE: the console, left
    # alone while away, has its own size and colours when the user returns.
    run -j -d cirrusfb "$out" "$prog" "$(answers 2 12)" 2 2.5:key:ctrl-z 3.5 4:key:alt-f2 4.8 \
        5.2:key:alt-f1 6:key:f 6:key:g 6:key:ret 8 8.5:key:alt-f2 9.5:kill:PIPE
    status 141
    check 2 probe 320x240 0 0 320 240
    stopped_and_back
    check 3.5 size 640x480
    check 8 probe 320x240 0 0 320 240
    check end console
    check end size 640x480
    ;;
svga_vesa_menu)
    # vesafb cannot switch modes: the menu offers what fits on 640x480, shown centred.
    run "$out" "$prog" "$(answers 2 3)" 0.8 2
    status 0
    shows text-0.8.txt " 1. 320x200 / 256 colors -> fast but wrong"
    shows text-0.8.txt " 5. 640x480 / 256 colors -> the slowest"
    grep -q "800x600" "$out/text-0.8.txt" && fail "800x600 offered on a 640x480 screen"
    shows text-0.8.txt "Width: 320  Height: 240  Colors: 256"
    check 2 probe 640x480 160 120 320 240
    check end console
    ;;
svga_cirrus_switch)
    # cirrusfb switches to a real 320x240 mode; away and back; 640x480 again at the end.
    run -d cirrusfb "$out" "$prog" "$(answers 2 7)" 2 2.5:key:alt-f2 3.5 4.5:key:alt-f1 5.5
    status 0
    check 2 probe 320x240 0 0 320 240
    grep -q '^VANTOR TEXT 3.5 .*active=tty2' "$out/channel.log" || fail "tty2 not active at 3.5 s"
    check 5.5 probe 320x240 0 0 320 240
    check end console
    check end size 640x480
    shows screen.txt " 6. 800x600 / 256 colors -> snail" # the console's lines kept whole
    ;;
svga_show_sigterm)
    # The show in 800x600 through the stand-in, ended by SIGTERM mid-scene.
    run -d cirrusfb -D "$show" "$out" "$prog" "$(answers 0 6)" 2.5 4 6 7:kill:TERM
    status 143
    lit 2.5 4 6
    check 6 size 800x600
    check end console
    check end size 640x480
    ;;
*)
    echo "unknown case $case"
    exit 2
    ;;
esac
[ "$failures" = 0 ] && echo "$case: ok" || echo "$case: $failures failed; files in $out"
[ "$failures" = 0 ]
