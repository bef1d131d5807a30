#!/usr/bin/env bash
# cmake --install into a fresh prefix: the programs and the show land in bin/ and
# share/vantor6/, an installed program started elsewhere finds the show, --data overrides it,
# and --help and --version answer.
# Usage: install.sh BUILD_DIR
set -uo pipefail
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    fail "cmake --install: $(cat "$work/install.log")"
for f in bin/vantor-x11 bin/vantor-capture share/vantor6/music/vantor6.xm \
    share/vantor6/grafika/pingu3.pcx; do
    [ -e "$prefix/$f" ] || fail "not installed: $f"
done
compgen -G "$prefix/share/vantor6/vantor-*" >/dev/null && fail "programs copied into the data tree"

# Started from an empty directory, the installed capture shows the first picture.
mkdir "$work/elsewhere"
cd "$work/elsewhere" || exit 1
"$prefix/bin/vantor-capture" --stop-after 6 --hash >out.txt 2>err.txt
status=$?
[ "$status" -eq 0 ] || fail "installed capture: status $status: $(cat out.txt err.txt)"
grep -q "Cann't" err.txt && fail "installed capture misses its data: $(grep "Cann't" err.txt)"
[ "$(grep '^s06 ' out.txt | awk '{ print $3 }' | sort -u | wc -l)" -gt 20 ] ||
    fail "installed capture: no picture in segment 6"

# Moved elsewhere, the installation still finds its show.
mv "$prefix" "$work/moved"
"$work/moved/bin/vantor-capture" --stop-after 6 --hash >moved.txt 2>/dev/null
cmp -s out.txt moved.txt || fail "moved installation: other frames than before"

# --data names another tree; one that is not there is an error.
"$work/moved/bin/vantor-capture" --data "$work/moved/share/vantor6" --stop-after 6 --hash \
    >data.txt 2>/dev/null
cmp -s out.txt data.txt || fail "--data: other frames than the installed show"
for program in vantor-capture vantor-x11; do
    "$work/moved/bin/$program" --data "$work/none" </dev/null >/dev/null 2>err.txt
    status=$?
    [ "$status" -eq 2 ] || fail "$program --data missing: status $status"
    grep -q "$work/none" err.txt || fail "$program --data missing: $(cat err.txt)"
    "$work/moved/bin/$program" --version >version.txt 2>&1 || fail "$program --version failed"
    grep -q "^$program (vantor6) [0-9]" version.txt || fail "$program --version: $(cat version.txt)"
    "$work/moved/bin/$program" --help >help.txt 2>&1 || fail "$program --help failed"
    grep -q -- --data help.txt || fail "$program --help: $(cat help.txt)"
    "$work/moved/bin/$program" --no-such-option </dev/null >/dev/null 2>err.txt
    [ $? -eq 2 ] || fail "$program: an unknown option did not end with status 2"
done
[ "$failures" -eq 0 ] && echo "ok: install"
[ "$failures" -eq 0 ]
