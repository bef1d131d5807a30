#!/usr/bin/env bash
# Unpacks Debian's generic kernel (the package linux-image-amd64 points to) into DIR for the
# console tests: vmlinuz, the same kernel uncompressed (vmlinux, booted directly and about
# 3.5 s sooner under emulation) and a tar of the display modules with their dependencies.
# The package is only unpacked, never installed on this machine. Quick when DIR is complete.
# Usage: tests/console/kernel.sh DIR
set -euo pipefail
dir=${1:?usage: kernel.sh DIR}
if [ -f "$dir/vmlinuz" ] && [ -f "$dir/vmlinux" ] && [ -f "$dir/modules.tar" ]; then exit 0; fi
mkdir -p "$dir" && dir=$(cd "$dir" && pwd)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
resolve() {
    apt-cache depends linux-image-amd64 2>/dev/null |
        sed -n 's/^ *Depends: \(linux-image-[0-9].*-amd64\)$/\1/p' | head -1
}
fetch() { [ -n "$pkg" ] && (cd "$tmp" && apt-get download "$pkg" >/dev/null 2>&1) && ls "$tmp"/*.deb >/dev/null 2>&1; }
pkg=$(resolve)
if ! fetch; then
    apt-get update -qq
    pkg=$(resolve)
    fetch || { echo "kernel.sh: cannot download the kernel package" >&2; exit 1; }
fi
ver=${pkg#linux-image-}
dpkg-deb -x "$tmp"/*.deb "$tmp/x"
cp "$tmp/x/boot/vmlinuz-$ver" "$dir/vmlinuz"

# Only the display drivers the tests load, and what they need.
mdir=lib/modules/$ver
depmod -b "$tmp/x" "$ver"
list=$(cd "$tmp/x/$mdir" && for m in cirrusfb; do
    grep -E "/${m}\.ko(\.xz)?:" modules.dep | tr -d : | tr ' ' '\n'
done | sort -u | sed "s|^|$mdir/|")
mkdir "$tmp/m"
(cd "$tmp/x" && tar cf - $list "$mdir"/modules.order "$mdir"/modules.builtin \
    "$mdir"/modules.builtin.modinfo) | tar xf - -C "$tmp/m"
depmod -b "$tmp/m" "$ver"
(cd "$tmp/m" && tar cf "$dir/modules.tar" lib)

# The compressed kernel carries an xz stream holding the ELF image with its PVH entry.
off=$(LC_ALL=C grep -abo $'\xfd7zXZ' "$dir/vmlinuz" | head -1 | cut -d: -f1)
tail -c +$((off + 1)) "$dir/vmlinuz" | xz -dc > "$dir/vmlinux" 2>/dev/null || true
if [ "$(head -c 4 "$dir/vmlinux" | od -An -tx1 | tr -d ' ')" != 7f454c46 ]; then
    echo "kernel.sh: could not unpack vmlinux from vmlinuz" >&2
    rm -f "$dir/vmlinux"
    exit 1
fi
echo "$ver" > "$dir/version"
echo "kernel.sh: kernel $ver unpacked into $dir"
