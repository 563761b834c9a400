#!/bin/bash
# The web edition draws the desktop's frames: one pass of the show and the
# fade, recorded from the WebAssembly build under node with the data files
# it makes itself (each checked against the native build's), against a
# lossless capture by the native tarnovex-capture, frame by frame. Played again in
# the same process, the show draws the same frames once more.
#   exactness_test.sh HEIGHT RECORD_FRAMES_JS RUN_DIR
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
height=$1 record=$(realpath "$2") run_dir=$3

cd "$run_dir"
show_length ./tarnovex-capture
note "native lossless capture at height $height"
./tarnovex-capture "$E2E_TMP/show.mkv" --height "$height" >/dev/null || fail "the capture failed"
# framemd5 lines end in the hash of the frame's bytes; bgr0 is the image's
# own little-endian 0x00RRGGBB.
ffmpeg -v error -i "$E2E_TMP/show.mkv" -map 0:v -fps_mode passthrough -pix_fmt bgr0 -f framemd5 - |
    awk -F', *' '!/^#/ { print $NF }' >"$E2E_TMP/native.md5"

note "WebAssembly build under node"
node --no-experimental-fetch "$record" "$E2E_TMP/web.md5" "$E2E_TMP/again.md5" "$PWD" >/dev/null ||
    fail "the WebAssembly build failed"

# expect_same_frames EXPECTED GOT WHAT: the two lists of frame hashes are equal.
expect_same_frames() {
    local first
    first=$(cmp "$1" "$2" | sed -n 's/.* line \([0-9]*\)$/\1/p') || true
    [[ -z $first ]] || fail "$3: frame $((first - 1)) differs (of $(wc -l <"$1"); lines: $(wc -l <"$2"))"
    cmp -s "$1" "$2" || fail "$3: $(wc -l <"$2") frames, not $(wc -l <"$1")"
}

frames=$(wc -l <"$E2E_TMP/native.md5")
((frames == PASS_FRAMES + FADE_FRAMES)) || fail "the capture holds $frames frames, not one pass and the fade"
expect_same_frames "$E2E_TMP/native.md5" "$E2E_TMP/web.md5" "the WebAssembly build"
note "all $frames frames equal"
expect_same_frames "$E2E_TMP/web.md5" "$E2E_TMP/again.md5" "played again"
note "played again: the same $frames frames"
