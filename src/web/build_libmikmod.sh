#!/bin/bash
# Builds libmikmod for WebAssembly from Debian's source package.
#
#   src/web/build_libmikmod.sh SOURCE DIR
#
# Builds the unpacked source in SOURCE (tools/libmikmod_source.sh fetches
# it) with emscripten as a static library without output drivers or
# threads: DIR/lib/libmikmod.a and DIR/include/mikmod.h.
set -euo pipefail

source_dir=$(cd "$1" && pwd)
dir=$(mkdir -p "$2" && cd "$2" && pwd)
[[ -f $dir/lib/libmikmod.a && -f $dir/include/mikmod.h ]] && exit 0

off=()
for option in ALSA OSS PULSE SDL OPENAL STDOUT PIPE AIFF WAV RAW THREADS DL SIMD; do
    off+=("-DENABLE_$option=0")
done
emcmake cmake -S "$source_dir" -B "$dir/build" -DCMAKE_BUILD_TYPE=Release "${off[@]}"
# Only the static library: the default target also makes the manual, which
# needs makeinfo.
emmake make -C "$dir/build" -j "${TARNOVEX_JOBS:-2}" mikmod-static
mkdir -p "$dir/lib" "$dir/include"
cp "$dir/build/libmikmod.a" "$dir/lib/"
cp "$(find "$dir/build" "$source_dir" -name mikmod.h | head -n1)" "$dir/include/"
