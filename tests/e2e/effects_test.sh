#!/bin/bash
# The three effects in a 24-bit X server: a screenshot in each part (the
# parts follow each other by themselves) must look like that part's effect,
# the scroll text must appear on standard output, and Escape must fade the
# picture and end the program with status 1.
# Usage: effects_test.sh RUN_DIR PROGRAM EFFECT_CHECK
source "$(dirname "$0")/lib.sh"
run_dir=$1 program=$2 effect_check=$3

# shot NAME: a screenshot of the window in $E2E_TMP/NAME.ppm.
shot() { screenshot "$WINDOW" "$E2E_TMP/$1.ppm" || fail "no screenshot of $1"; }
effect_of() { "$effect_check" classify "$E2E_TMP/$1.ppm" "$run_dir/rotoZoom.ppm"; }
shows() { shot "$1" && [[ $(effect_of "$1") == "$1" ]]; }

# wait_for_part EFFECT SECONDS: screenshots until one shows the effect. The
# parts follow each other by themselves (201 and 2001 frames at the display's
# refresh rate, about 3 and 32 seconds); a space press would move on a number
# of parts that depends on how many frames it spans, which a loaded machine
# makes unpredictable. The window test checks the space key.
wait_for_part() {
    wait_until "$2" shows "$1" || fail "the show never reached $1; the last screenshot looks like $(effect_of "$1")"
}

echoed() { (($(wc -c <"$E2E_TMP/intro.out") >= $1)); }

start_xvfb 24
start_intro "$run_dir" "$program"
find_window

# Part one lasts 201 frames, about three seconds at the display's refresh rate.
sleep 0.5
shows rotozoom || fail "part one looks like $(effect_of rotozoom)"
note "part one: the picture over the laser trails"

wait_for_part multiscroll 15
# The first character leaves the screen in part two's 168th frame, then one
# every 8 frames.
wait_until 20 echoed 10 || fail "nothing echoed on standard output"
[[ $(head -c 10 "$E2E_TMP/intro.out") == $'\n\nTARNOVEX' ]] || fail "standard output is not the scroll text"
shows multiscroll || fail "part two, bars faded in, looks like $(effect_of multiscroll)"
note "part two: bars through the letters in every band, text echoed"

# Part two's last character leaves in its 1999th frame of 2001, the 230th
# echoed: the show's own clock says when part three is due, however long a
# busy machine takes to get there.
wait_until 150 echoed 226 || fail_intro "part two echoed only $(wc -c <"$E2E_TMP/intro.out") characters"
wait_for_part plasma 15
note "part three: plasma rows behind the rainbow text"

press Escape 0.2
sleep 0.1
shot fading
"$effect_check" darker "$E2E_TMP/plasma.ppm" "$E2E_TMP/fading.ppm" || fail "no fade after Escape"
wait_exit 10
[[ $INTRO_STATUS == 1 ]] || fail "exit status $INTRO_STATUS, expected 1"
! grep -q "error" "$E2E_TMP/intro.out" || fail "error lines on standard output"
note "Escape: faded, exit status 1"
