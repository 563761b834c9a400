#!/bin/bash
# A project of its own, outside the source tree, builds the README's toolkit
# example against an installed toolkit, once with find_package and once with
# pkg-config, and runs it on the installed rotating picture: the saved frame
# is 320 x 240, black at the corner and lit where the picture landed. A
# second program includes the font header alone and links tarnovex::font,
# so the headers' own includes and the libraries' dependencies must resolve.
# Usage: consumer_test.sh README PREFIX          against a toolkit in PREFIX
#        consumer_test.sh README --install BUILD  installs BUILD into a
#                                                 scratch prefix first
set -euo pipefail
readme=$(realpath "$1")

work=$(mktemp -d /tmp/tarnovex-consumer.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if [[ $2 == --install ]]; then
    prefix=$work/prefix
    cmake --install "$3" --prefix "$prefix" >"$work/install.log" || fail "install: $(cat "$work/install.log")"
else
    prefix=$2
fi

mkdir "$work/project"
cd "$work/project"
awk '/^```cpp$/ { inside = 1; next } /^```$/ { inside = 0 } inside' "$readme" >example.cpp
grep -q 'int main' example.cpp || fail "no C++ example in $readme"
cat >font_check.cpp <<'CPP'
#include <tarnovex/font/font.h>

int main() {
    Font* font = font_create();
    Image* sheet = img_create();
    img_resize(sheet, 8, 8);
    const bool made = font && sheet && sheet->width == 8;
    img_destroy(&sheet);
    font_destroy(&font);
    return made ? 0 : 1;
}
CPP
cat >CMakeLists.txt <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(consumer LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 17)
find_package(tarnovex 1.0 CONFIG REQUIRED)
add_executable(example example.cpp)
target_link_libraries(example PRIVATE tarnovex::img)
add_executable(font_check font_check.cpp)
target_link_libraries(font_check PRIVATE tarnovex::font)
CMAKE
cmake -S . -B build -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >"$work/cmake.log" 2>&1 &&
    cmake --build build >>"$work/cmake.log" 2>&1 || fail "the find_package build failed: $(cat "$work/cmake.log")"

pc_file=$(find "$prefix/lib" -name tarnovex.pc -path '*/pkgconfig/*' | head -n 1)
[[ -n $pc_file ]] || fail "no tarnovex.pc under $prefix/lib"
# shellcheck disable=SC2046  # pkg-config gives one flag a word
g++ -std=c++17 -o example-pc example.cpp $(PKG_CONFIG_PATH=$(dirname "$pc_file") pkg-config --cflags --libs tarnovex) ||
    fail "the pkg-config build failed"

./build/font_check || fail "font_check failed"
for program in build/example example-pc; do
    rm -rf run && mkdir run && cp "$prefix/share/tarnovex/rotoZoom.ppm" run/
    (cd run && "../$program") || fail "$program failed"
    read -r corner centre size < <(convert run/frame.ppm -format \
        '%[fx:p{0,0}.r+p{0,0}.g+p{0,0}.b] %[fx:p{160,120}.r+p{160,120}.g+p{160,120}.b] %wx%h\n' info:)
    [[ $size == 320x240 ]] || fail "$program saved a $size frame"
    [[ $corner == 0 && $centre != 0 ]] || fail "$program: corner $corner, centre $centre; expected black and lit"
done
echo "consumer: the README example built with find_package and pkg-config, and font_check, all ran"
