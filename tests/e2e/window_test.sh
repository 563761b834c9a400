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
# part two, so it is repeated until the show shows another part. The scroll
# text is the show's own clock: a character every 8 frames from part two's
# 168th, so about 229 by its end; far fewer when space ended it.
wait_until 30 in_part multiscroll || fail "part two never showed"
note "part two shows"
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
echoed=$(wc -c <"$E2E_TMP/intro.out")
((echoed < 180)) || fail "part two echoed $echoed characters before it ended: it ran out by itself"
note "space moved on to $moved_on after $echoed characters of the scroll text"

# Escape from a lit frame: the screenshots taken while the program fades
# darken one after the other. The fade is paced: its 64 frames at the
# display's 60 a second keep the program running for a second after the
# press (unpaced, about 370 frames a second, it would be gone in a fifth of
# one). A busy machine only makes it longer, and the screenshots fewer.
wait_until 20 eval 'shot && darker 10 "$(brightness "$E2E_TMP/shot.ppm")"' || fail "no lit frame to fade from"
before=$(brightness "$E2E_TMP/shot.ppm")
# Escape stays down while the fade is watched (the fade polls no keys), so
# that even a slow frame cannot let its press and release go unseen.
# A watcher notes when the program has ended: the screenshots can hang on
# a window that goes away.
(
    while running "$INTRO_PID"; do sleep 0.02; done
    echo "$EPOCHREALTIME" >"$E2E_TMP/ended"
) &
E2E_PIDS+=($!)
pressed=$EPOCHREALTIME
xdotool keydown Escape
fade=()
deadline=$((SECONDS + 20))
while running "$INTRO_PID" && ((SECONDS < deadline)) && screenshot "$WINDOW" "$E2E_TMP/fade.ppm"; do
    running "$INTRO_PID" && fade+=("$(brightness "$E2E_TMP/fade.ppm")")
done
xdotool keyup Escape
wait_exit 10
wait_until 5 test -s "$E2E_TMP/ended" || fail "the end of the program went unnoticed"
faded_for=$(awk -v from="$pressed" -v to="$(cat "$E2E_TMP/ended")" 'BEGIN { printf "%.2f", to - from }')
note "brightness $before before Escape, then ${fade[*]:-nothing}; the program ended $faded_for s after the press"
[[ $INTRO_STATUS == 1 ]] || fail "exit status $INTRO_STATUS, expected 1"
darker 0.7 "$faded_for" || fail "the program ended $faded_for s after Escape: the fade was not paced"
((${#fade[@]} >= 1)) || fail "no screenshot during the fade"
darker "${fade[-1]}" "$before" || fail "the picture did not darken"
for ((i = 1; i < ${#fade[@]}; i++)); do
    darker "${fade[i]}" "$(awk -v b="${fade[i - 1]}" 'BEGIN { print b + 0.5 }')" ||
        fail "the fade brightened: ${fade[*]}"
done
note "exit status 1 after the fade"
