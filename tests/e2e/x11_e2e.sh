#!/usr/bin/env bash
# End-to-end checks of vantor-x11 under Xvfb; every case starts a server of its own on a free
# display number.
#
# usage: x11_e2e.sh VANTOR_X11 X11_PROBE SHOT_DIR CASE [ARGS]
#   matrix DEPTH shm|noshm [truecolor]  the four display answers, each with the program (run
#                                       from an empty directory) and with x11_probe, which checks
#                                       the window and leaves a screenshot in SHOT_DIR; truecolor
#                                       asks for a TrueColor default visual at depth 8
#   refused      the server cannot reach our memory: plain images
#   nosegment SHIM  shmget, then shmat refused in the program (the preloaded SHIM): plain images
#   unsupported  a visual the demo cannot serve
#   lost         the window is killed while the show runs
#   show DIR     the whole show from the data tree in DIR, to its closing banner
#   noserver     no X server at all
#   scale DEPTH  --scale 3: the window shows the frame tripled; resized, the picture moves
#                to the middle at the largest scale that fits, black around it
#   fullscreen   --fullscreen: the whole screen, the frame centred at the largest scale
#   small        --fullscreen on a screen smaller than the frame: its top left part
#
# The program is started in an empty directory: without a data tree the show either runs its
# blank steps to the end (status 0) or stops at the first file through the fatal path (status 1).
set -uo pipefail

x11=$1 probe=$2 shots=$3 case=$4
shift 4

work=$(mktemp -d)
xvfb_pid=
probe_pid=
probe_args=()
program_args=()
# Environment of the program and the probe (a preloaded library).
run_env=()
cleanup() {
    local pid
    for pid in $probe_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# read_text VARIABLE FILE: the file's exact text, trailing line feeds included.
read_text() {
    local t
    t=$(cat "$2" && printf x)
    printf -v "$1" '%s' "${t%x}"
}

BANNER=$'*** vantor6 for LINUX by orsel *** \n'
PROMPT=$'Choose display mode:\n1. Pixel size 1, Shared Memory Extension ON\n2. Pixel size 2, Shared Memory Extension ON\n3. Pixel size 1, Shared Memory Extension OFF\n4. Pixel size 2, Shared Memory Extension OFF\nType corresponding number : '
CLOSING=$'*** The show is over - thank you for watching *** \n*** Drawn in software at 320x240 in 256 colours, music played by MikMod *** \n*** See you in the next demo! *** \n'
SHM_ON=$'INFO: Shared memory extension in use\n'
SHM_OFF=$'INFO: Shared memory extension not in use\n'

# start_server [unshare --ipc] Xvfb-arguments...: sets DISPLAY once the server is ready.
start_server() {
    local launcher=()
    if [ "$1" = unshare ]; then
        launcher=(unshare --ipc)
        shift
    fi
    "${launcher[@]}" Xvfb -displayfd 3 -nolisten tcp -noreset "$@" \
        3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 200); do
        grep -q '^[0-9][0-9]*$' "$work/display" 2>/dev/null && break
        if ! kill -0 "$xvfb_pid" 2>/dev/null; then
            cat "$work/xvfb.log" >&2
            echo "FAIL: Xvfb $* did not start" >&2
            exit 1
        fi
        sleep 0.05
    done
    grep -q '^[0-9][0-9]*$' "$work/display" || {
        echo "FAIL: Xvfb $* did not tell its display number" >&2
        exit 1
    }
    DISPLAY=":$(cat "$work/display")"
    export DISPLAY
}

# The INFO line an answer should give: shared memory is asked for by answers 1 and 2 only.
info_for() { # answer, whether the server takes our segments (yes|no)
    if [ "$1" -ge 3 ]; then
        printf ''
    elif [ "$2" = yes ]; then
        printf '%s' "$SHM_ON"
    else
        printf '%s' "$SHM_OFF"
    fi
}

# vantor-x11 with the sound question answered 0 and the display question answered $1.
check_program() {
    local answer=$1 info=$2 empty="$work/empty" out err after rest status
    mkdir -p "$empty"
    (cd "$empty" && printf '0\n%s\n' "$answer" |
        env "${run_env[@]}" timeout 60 "$x11" "${program_args[@]}" >"$work/out" 2>"$work/err")
    status=$?
    read_text out "$work/out"
    read_text err "$work/err"
    local what="vantor-x11${program_args[*]:+ ${program_args[*]}}, answer $answer"

    [ -z "$err" ] || fail "$what: standard error: $err"
    [[ $out == "$BANNER"* ]] || fail "$what: output does not start with the banner"
    [[ $out == *"$PROMPT"* ]] || fail "$what: display prompt missing"
    after=${out##*"$PROMPT"}
    if [ -n "$info" ]; then
        [[ $after == "$info"* ]] || fail "$what: expected ${info%$'\n'} after the prompt"
        [ "$(grep -c 'INFO:' "$work/out")" -eq 1 ] || fail "$what: not exactly one INFO line"
        rest=${after#"$info"}
    else
        [[ $out != *INFO:* ]] || fail "$what: INFO line without shared memory wanted"
        rest=$after
    fi
    # The whole (empty) show and its closing banner, or the fatal path's message alone.
    if [[ $rest == "$CLOSING" ]]; then
        [ "$status" -eq 0 ] || fail "$what: exit status $status after the closing banner"
    elif [[ -z $rest || $rest == *'***'* ]]; then
        fail "$what: unexpected end of output (status $status): $rest"
    else
        [ "$status" -eq 1 ] || fail "$what: exit status $status after: $rest"
    fi
}

# start_probe ANSWER: x11_probe in hold mode, its standard input on descriptor 7; sets
# probe_pid, and window once the probe has checked the window (empty if it ended before).
start_probe() {
    rm -f "$work/in" "$work/probe.out"
    mkfifo "$work/in"
    env "${run_env[@]}" timeout 60 "$probe" --hold --expect "$work/expected.ppm" \
        "${probe_args[@]}" <"$work/in" >"$work/probe.out" 2>"$work/probe.err" &
    probe_pid=$!
    exec 7>"$work/in"
    send_line "$1"
    window=
    for _ in $(seq 400); do
        window=$(sed -n 's/^ready \(0x[0-9a-f]*\)$/\1/p' "$work/probe.out")
        [ -n "$window" ] && break
        kill -0 "$probe_pid" 2>/dev/null || break
        sleep 0.05
    done
}

# The probe may be gone already: a failed write must not end this script.
send_line() {
    (trap '' PIPE && printf '%s\n' "$1" >&7) 2>/dev/null
}

# stop_probe [LINE]: sends LINE (if any), ends the probe's input; sets probe_status.
stop_probe() {
    [ $# -gt 0 ] && send_line "$1"
    exec 7>&-
    wait "$probe_pid"
    probe_status=$?
    probe_pid=
}

# x11_probe with the display question answered $1: window, pixels, palette, screenshot.
check_probe() {
    local answer=$1 info=$2 name=$3 compare_shot=$4
    local pixel_size=$(((answer + 1) % 2 + 1))
    local width=$((320 * pixel_size)) height=$((240 * pixel_size))
    local what="x11_probe, answer $answer"
    start_probe "$answer"
    if [ -n "$window" ]; then
        local size
        size=$(xwininfo -id "$window" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}')
        [ "$size" = "${width}x${height}" ] || fail "$what: xwininfo says $size"
        if [ "$compare_shot" = yes ]; then
            mkdir -p "$shots"
            if xwd -id "$window" -silent | convert xwd:- "$shots/$name.png"; then
                # 5-6-5 pixels come back rounded: a small tolerance, no pixel may differ more.
                local differ
                differ=$(compare -metric AE -fuzz 4% "$shots/$name.png" "$work/expected.ppm" \
                    null: 2>&1)
                [ "$differ" = 0 ] || fail "$what: screenshot differs from the frame: $differ"
            else
                fail "$what: no screenshot"
            fi
        fi
    fi
    stop_probe

    local out expected
    read_text out "$work/probe.out"
    expected="$PROMPT$info"
    [ "$probe_status" -eq 0 ] || fail "$what: exit status $probe_status: ${out#"$expected"}"
    [[ $out == "$expected"* ]] || fail "$what: prompt or INFO line differs: $out"
    out=${out#"$expected"}
    [[ $out == "window ${width}x${height} "*$'\npixels ok\npalette ok\nready '*$'\nclosed\n' ]] ||
        fail "$what: $out"
    [ -s "$work/probe.err" ] && fail "$what: standard error: $(cat "$work/probe.err")"
    return 0
}

# The window closed under the running show (xkill, as a window manager's close does): the next
# present ends the program with a message and status 1 instead of Xlib's silent exit.
check_lost() {
    local answer=$1 what="lost connection, answer $1" err
    start_probe "$answer"
    [ -n "$window" ] || fail "$what: the probe did not get ready"
    local program_pid
    program_pid=$(pgrep -P "$probe_pid" | head -1)
    xkill -id "$window" >/dev/null
    stop_probe present
    # The program's shared segment must go with it (marked for removal as soon as attached).
    local left
    left=$(ipcs -m -p | awk -v p="$program_pid" '$3 == p { print $1 }')
    [ -z "$left" ] || fail "$what: shared memory segment $left left behind"
    read_text err "$work/probe.err"
    [ "$probe_status" -eq 1 ] || fail "$what: exit status $probe_status"
    [ "$err" = "$probe: connection to the X server lost"$'\n' ] ||
        fail "$what: standard error: $err"
    [[ $(cat "$work/probe.out") != *closed* ]] || fail "$what: the probe went on after the loss"
}

# x11_probe with a back-end option ($probe_args) and display answer $1: a window of size $2
# whose screenshot is the expected picture; resized to $3 (if given) the picture follows.
check_resizable() {
    local answer=$1 size=$2 resize=${3:-} what="x11_probe ${probe_args[*]}, answer $1"
    start_probe "$answer"
    if [ -n "$window" ]; then
        local got differ
        got=$(xwininfo -id "$window" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}')
        [ "$got" = "$size" ] || fail "$what: xwininfo says $got"
        mkdir -p "$shots"
        local shot="$shots/${shot_name:-${probe_args[0]#--}}-answer$answer.png"
        if xwd -id "$window" -silent | convert xwd:- "$shot"; then
            # 5-6-5 pixels come back rounded, as in the matrix.
            differ=$(compare -metric AE -fuzz 4% "$shot" "$work/expected.ppm" null: 2>&1)
            [ "$differ" = 0 ] || fail "$what: screenshot differs from the frame: $differ"
        else
            fail "$what: no screenshot"
        fi
        [ -n "$resize" ] && send_line "resize ${resize/x/ }"
    else
        fail "$what: the probe did not get ready"
    fi
    stop_probe
    local out
    read_text out "$work/probe.out"
    [ "$probe_status" -eq 0 ] || fail "$what: exit status $probe_status: $out"
    [[ $out == *"window $size "*$'\npixels ok\npalette ok\nready '* ]] || fail "$what: $out"
    if [ -n "$resize" ]; then
        [[ $out == *"resized $resize ok"* ]] || fail "$what: after the resize: $out"
    fi
}

case $case in
scale)
    start_server -screen 0 "1024x768x$1"
    probe_args=(--scale 3)
    check_resizable 1 960x720 700x500
    check_resizable 3 960x720
    ;;
fullscreen)
    start_server -screen 0 1024x768x16
    probe_args=(--fullscreen)
    check_resizable 1 1024x768 640x600
    ;;
small)
    # The image is never smaller than the frame, whatever the screen: the window shows the
    # frame's top left part, with and without shared memory.
    start_server -screen 0 200x150x24
    probe_args=(--fullscreen) program_args=(--fullscreen) shot_name=small
    for answer in 1 3; do
        info=$(info_for "$answer" yes && printf x)
        check_program "$answer" "${info%x}"
        check_resizable "$answer" 200x150
    done
    ;;
matrix)
    depth=$1 shm=$2 name=depth$1
    server_args=(-screen 0 "1024x768x$depth")
    if [ "${3:-}" = truecolor ]; then
        server_args+=(-cc 4)
        name+=truecolor
    fi
    takes_shm=yes
    if [ "$shm" = noshm ]; then
        server_args+=(-extension MIT-SHM)
        takes_shm=no
    fi
    # Screenshots where xwd and convert render the depth faithfully; the probe's own check
    # covers the others.
    compare_shot=no
    [[ $name == depth@(8|16|24) ]] && compare_shot=yes
    start_server "${server_args[@]}"
    for answer in 1 2 3 4; do
        info=$(info_for "$answer" "$takes_shm" && printf x)
        info=${info%x}
        check_program "$answer" "$info"
        check_probe "$answer" "$info" "$name-$shm-answer$answer" "$compare_shot"
    done
    ;;
refused)
    # A server in an IPC namespace of its own cannot attach our segments, like a server on
    # another machine: the program goes on with plain images after one INFO line.
    unshare --ipc true 2>/dev/null || {
        echo "unshare --ipc is not permitted here: skipped"
        exit 77
    }
    start_server unshare -screen 0 1024x768x24
    for answer in 1 2; do
        check_program "$answer" "$SHM_OFF"
        check_probe "$answer" "$SHM_OFF" "refused-answer$answer" yes
    done
    ;;
nosegment)
    # No shared segment on our side, as under a container's IPC limits: one INFO line, then
    # plain images. The shim is preloaded into the program and the probe only.
    start_server -screen 0 1024x768x16
    for call in shmget shmat; do
        run_env=(LD_PRELOAD="$1" SHM_REFUSE="$call"
            ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0")
        check_program 2 "$SHM_OFF"
        check_probe 1 "$SHM_OFF" "nosegment-$call" yes
    done
    ;;
unsupported)
    # A DirectColor default visual is neither TrueColor nor 8-bit PseudoColor.
    start_server -cc 5 -screen 0 1024x768x24
    (cd "$work" && printf '0\n1\n' | timeout 60 "$x11" >"$work/out" 2>"$work/err")
    status=$?
    read_text err "$work/err"
    [ "$status" -eq 255 ] || fail "unsupported visual: exit status $status"
    [ "$err" = $'This version of the Demo needs TruColor or 8 Bit PseudoColor Display!\n' ] ||
        fail "unsupported visual: standard error: $err"
    ;;
lost)
    start_server -screen 0 1024x768x24
    check_lost 1
    check_lost 4
    ;;
show)
    # The whole show from its data tree, at pixel size 2 with shared memory; a screenshot taken
    # while the first picture is held must show the picture, not a black window.
    show_dir=$1
    start_server -screen 0 1024x768x24
    (cd "$show_dir" && printf '0\n2\n' | timeout 900 "$x11" >"$work/out" 2>"$work/err") &
    show_pid=$!
    sleep 2
    mkdir -p "$shots"
    xwd -root -silent | convert xwd:- -crop 640x480+192+144 +repage "$shots/show-title.png"
    colours=$(convert "$shots/show-title.png" -format %k info:)
    [ "${colours:-0}" -ge 64 ] || fail "show: the first picture has only ${colours:-0} colours"
    wait "$show_pid"
    status=$?
    read_text out "$work/out"
    read_text err "$work/err"
    [ "$status" -eq 0 ] || fail "show: exit status $status"
    [ -z "$err" ] || fail "show: standard error: $err"
    [[ $out == "$BANNER"*"$PROMPT$SHM_ON"*"$CLOSING" ]] || fail "show: standard output: $out"
    ;;
noserver)
    unset DISPLAY
    (cd "$work" && printf '0\n1\n' | timeout 60 "$x11" >"$work/out" 2>"$work/err")
    status=$?
    [ "$status" -eq 255 ] || fail "no server: exit status $status"
    read_text err "$work/err"
    read_text out "$work/out"
    [ "$err" = "$x11: cannot connect to X server!"$'\n' ] || fail "no server: standard error: $err"
    [[ $out == "$BANNER"*"$PROMPT" ]] || fail "no server: standard output: $out"
    ;;
*)
    echo "unknown case $case" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] && echo "ok: $case $*"
[ "$failures" -eq 0 ]
