#!/bin/bash
# A windowed intro in a 24-bit X server: it shows the show in a window titled
# TARNOVEX, the space key moves on to another part, Escape fades the picture
# to black over about a second and the program exits with status 1.
# Usage: window_test.sh RUN_DIR PROGRAM   (FRAME_CHECK names the checker)
source "$(dirname "$0")/lib.sh"
run_dir=$1 program=$2

shot() { screenshot "$WINDOW" "$E2E_TMP/shot.ppm"; }
kind() { shot && "$FRAME_CHECK" kind "$E2E_TMP/shot.ppm"; }
brightness() { "$FRAME_CHECK" brightness "$1"; }
in_part() { [[ $(kind) == "$1" ]]; }
darker() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

start_xvfb 24
start_intro "$run_dir" "$program"
find_window
xdotool mousemove --window "$WINDOW" 10 10

# Part two lasts 2001 frames, half a minute at the display's refresh rate.
# Its first seconds leave time for a few presses: a short one may fall
# between two polls and go unseen, or last three frames and come back to
# part two, so it is repeated until the show shows another part.
wait_until 30 in_part multiscroll || fail "part two never showed"
note "part two shows"
entered=$SECONDS
moved_on=
for attempt in 0 1 2 3 4 5 6 7 8; do
    tap space "$attempt"
    sleep 0.3
    if ! in_part multiscroll; then
        moved_on=$(kind)
        break
    fi
done
[[ -n $moved_on ]] || fail "space never left part two"
((SECONDS - entered < 15)) || fail "leaving part two took too long to be the space key's doing"
note "space moved on to $moved_on"

# Escape from a lit frame: the screenshots taken while the program fades
# darken one after the other, and there are several, so the fade is paced.
wait_until 20 eval 'shot && darker 10 "$(brightness "$E2E_TMP/shot.ppm")"' || fail "no lit frame to fade from"
before=$(brightness "$E2E_TMP/shot.ppm")
# Escape stays down while the fade is watched (the fade polls no keys), so
# that even a slow frame cannot let its press and release go unseen.
xdotool keydown Escape
fade=()
deadline=$((SECONDS + 20))
while running "$INTRO_PID" && ((SECONDS < deadline)) && screenshot "$WINDOW" "$E2E_TMP/fade.ppm"; do
    running "$INTRO_PID" && fade+=("$(brightness "$E2E_TMP/fade.ppm")")
done
xdotool keyup Escape
note "brightness $before before Escape, then ${fade[*]:-nothing}"
wait_exit 10
[[ $INTRO_STATUS == 1 ]] || fail "exit status $INTRO_STATUS, expected 1"
((${#fade[@]} >= 3)) || fail "only ${#fade[@]} screenshots during the fade: it was not paced"
darker "${fade[-1]}" "$before" || fail "the picture did not darken"
for ((i = 1; i < ${#fade[@]}; i++)); do
    darker "${fade[i]}" "$(awk -v b="${fade[i - 1]}" 'BEGIN { print b + 0.5 }')" ||
        fail "the fade brightened: ${fade[*]}"
done
note "exit status 1 after the fade"
