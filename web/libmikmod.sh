#!/usr/bin/env bash
# libmikmod's player and software mixer for the browser: Debian's source package, fetched
# without touching the machine's apt configuration, compiled with emcc, no sound drivers.
#   web/libmikmod.sh CACHE_DIR OUT_DIR
# OUT_DIR receives libmikmod.a, include/mikmod.h and COPYING.LIB. The source is fetched once
# into CACHE_DIR; the same version as the native library, so both mix the same bytes.
set -euo pipefail

cache=$(mkdir -p "$1" && cd "$1" && pwd)
out=$(mkdir -p "$2" && cd "$2" && pwd)

source_dir() { find "$cache/src" -maxdepth 1 -type d -name 'libmikmod-*' 2>/dev/null | sort | tail -1; }

fetch_source() {
    local apt_dir=$cache/apt
    rm -rf "$apt_dir" "$cache/src"
    mkdir -p "$apt_dir/lists/partial" "$cache/src"
    # The machine's own Debian archives, as source entries, in a private list.
    apt-get indextargets --format '$(SITE) $(RELEASE) $(COMPONENT) $(TARGET_OF)' |
        awk '$4 == "deb" { print "deb-src " $1 " " $2 " " $3 }' | sort -u >"$apt_dir/sources.list"
    if [ ! -s "$apt_dir/sources.list" ]; then
        echo "libmikmod.sh: apt knows no Debian archive to fetch the source from" >&2
        return 1
    fi
    local apt=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o Dir::Etc::SourceParts=-
               -o "Dir::State::Lists=$apt_dir/lists" -o Dir::Cache::pkgcache=
               -o Dir::Cache::srcpkgcache= -qq)
    apt-get "${apt[@]}" update
    # The native library's version when it is installed: the mixer test compares the two. The
    # machine's own architecture only: with multiarch, others may be installed beside it.
    local version want=libmikmod
    version=$(dpkg-query -W -f='${Version}' "libmikmod3:$(dpkg --print-architecture)" 2>/dev/null ||
              true)
    [ -n "$version" ] && want="libmikmod=$version"
    (cd "$cache/src" && apt-get "${apt[@]}" source "$want" >/dev/null 2>"$cache/source.log") || {
        cat "$cache/source.log" >&2
        return 1
    }
}

[ -n "$(source_dir)" ] || fetch_source
src=$(source_dir)
[ -n "$src" ] || { echo "libmikmod.sh: no source unpacked in $cache/src" >&2; exit 1; }

# The player, loaders and mixer; of the drivers only the silent one, whose set-up starts the
# software mixer that the page calls directly.
files=()
for d in mmio playercode loaders depackers; do
    files+=("$src/$d"/*.c)
done
files+=("$src/drivers/drv_nos.c" "$src/posix/strcasecmp.c")
defines=(-DMIKMOD_BUILD -DHAVE_UNISTD_H -DHAVE_FCNTL_H -DHAVE_LIMITS_H -DHAVE_MEMCMP
         -DHAVE_STRSTR -DHAVE_SNPRINTF -DDRV_NOS)

lib=$out/libmikmod.a
if [ -f "$lib" ] && [ -z "$(find "$src" -newer "$lib" -name '*.[ch]' | head -1)" ]; then
    exit 0
fi
objs=$out/obj
mkdir -p "$objs" "$out/include"
# Two compilers at a time, as the rest of the build.
printf '%s\n' "${files[@]}" | xargs -P "$(nproc)" -I{} sh -c \
    'emcc -O2 '"${defines[*]}"' -I"$1/include" -c "$2" -o "$3/$(basename "$2" .c).o"' \
    sh "$src" {} "$objs"
rm -f "$lib"
emar rcs "$lib" "$objs"/*.o
cp "$src/include/mikmod.h" "$out/include/"
cp "$src/COPYING.LIB" "$out/"
echo "libmikmod for the browser: $lib ($(basename "$src"))"
