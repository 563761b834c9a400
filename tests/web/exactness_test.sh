#!/bin/bash
# The web edition draws the desktop's frames: one pass of the show and the
# fade, recorded from the WebAssembly build under node with the data files
# it makes itself (each checked against the native build's), against a
# lossless capture by the native tarnovex-capture, frame by frame.
#   exactness_test.sh HEIGHT RECORD_FRAMES_JS RUN_DIR
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
height=$1 record=$(realpath "$2") run_dir=$3

cd "$run_dir"
note "native lossless capture at height $height"
./tarnovex-capture "$E2E_TMP/show.mkv" --height "$height" >/dev/null || fail "the capture failed"
# framemd5 lines end in the hash of the frame's bytes; bgr0 is the image's
# own little-endian 0x00RRGGBB.
ffmpeg -v error -i "$E2E_TMP/show.mkv" -map 0:v -fps_mode passthrough -pix_fmt bgr0 -f framemd5 - |
    awk -F', *' '!/^#/ { print $NF }' >"$E2E_TMP/native.md5"

note "WebAssembly build under node"
node --no-experimental-fetch "$record" "$E2E_TMP/web.md5" "$PWD" >/dev/null || fail "the WebAssembly build failed"

frames=$(wc -l <"$E2E_TMP/native.md5")
((frames == 2952 + 64)) || fail "the capture holds $frames frames, not one pass and the fade"
first=$(cmp "$E2E_TMP/native.md5" "$E2E_TMP/web.md5" | sed -n 's/.* line \([0-9]*\)$/\1/p') || true
[[ -z $first ]] || fail "frame $((first - 1)) differs (of $frames; lines: $(wc -l <"$E2E_TMP/web.md5"))"
cmp -s "$E2E_TMP/native.md5" "$E2E_TMP/web.md5" || fail "the WebAssembly build drew $(wc -l <"$E2E_TMP/web.md5") frames, not $frames"
note "all $frames frames equal"
