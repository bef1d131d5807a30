#!/usr/bin/env bash
# The Debian package of the build tree (cpack -G DEB): its name and control fields, what it
# holds, lintian, the validators of the desktop entry and the metadata, the manual pages
# against --help, and its programs run out of it, unpacked with dpkg -x into a scratch root
# (never installed into this machine's /usr): vantor-capture started from / finds the
# packaged show and hashes every frame as the build tree does, and the desktop entry's command
# plays the show without asking. Last, dpkg installs and purges it in a scratch root of its
# own, which must be left empty.
# Usage: package_test.sh BUILD_DIR
set -uo pipefail
build=$(realpath "$1")
work=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do
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
programs=(vantor-x11 vantor-fb vantor-svga vantor-capture)
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
revision=$(sed -n 's/^set(CPACK_DEBIAN_PACKAGE_RELEASE "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
app=$(sed -n 's/^VANTOR_APP_ID:STRING=//p' "$build/CMakeCache.txt")
desktop=usr/share/applications/$app.desktop
metainfo=usr/share/metainfo/$app.metainfo.xml

# The package.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { fail "cpack: $(cat "$work/cpack.log")"; exit 1; }
deb=$work/out/vantor6_${version}-${revision}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { fail "no $(basename "$deb"): $(ls "$work/out")"; exit 1; }
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

dpkg-deb -f "$deb" >"$work/control"
for field in "Package: vantor6" "Version: $version-$revision" "Section: misc" \
    "Maintainer: .* <.*@.*>" "Homepage: https://" "Recommends: ffmpeg" \
    "Description: real-time audiovisual demo"; do
    grep -q "^$field" "$work/control" || fail "control has no '$field': $(cat "$work/control")"
done
# Dependencies computed from the binaries: the libraries they link.
depends=$(sed -n 's/^Depends: //p' "$work/control")
for library in libc6 libmikmod3 libx11-6 libxext6 libpng16-16 libstdc++6; do
    case ", $depends," in
    *", $library ("* | *", $library,"*) ;;
    *) fail "Depends lacks $library: $depends" ;;
    esac
done
[[ "$depends" =~ libmikmod3\ \(\>=\ [0-9] ]] || fail "Depends names no version of libmikmod3: $depends"

# What it holds: the programs, the show, the pages, the desktop files, the documents; nothing
# of the build (the icon tool, tests) and nothing outside /usr.
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$work/contents"
for f in /usr/bin/vantor-x11 /usr/bin/vantor-fb /usr/bin/vantor-svga /usr/bin/vantor-capture \
    /usr/share/vantor6/music/vantor6.xm /usr/share/vantor6/grafika/pingu3.pcx \
    /usr/share/doc/vantor6/copyright /usr/share/doc/vantor6/changelog.Debian.gz \
    "/$desktop" "/$metainfo"; do
    grep -qx "$f" "$work/contents" || fail "the package lacks $f"
done
for program in "${programs[@]}"; do
    grep -qx "/usr/share/man/man6/$program.6.gz" "$work/contents" || fail "no manual page of $program"
done
for size in 48 64 128 256; do
    grep -qx "/usr/share/icons/hicolor/${size}x${size}/apps/$app.png" "$work/contents" ||
        fail "no ${size}px icon"
done
unexpected=$(grep -v -e '^/usr/$' -e '^/usr/\(bin\|share\)/' -e '^/$' "$work/contents"
    grep -e 'vantor-icon' -e '/usr/bin/.*test' -e '\.generated' "$work/contents")
[ -z "$unexpected" ] || fail "files that do not belong in the package: $unexpected"

# lintian: no errors; what it says is shown in the test's output.
lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1
status=$?
echo "lintian:"
sed 's/^/  /' "$work/lintian.txt"
[ "$status" -eq 0 ] || fail "lintian ended with $status"
grep -q '^E: ' "$work/lintian.txt" && fail "lintian reports errors"

root=$work/root
dpkg -x "$deb" "$root" || fail "dpkg -x"

desktop-file-validate "$root/$desktop" >"$work/desktop.txt" 2>&1 ||
    fail "desktop-file-validate: $(cat "$work/desktop.txt")"
[ -s "$work/desktop.txt" ] && fail "desktop-file-validate: $(cat "$work/desktop.txt")"
appstreamcli validate --no-net "$root/$metainfo" \
    >"$work/appstream.txt" 2>&1 || fail "appstreamcli validate: $(cat "$work/appstream.txt")"
grep -q "release version=\"$version\"" "$root/$metainfo" ||
    fail "the metadata does not name release $version"
# The icons: PNGs of their size, not a flat colour.
for size in 48 64 128 256; do
    python3 - "$root/usr/share/icons/hicolor/${size}x${size}/apps/$app.png" "$size" <<'PY' || fail "the ${size}px icon"
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
size = int(sys.argv[2])
assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
width, height = struct.unpack(">II", data[16:24])
assert (width, height) == (size, size), f"{width}x{height}"
# Rows of RGB after their filter byte; many colours means a picture.
idat, at = b"", 8
while at < len(data):
    length, kind = struct.unpack(">I4s", data[at:at + 8])
    if kind == b"IDAT":
        idat += data[at + 8:at + 8 + length]
    at += 12 + length
raw = zlib.decompress(idat)
assert len(set(raw[i:i + 3] for i in range(1, len(raw) - 3, 3))) > 50, "a flat picture"
PY
done

# The manual pages name exactly the options --help names, and carry the release's version.
for program in "${programs[@]}"; do
    page=$root/usr/share/man/man6/$program.6.gz
    "$root/usr/bin/$program" --help 2>&1 | grep -o '^  --[a-z-]*' | sed 's/^ *//' | sort -u \
        >"$work/help-options"
    # The options as the page shows them: the tagged paragraphs of its OPTIONS section.
    zcat "$page" | MANWIDTH=100 man -l - 2>"$work/man-errors" | col -b |
        awk '/^[A-Z]/ { section = $0 } section == "OPTIONS" && /^       --/ { print $1 }' |
        sort -u >"$work/page-options"
    [ -s "$work/man-errors" ] && fail "$program.6: $(cat "$work/man-errors")"
    [ -s "$work/help-options" ] || fail "$program --help lists no options"
    diff "$work/help-options" "$work/page-options" >"$work/diff" ||
        fail "$program: --help (<) and the manual page (>) differ: $(cat "$work/diff")"
    zcat "$page" | head -n 1 | grep -q "\"vantor6 $version\"" ||
        fail "$program.6 does not carry version $version"
    "$root/usr/bin/$program" --version >"$work/version" 2>&1
    [ "$(cat "$work/version")" = "$program (vantor6) $version" ] ||
        fail "$program --version: $(cat "$work/version")"
done

# vantor-capture started from / finds the packaged show and renders the build tree's frames.
"$build/show/vantor-capture" --data "$build/show" --hash >"$work/tree.txt" 2>/dev/null &
tree=$!
(cd / && "$root/usr/bin/vantor-capture" --hash >"$work/packaged.txt" 2>"$work/packaged.err")
status=$?
wait "$tree"
[ "$status" -eq 0 ] || fail "the packaged capture ended with $status: $(tail -n 3 "$work/packaged.err")"
[ "$(grep -c '' "$work/tree.txt")" -gt 1000 ] || fail "the build tree's capture: $(wc -l <"$work/tree.txt") frames"
cmp -s "$work/tree.txt" "$work/packaged.txt" ||
    fail "the packaged capture's frames differ from the build tree's: $(diff "$work/tree.txt" "$work/packaged.txt" | head -n 5)"

# The desktop entry's command, from a home folder with nothing to read on its input: no
# question, a window, the show under way until it is ended.
exec_line=$(sed -n 's/^Exec=//p' "$root/$desktop")
grep -qx "Icon=$app" "$root/$desktop" || fail "the desktop entry names another icon than $app"
fifo=$work/displayfd
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
pids+=($!)
read -r display <"$fifo"
mkdir "$work/home"
(cd "$work/home" && DISPLAY=:$display PATH=$root/usr/bin:$PATH exec $exec_line) \
    </dev/null >"$work/entry.out" 2>&1 &
entry=$!
pids+=($entry)
window=
for _ in $(seq 100); do
    window=$(DISPLAY=:$display xwininfo -root -tree 2>/dev/null | grep '"vantor6 for LINUX by orsel"')
    [ -n "$window" ] && break
    kill -0 "$entry" 2>/dev/null || break
    sleep 0.2
done
[ -n "$window" ] || fail "no window from '$exec_line': $(cat "$work/entry.out")"
[[ "$window" =~ 960x720 ]] || fail "the entry's window is not 960x720: $window"
sleep 2
kill -0 "$entry" 2>/dev/null || fail "'$exec_line' ended early: $(cat "$work/entry.out")"
kill -TERM "$entry"
wait "$entry"
status=$?
[ "$status" -eq 143 ] || fail "'$exec_line' ended with $status on SIGTERM"
grep -q -e 'Choose' -e 'Type' -e 'No answer' "$work/entry.out" &&
    fail "the desktop entry's command asked: $(cat "$work/entry.out")"

# Installed and purged by dpkg in a root of its own: nothing is left behind.
admin=$work/admin inst=$work/inst
mkdir -p "$admin/info" "$admin/updates" "$inst"
touch "$admin/status" "$admin/available"
dpkg_scratch=(dpkg --admindir="$admin" --instdir="$inst" --force-depends --force-not-root
    --force-script-chrootless --no-triggers)
"${dpkg_scratch[@]}" -i "$deb" >"$work/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$work/dpkg.log")"
[ -x "$inst/usr/bin/vantor-x11" ] || fail "dpkg -i installed no vantor-x11"
"${dpkg_scratch[@]}" -P vantor6 >>"$work/dpkg.log" 2>&1 || fail "dpkg -P: $(cat "$work/dpkg.log")"
left=$(find "$inst" -mindepth 1 -not -type d)
[ -z "$left" ] || fail "left behind after purging: $left"

[ "$failures" -eq 0 ] && echo "ok: package"
[ "$failures" -eq 0 ]
