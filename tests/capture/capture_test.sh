#!/bin/bash
# Captures short runs of the show and checks what a viewer gets: the streams
# ffprobe sees, and every decoded frame and sample against the show itself;
# over three passes, the music against the show's parts.
#   capture_test.sh RUN_DIR CHECK_200 CHECK_240 MUSIC_CHECK
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
RUN_DIR=$1
declare -A CHECK=([200]=$2 [240]=$3)
MUSIC_CHECK=$4
show_length "$RUN_DIR/tarnovex-capture"

# The capture finds its data files beside itself in the build tree, wherever
# it is started, and writes a relative OUTPUT into the folder it was started in.
mkdir "$E2E_TMP/elsewhere"
cd "$E2E_TMP/elsewhere"

# probe FILE STREAM ENTRIES: one stream's entries as key=value lines.
probe() {
    ffprobe -v error -count_frames -select_streams "$2" -show_entries "stream=$3" -of default=noprint_wrappers=1 "$1"
}

expect_probe() {
    local got
    got=$(probe "$1" "$2" "$3" | tr '\n' ' ')
    [[ $got == "$4 " ]] || fail "$1 stream $2: $got, expected $4"
}

# capture_and_check HEIGHT SHOW_FRAMES SCALE FPS [STDOUT]: STDOUT "closed"
# starts the capture with standard output closed.
capture_and_check() {
    local height=$1 frames=$2 scale=$3 fps=$4 file=show.mkv
    note "lossless capture: height $height, $frames frames, scale $scale, $fps fps ${5:-}"
    local capture=("$RUN_DIR/tarnovex-capture" "$file" --height "$height" --frames "$frames" --scale "$scale" --fps "$fps")
    if [[ ${5:-} == closed ]]; then
        "${capture[@]}" >&- 2>"$E2E_TMP/capture.err" || fail "capture failed: $(cat "$E2E_TMP/capture.err")"
    else
        "${capture[@]}" >/dev/null 2>"$E2E_TMP/capture.err" || fail "capture failed: $(cat "$E2E_TMP/capture.err")"
    fi
    [[ ! -s $E2E_TMP/capture.err ]] || fail "capture wrote on standard error: $(cat "$E2E_TMP/capture.err")"
    expect_probe "$file" v codec_name,width,height,pix_fmt,r_frame_rate,nb_read_frames \
        "codec_name=ffv1 width=$((320 * scale)) height=$((height * scale)) pix_fmt=bgr0 r_frame_rate=$fps/1 nb_read_frames=$((frames + FADE_FRAMES))"
    expect_probe "$file" a codec_name,sample_rate,channels "codec_name=flac sample_rate=44100 channels=2"
    ffmpeg -v error -i "$file" -map 0:v -fps_mode passthrough -f rawvideo -pix_fmt bgr0 "$E2E_TMP/frames.bgr0"
    ffmpeg -v error -i "$file" -map 0:a -f s16le "$E2E_TMP/samples.s16"
    (cd "$RUN_DIR" && "${CHECK[$height]}" "$E2E_TMP/frames.bgr0" "$E2E_TMP/samples.s16" "$frames" "$scale" "$fps") \
        >/dev/null || fail "the capture differs from the show"
    rm -f "$file" "$E2E_TMP/frames.bgr0" "$E2E_TMP/samples.s16"
}

capture_and_check 200 300 1 60
# Far enough for the scroll text, which a closed standard output must not
# send into the video file.
capture_and_check 240 600 1 60 closed
# 44100 / 64 is no whole number of samples a frame.
capture_and_check 240 40 3 64

# Three passes and the first frames of a fourth: the song restarts with every
# pass without a gap, and each change of effect is on one of its beats.
frames=$((3 * PASS_FRAMES + 3))
note "lossless capture of three passes: the music against the show's parts"
"$RUN_DIR/tarnovex-capture" passes.mkv --height 200 --frames "$frames" >/dev/null 2>&1 ||
    fail "the capture of three passes failed"
ffmpeg -v error -i passes.mkv -map 0:a -f s16le "$E2E_TMP/passes.s16"
"$MUSIC_CHECK" "$E2E_TMP/passes.s16" "$frames" || fail "the music does not follow the show"
rm passes.mkv "$E2E_TMP/passes.s16"

note "compressed capture at twice the size"
"$RUN_DIR/tarnovex-capture" show.mp4 --height 200 --frames 30 --scale 2 >/dev/null 2>&1 ||
    fail "the .mp4 capture failed"
expect_probe show.mp4 v codec_name,width,height,pix_fmt,r_frame_rate,nb_read_frames \
    "codec_name=h264 width=640 height=400 pix_fmt=yuv420p r_frame_rate=60/1 nb_read_frames=$((30 + FADE_FRAMES))"
expect_probe show.mp4 a codec_name,sample_rate,channels "codec_name=aac sample_rate=44100 channels=2"
[[ $(ls -A) == show.mp4 ]] || fail "files left beside the video: $(ls -A)"
rm show.mp4

note "progress bar on a terminal that is also standard output"
script -qec "$RUN_DIR/tarnovex-capture terminal.mkv --frames 700" /dev/null >"$E2E_TMP/terminal.txt" ||
    fail "the capture on a terminal failed: $(cat -v "$E2E_TMP/terminal.txt")"
# Each piece between carriage returns is one whole state of the bar: the
# scroll text shows inside it, never after it.
bar_line='^ *[0-9]+/'$((700 + FADE_FRAMES))' frames \[.*\] +[0-9.]+x real time, [0-9]+:[0-9]{2} left'$'\e''\[K$'
if tr '\r' '\n' <"$E2E_TMP/terminal.txt" | grep -v '^$' | grep -qvE "$bar_line"; then
    fail "the progress line is broken: $(tr '\r' '\n' <"$E2E_TMP/terminal.txt" | grep -v '^$' | grep -vE "$bar_line" | head -n 3 | cat -v)"
fi
# The scroll text (capitals) shows inside the bar, whenever the bar was
# drawn: the last state holds the text echoed last. The reverse video of the
# part done is taken out first, since it may split a word.
sed 's/\x1b\[[0-9;]*[A-Za-z]//g' "$E2E_TMP/terminal.txt" | tr '\r' '\n' | grep -qE '\[[^]]*[A-Z]{2,}[^]]*\]' ||
    fail "the bar never showed the scroll text"
note "passed"
