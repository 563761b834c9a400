#!/bin/bash
# The launcher with the real programs, in an X server under a window manager
# (openbox), with presentation unpaced as on a very fast display
# (SDL12COMPAT_SYNC_TO_VBLANK=0): the show keeps 60 frames a second, read
# from the scroll text (at speed 2 a character leaves every 8 frames, the
# first after 369 frames: 35 to 58 characters in the first 12 s, about 44 at
# 60 frames a second); and closing the window fades the picture out and ends
# the program with the status of a quit, 1, within 3 s. The window is not
# enlarged: under Xvfb a 960 x 720 window took the program three times the
# CPU of a 320 x 240 one, which the tests running beside this one would feel.
# Usage: launcher_window_test.sh LAUNCHER
source "$(dirname "$0")/../e2e/lib.sh"
launcher=$(realpath "$1")

start_xvfb 24
start_window_manager
start_launcher "$E2E_TMP" env SDL12COMPAT_SYNC_TO_VBLANK=0 "$launcher" --scale 1
find_window
expect_sixty_frames_a_second
note "$ECHOED characters echoed in the first 12 s"

closed_at=$EPOCHREALTIME
wmctrl -c TARNOVEX || fail_intro "wmctrl found no window to close"
wait_exit 3
took=$(awk -v a="$closed_at" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }')
[[ $INTRO_STATUS == 1 ]] || fail_intro "exit status $INTRO_STATUS after closing the window, expected 1"
# The 64 frames of the fade take about 1.07 s.
awk -v t="$took" 'BEGIN { exit !(t >= 0.8) }' || fail "the program ended $took s after the close, too soon for the fade"
note "closing the window ended it with status 1 after $took s"
