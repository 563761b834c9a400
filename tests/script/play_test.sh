#!/bin/bash
# ./tarnovex.sh play as someone trying the clone: it builds the programs,
# their data and the launcher in its own build folder, and on a 1920 x 1080
# screen plays through the launcher, in a window three times 320 x 240
# titled TARNOVEX that Escape ends with status 1; the launcher's options
# reach the launcher; and a program's name plays that program alone, in its
# own 320 x 200 window.
# Usage: play_test.sh TARNOVEX_SH BUILD_DIR
source "$(dirname "$0")/../e2e/lib.sh"
script=$(realpath "$1")
export TARNOVEX_BUILD=$2

log=$E2E_TMP/play-help.log
"$script" play --help >"$log" 2>&1 || fail "play --help: $(tail -n 20 "$log")"
sed -n '/=== Playing through the launcher/,$p' "$log" | grep -q '^usage: tarnovex ' ||
    fail "play --help did not reach the launcher: $(tail -n 20 "$log")"
note "built in $TARNOVEX_BUILD; the options reach the launcher"

start_xvfb 24 1920x1080
# play_window [ARGS...]: plays, and sets GEOMETRY to the window's size once
# it shows, then quits with Escape and expects status 1.
play_window() {
    start_launcher "$E2E_TMP" "$script" play "$@"
    find_window
    GEOMETRY=$(xwininfo -id "$WINDOW" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
    press Escape 0.3
    wait_exit 15
    [[ $INTRO_STATUS == 1 ]] || fail_intro "play $*: exit status $INTRO_STATUS, expected 1"
}
play_window
[[ $GEOMETRY == 960x720 ]] || fail "play opened a $GEOMETRY window, expected 960x720 on 1920x1080"
play_window intro-320x200-window
[[ $GEOMETRY == 320x200 ]] || fail "play intro-320x200-window opened a $GEOMETRY window"
note "play: a 960x720 window through the launcher; play intro-320x200-window: that program's 320x200 window"
