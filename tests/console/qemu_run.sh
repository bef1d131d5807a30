#!/usr/bin/env bash
# Boots Debian's kernel under qemu (software emulation, no display window) with a small busybox
# initramfs and runs one program on the virtual console /dev/tty1 with a real /dev/fb0.
#
# Usage: qemu_run.sh [options] OUT PROGRAM ANSWERS [EVENT...]
#   OUT      output folder (emptied): exit, screen.txt, shot-T.png, text-T.txt, shot-end.png,
#            console.log (kernel), channel.log (guest reports)
#   PROGRAM  executable; the libraries ldd lists are copied along
#   ANSWERS  file that becomes the program's standard input
#   EVENT    T seconds after the program started: T (screenshot and tty1's text),
#            T:key:KEYS (qemu sendkey, e.g. alt-f2), T:kill:SIGNAL (signal the program)
# Options:
#   -k DIR     kernel folder made by kernel.sh (required)
#   -d DRIVER  vesa (default) or cirrusfb
#   -v MODE    vesa: vga= mode number (default 0x301, 640x480x8)
#   -r MODE    cirrusfb: start mode, e.g. 640x480-8@60
#   -D DIR     copy DIR's contents into the program's working folder
#   -T SECS    time limit for the program (default 40), then SIGKILL (status 137)
#   -j         the program runs as the foreground job of an interactive shell on tty1, so that
#              Ctrl-Z stops it and fg (typed as keys f, g, ret) goes on
# Exit status: the program's own, or 125 when the harness failed.
set -uo pipefail
export LC_ALL=C
here=$(cd "$(dirname "$0")" && pwd)
kdir= driver=vesa vga=0x301 video= data= limit=40 job=0
while getopts k:d:v:r:D:T:j opt; do
    case $opt in
    k) kdir=$OPTARG ;; d) driver=$OPTARG ;; v) vga=$OPTARG ;; r) video=$OPTARG ;;
    D) data=$OPTARG ;; T) limit=$OPTARG ;; j) job=1 ;; *) exit 125 ;;
    esac
done
shift $((OPTIND - 1))
die() { echo "qemu_run.sh: $*" >&2; exit 125; }
[ $# -ge 3 ] || die "usage: qemu_run.sh [options] OUT PROGRAM ANSWERS [EVENT...]"
out=$1 prog=$2 answers=$3
shift 3
events=("$@")
[ -f "$kdir/vmlinuz" ] || die "no kernel in '$kdir': run tests/console/kernel.sh"
for e in ${events[@]+"${events[@]}"}; do
    [[ $e =~ ^[0-9]+(\.[0-9]+)?(:key:.+|:kill:[A-Z0-9]+)?$ ]] || die "bad event '$e'"
done

# vesafb needs the compressed kernel, whose real-mode set-up code asks the BIOS for the mode;
# cirrusfb boots the uncompressed one directly, which skips the slow decompressor.
case $driver in
vesa) dev="-vga std" kernel=$kdir/vmlinuz cmd="vga=$vga" mods= ;;
cirrusfb) dev="-vga cirrus" kernel=$kdir/vmlinux cmd=${video:+cirrusfb.mode_option=$video} mods=cirrusfb ;;
*) die "unknown driver $driver" ;;
esac

rm -rf "$out" && mkdir -p "$out" && out=$(cd "$out" && pwd) || die "cannot make $out"
root=$out/root
mkdir -p "$root"/{bin,dev,proc,sys,tmp,prog}
cp /bin/busybox "$root/bin/busybox" || die "no /bin/busybox (busybox-static)"
cp "$here/guest_init" "$root/init"
tar xf "$kdir/modules.tar" -C "$root" || die "cannot unpack the modules"
[ -n "$data" ] && { cp -r "$data"/. "$root/prog/" || die "cannot copy $data"; }
name=$(basename "$prog")
cp "$prog" "$root/prog/$name" && cp "$answers" "$root/prog/answers" || die "cannot copy $prog"
if ldd "$prog" >/dev/null 2>&1; then
    for lib in $(ldd "$prog" | grep -o '/[^ ]*'); do cp -L --parents "$lib" "$root/" || die "cannot copy $lib"; done
fi
if [ "$job" = 1 ]; then
    # The job's shell stays to write the status; the program keeps the id in /tmp/pid.
    cat > "$root/prog/run" <<EOF
sh -c 'echo \$\$ > /tmp/pid; exec ./$name < answers > /dev/tty1 2>&1'
echo \$? > /tmp/rc.new && mv /tmp/rc.new /tmp/rc
EOF
else
    printf 'echo $$ > /tmp/pid\nexec ./%s < answers > /dev/tty1 2>&1\n' "$name" > "$root/prog/run"
fi
(cd "$root" && find . | cpio -o -H newc --quiet) > "$out/initrd.cpio" || die "cpio failed"
rm -rf "$root"

mkfifo "$out/qmp.in" "$out/qmp.out" "$out/req.in" "$out/req.out" || die "mkfifo failed"
t0=$(date +%s%N)
now() { echo $((($(date +%s%N) - t0) / 1000000)); }
# shellcheck disable=SC2086
qemu-system-x86_64 -accel tcg -machine pc -m 384 -smp 1 -nodefaults -no-user-config -no-reboot \
    $dev -display none -kernel "$kernel" -initrd "$out/initrd.cpio" \
    -append "console=ttyS0 panic=-1 $cmd vt.limit=$limit vt.mod=$mods vt.job=$job" \
    -serial "file:$out/console.log" -serial "file:$out/channel.log" -serial "pipe:$out/req" \
    -chardev "pipe,id=qmp,path=$out/qmp" -mon chardev=qmp,mode=control > "$out/qemu.log" 2>&1 &
qpid=$!
trap 'kill "$qpid" 2>/dev/null' EXIT
exec 7<>"$out/qmp.in" 8<>"$out/req.in"
cat "$out/qmp.out" > "$out/qmp.log" &
cat "$out/req.out" > /dev/null &
qmp() { printf '%s\n' "$1" >&7; }
qmp '{"execute":"qmp_capabilities"}'
alive() { kill -0 "$qpid" 2>/dev/null; }
shot() { qmp "{\"execute\":\"screendump\",\"arguments\":{\"filename\":\"$out/shot-$1.png\",\"format\":\"png\"}}"; }
seen() { grep -q "^VANTOR $1" "$out/channel.log" 2>/dev/null; }

while ! seen START; do
    alive || die "qemu ended before the program started (see $out/console.log)"
    [ "$(now)" -gt 120000 ] && die "no start within 120 s (see $out/console.log)"
    sleep 0.02
done
tstart=$(now)
mapfile -t sorted < <(for e in ${events[@]+"${events[@]}"}; do echo "$e"; done | sort -s -t: -k1,1g)
for e in ${sorted[@]+"${sorted[@]}"}; do
    t=${e%%:*} rest=${e#*:}
    [ "$rest" = "$e" ] && rest=
    wait_ms=$((tstart + $(awk -v t="$t" 'BEGIN { printf "%d", t * 1000 }') - $(now)))
    [ "$wait_ms" -gt 0 ] && sleep "$(awk -v w="$wait_ms" 'BEGIN { printf "%.3f", w / 1000 }')"
    seen EXIT && { echo "qemu_run.sh: the program had ended, event $e skipped" >&2; continue; }
    echo "$e at $(($(now) - tstart)) ms" >> "$out/events.log"
    case $rest in
    '') shot "$t" && printf 'text %s\n' "$t" >&8 ;;
    key:*) qmp "{\"execute\":\"human-monitor-command\",\"arguments\":{\"command-line\":\"sendkey ${rest#key:}\"}}" ;;
    kill:*) printf 'kill %s\n' "${rest#kill:}" >&8 ;;
    esac
done

deadline=$((tstart + (limit + 30) * 1000))
while alive && ! seen AFTER && [ "$(now)" -lt "$deadline" ]; do sleep 0.05; done
if seen AFTER; then
    shot end
    sleep 0.5
    printf 'off\n' >&8
fi
for _ in $(seq 100); do alive || break; sleep 0.05; done
alive && { qmp '{"execute":"quit"}'; sleep 1; kill "$qpid" 2>/dev/null; }
wait "$qpid" 2>/dev/null
exec 7>&- 8>&-
wait
rm -f "$out"/qmp.in "$out"/qmp.out "$out"/req.in "$out"/req.out "$out/initrd.cpio"

block() { sed -n "/^VANTOR $1\$/,/^VANTOR $2\$/{/^VANTOR /d;p}" "$out/channel.log"; }
for e in ${sorted[@]+"${sorted[@]}"}; do
    [[ $e == *:* ]] || block "TEXT $e .*" "TEXTEND $e" > "$out/text-$e.txt"
done
block "SCREEN .*" END > "$out/screen.txt"
rc=$(grep '^VANTOR EXIT ' "$out/channel.log" | head -1 | cut -d' ' -f3)
[ -n "$rc" ] || die "no exit status from the guest (see $out/console.log)"
echo "$rc" > "$out/exit"
echo "qemu_run.sh: exit $rc, program started $tstart ms after launch" >&2
exit "$rc"
