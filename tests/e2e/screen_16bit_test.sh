#!/bin/bash
# A 16-bit X server, where the display surface is not 0x00RRGGBB and every
# present must convert: the screen module's tests against that surface, then
# the intro itself, whose part two must show its black band tops in place
# (this X server shows black as 0x080008, so a little light counts as black).
# Usage: screen_16bit_test.sh SCREEN_TESTS RUN_DIR PROGRAM
source "$(dirname "$0")/lib.sh"
screen_tests=$1 run_dir=$2 program=$3

start_xvfb 16
SDL_VIDEODRIVER=x11 TARNOVEX_EXPECT_DEPTH=16 "$screen_tests" --gtest_filter='ScreenTest.*'

start_intro "$run_dir" "$program"
find_window
part_two_shows() {
    screenshot "$WINDOW" "$E2E_TMP/shot.ppm" && [[ $("$FRAME_CHECK" kind "$E2E_TMP/shot.ppm" 8) == multiscroll ]]
}
wait_until 30 part_two_shows || fail "part two never showed correctly at 16 bits"
note "part two shows at 16 bits"
press Escape 0.3
wait_exit 10
[[ $INTRO_STATUS == 1 ]] || fail "exit status $INTRO_STATUS, expected 1"
