#!/bin/bash
# Builds libmikmod for WebAssembly from Debian's source package.
#
#   src/web/build_libmikmod.sh SOURCE DIR
#
# Builds the unpacked source in SOURCE (tools/libmikmod_source.sh fetches
# it) with emscripten as a static library without output drivers, threads
# or its high-quality mixer, optimised for size: DIR/lib/libmikmod.a and
# DIR/include/mikmod.h. A library built with other options than these is
# built again.
set -euo pipefail

source_dir=$(cd "$1" && pwd)
dir=$(mkdir -p "$2" && cd "$2" && pwd)

off=()
for option in ALSA OSS PULSE SDL OPENAL STDOUT PIPE AIFF WAV RAW THREADS DL SIMD; do
    off+=("-DENABLE_$option=0")
done
# Optimised for size: the web edition's download is what a viewer waits for.
# The high-quality mixer is left out: the intro never asks for it. Without
# snprintf the loaders name the module's format with sprintf, which the
# compiler turns into the C library's integer-only printf: its floating-point
# formatting stays out of the program.
options=(-DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_C_FLAGS_MINSIZEREL="-Oz -flto -DNDEBUG -DNO_HQMIXER"
    -DHAVE_SNPRINTF=0 "${off[@]}")
stamp=$dir/lib/options
[[ -f $dir/lib/libmikmod.a && -f $dir/include/mikmod.h && $(cat "$stamp" 2>/dev/null) == "${options[*]}" ]] && exit 0

rm -rf "$dir/build" "$dir/lib" "$dir/include"
emcmake cmake -S "$source_dir" -B "$dir/build" "${options[@]}"
# Only the static library: the default target also makes the manual, which
# needs makeinfo.
emmake make -C "$dir/build" -j "${TARNOVEX_JOBS:-2}" mikmod-static
mkdir -p "$dir/lib" "$dir/include"
cp "$dir/build/libmikmod.a" "$dir/lib/"
cp "$(find "$dir/build" "$source_dir" -name mikmod.h | head -n1)" "$dir/include/"
printf '%s\n' "${options[*]}" >"$stamp"
