# Helpers of the music tests (sourced).

fail() { echo "FAIL: $*" >&2; exit 1; }
between() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v >= lo && v <= hi) }'; }

# A command prefix: SIGINT and SIGQUIT at their defaults, as a terminal starts a command. A
# script's background job starts with both ignored, and the programs keep what was ignored at
# their start. (An array, not a function: "$!" stays the program's own id.)
FROM_TERMINAL=(env --default-signal=INT,QUIT)

# driver_number TEXT COMMAND...: the number of the driver whose line in the program's
# printed list contains TEXT. The program gets only the output-mode answer, prints the list
# and ends at the end of its input.
driver_number() {
    local text=$1 list number
    shift
    list=$(printf '4\n' | "$@" 2>/dev/null || true)
    number=$(printf '%s\n' "$list" | grep -- "$text" | head -n 1 | awk '{ print $1 }')
    [[ "$number" =~ ^[0-9]+$ ]] || fail "no '$text' in the driver list of $1"
    echo "$number"
}

# Checks that the WAV header matches the file; prints the seconds of data.
wav_seconds() {
    local file=$1 size riff data byte_rate
    size=$(stat -c %s "$file")
    riff=$(od -An -t u4 -j 4 -N 4 "$file" | tr -d ' ')
    byte_rate=$(od -An -t u4 -j 28 -N 4 "$file" | tr -d ' ')
    data=$(od -An -t u4 -j 40 -N 4 "$file" | tr -d ' ')
    [ "$(head -c 4 "$file")" = RIFF ] || fail "$file is not a RIFF file"
    [ "$riff" -eq $((size - 8)) ] || fail "$file: RIFF size $riff, file $size bytes"
    [ "$data" -eq $((size - 44)) ] || fail "$file: data size $data, file $size bytes"
    awk -v d="$data" -v r="$byte_rate" 'BEGIN { printf "%.2f\n", d / r }'
}

# True while the process exists and is not a zombie.
alive() {
    local state
    state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "${state:0:1}" != Z ]
}

# The music child of a process: its only living child once the driver probe is over. (A
# process substitution feeding the answers leaves a zombie child behind.)
music_child_of() {
    local p
    for p in $(pgrep -P "$1"); do
        alive "$p" && echo "$p" && return
    done
    true
}

# Starts a private Xvfb; sets DISPLAY and xvfb_pid.
start_xvfb() {
    local fifo display
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
    xvfb_pid=$!
    read -r display <"$fifo"
    rm -f "$fifo"
    export DISPLAY=":$display"
}
