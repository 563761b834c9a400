#!/bin/bash
# The three effects in a 24-bit X server: a screenshot in each part (space
# moves on) must look like that part's effect, the scroll text must appear on
# standard output, and Escape must fade the picture and end the program with
# status 1.
# Usage: effects_test.sh RUN_DIR PROGRAM EFFECT_CHECK
source "$(dirname "$0")/lib.sh"
run_dir=$1 program=$2 effect_check=$3

# shot NAME: a screenshot of the window in $E2E_TMP/NAME.ppm.
shot() { screenshot "$WINDOW" "$E2E_TMP/$1.ppm" || fail "no screenshot of $1"; }
effect_of() { "$effect_check" classify "$E2E_TMP/$1.ppm" "$run_dir/rotoZoom.ppm"; }
shows() { shot "$1" && [[ $(effect_of "$1") == "$1" ]]; }

# move_on_to EFFECT: presses space until a screenshot shows the effect. A
# short press may fall between two polls and go unseen, or last several
# frames and move on several parts, so it is repeated.
move_on_to() {
    for attempt in $(seq 15); do
        tap space "$attempt"
        sleep 0.4
        shows "$1" && return 0
    done
    fail "space never reached $1; the last screenshot looks like $(effect_of "$1")"
}

echoed() { (($(wc -c <"$E2E_TMP/intro.out") >= $1)); }

start_xvfb 24
start_intro "$run_dir" "$program"
find_window

# Part one lasts 201 frames, about three seconds at the display's refresh rate.
sleep 0.5
shows rotozoom || fail "part one looks like $(effect_of rotozoom)"
note "part one: the picture over the laser trails"

move_on_to multiscroll
# The first character leaves the screen in part two's 168th frame, then one
# every 8 frames.
wait_until 20 echoed 10 || fail "nothing echoed on standard output"
[[ $(head -c 10 "$E2E_TMP/intro.out") == $'\n\nTARNOVEX' ]] || fail "standard output is not the scroll text"
shows multiscroll || fail "part two, bars faded in, looks like $(effect_of multiscroll)"
note "part two: bars through the letters in every band, text echoed"

move_on_to plasma
note "part three: plasma rows behind the rainbow text"

press Escape 0.05
sleep 0.3
shot fading
"$effect_check" darker "$E2E_TMP/plasma.ppm" "$E2E_TMP/fading.ppm" || fail "no fade after Escape"
wait_exit 10
[[ $INTRO_STATUS == 1 ]] || fail "exit status $INTRO_STATUS, expected 1"
! grep -q "error" "$E2E_TMP/intro.out" || fail "error lines on standard output"
note "Escape: faded, exit status 1"
