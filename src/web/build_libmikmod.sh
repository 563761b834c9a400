#!/bin/bash
# Builds libmikmod for WebAssembly from Debian's source package.
#
#   src/web/build_libmikmod.sh DIR
#
# Fetches the source with `apt-get source` into DIR (apt checks the
# archive's signatures as usual) and builds it with emscripten as a static
# library without output drivers, threads or its high-quality mixer,
# optimised for size: DIR/lib/libmikmod.a and DIR/include/mikmod.h. The
# system's apt configuration is left alone: apt reads a temporary list of
# deb-src entries made from the host's own deb entries, and keeps its
# package lists in DIR.
set -euo pipefail

dir=$(mkdir -p "$1" && cd "$1" && pwd)
[[ -f $dir/lib/libmikmod.a && -f $dir/include/mikmod.h ]] && exit 0

apt_dir=$dir/apt
rm -rf "$apt_dir"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/sources.list.d"

# deb822 files: every deb entry also offered as deb-src; one-line lists: each
# deb line repeated as deb-src.
shopt -s nullglob
for file in /etc/apt/sources.list.d/*.sources; do
    sed -E 's/^Types:.*\bdeb\b.*/Types: deb-src/' "$file" >"$apt_dir/sources.list.d/$(basename "$file")"
done
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -f $file ]] && sed -nE 's/^deb(\s)/deb-src\1/p' "$file"
done >"$apt_dir/sources.list"

apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache=")
apt-get "${apt_options[@]}" update
rm -rf "$dir/source"
mkdir -p "$dir/source"
(cd "$dir/source" && apt-get "${apt_options[@]}" source libmikmod)
source_dir=$(find "$dir/source" -mindepth 1 -maxdepth 1 -type d -name 'libmikmod-*' | head -n1)
[[ -n $source_dir ]] || {
    echo "build_libmikmod: no libmikmod source unpacked" >&2
    exit 1
}

off=()
for option in ALSA OSS PULSE SDL OPENAL STDOUT PIPE AIFF WAV RAW THREADS DL SIMD; do
    off+=("-DENABLE_$option=0")
done
# Optimised for size: the web edition's download is what a viewer waits for.
# The high-quality mixer is left out: the intro never asks for it. Without
# snprintf the loaders name the module's format with sprintf, which the
# compiler turns into the C library's integer-only printf: its floating-point
# formatting stays out of the program.
emcmake cmake -S "$source_dir" -B "$dir/build" -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_C_FLAGS_MINSIZEREL="-Oz -flto -DNDEBUG -DNO_HQMIXER" -DHAVE_SNPRINTF=0 "${off[@]}"
# Only the static library: the default target also makes the manual, which
# needs makeinfo.
emmake make -C "$dir/build" -j "${TARNOVEX_JOBS:-2}" mikmod-static
mkdir -p "$dir/lib" "$dir/include"
cp "$dir/build/libmikmod.a" "$dir/lib/"
cp "$(find "$dir/build" "$source_dir" -name mikmod.h | head -n1)" "$dir/include/"
