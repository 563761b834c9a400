#!/bin/bash
# A full-screen intro in an X server with a window manager (openbox): the
# whole screen shows the frame scaled up with its aspect kept, each frame
# pixel repeated as a sharp block, and Escape ends the program with status 1.
# Usage: fullscreen_test.sh RUN_DIR PROGRAM WIDTH HEIGHT
source "$(dirname "$0")/lib.sh"
run_dir=$1 program=$2 width=$3 height=$4

start_xvfb 24
start_window_manager
start_intro "$run_dir" "$program"
find_window

covers_screen() { [[ $(xwininfo -id "$WINDOW" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }') == 1024x768 ]]; }
wait_until 20 covers_screen || fail_intro "the window never covered the screen: $(xwininfo -id "$WINDOW" | grep -E 'Width|Height' | tr -s ' \n' ' ')"

# Part two's 20-row bands line up only if the frame is placed and scaled
# exactly; its black band tops show that.
unscaled_part_two() {
    import -window root -depth 8 "ppm:$E2E_TMP/screen.ppm" 2>/dev/null &&
        "$FRAME_CHECK" unscale "$E2E_TMP/screen.ppm" "$width" "$height" "$E2E_TMP/frame.ppm" >"$E2E_TMP/unscale.log" &&
        [[ $("$FRAME_CHECK" kind "$E2E_TMP/frame.ppm") == multiscroll ]]
}
wait_until 30 unscaled_part_two || fail_intro "no screenshot of the scaled part two: $(cat "$E2E_TMP/unscale.log")"
note "$(head -n 1 "$E2E_TMP/unscale.log")"

press Escape 0.3
wait_exit 10
[[ $INTRO_STATUS == 1 ]] || fail "exit status $INTRO_STATUS, expected 1"
note "exit status 1"
