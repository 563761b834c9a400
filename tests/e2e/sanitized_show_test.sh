#!/bin/bash
# The sanitizer build of a windowed intro in a 24-bit X server, unpaced: it
# runs one whole pass of the show, quits with Escape, reports nothing from
# AddressSanitizer, LeakSanitizer or UndefinedBehaviorSanitizer and exits
# with status 1.
# Usage: sanitized_show_test.sh RUN_DIR PROGRAM SUPPRESSIONS   (FRAME_CHECK names the checker)
source "$(dirname "$0")/lib.sh"
run_dir=$1 program=$2 suppressions=$3

export SDL12COMPAT_SYNC_TO_VBLANK=0
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:halt_on_error=1:abort_on_error=1}
export LSAN_OPTIONS=suppressions=$suppressions:print_suppressions=0
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

kind() { screenshot "$WINDOW" "$E2E_TMP/shot.ppm" && "$FRAME_CHECK" kind "$E2E_TMP/shot.ppm"; }

start_xvfb 24
start_intro "$run_dir" "$program"
find_window

# The pass is over once part three has been seen and has given way to the
# next part.
parts=() last=
deadline=$((SECONDS + 120))
while running "$INTRO_PID" && ((SECONDS < deadline)); do
    part=$(kind) || continue
    [[ $part == "$last" ]] && continue
    parts+=("$part") last=$part
    [[ " ${parts[*]} " == *" plasma "* && $part != plasma ]] && break
done
note "parts seen: ${parts[*]:-none}"
running "$INTRO_PID" || fail "the intro ended during the show: $(cat "$E2E_TMP/intro.err")"
[[ ${parts[*]} == *"rotozoom multiscroll plasma"* ]] || fail "no whole pass of the show in 120 s"

press Escape 0.2
wait_exit 30
if grep -E 'Sanitizer|runtime error' "$E2E_TMP/intro.err"; then
    fail "sanitizer report: $(cat "$E2E_TMP/intro.err")"
fi
[[ $INTRO_STATUS == 1 ]] || fail "exit status $INTRO_STATUS, expected 1: $(cat "$E2E_TMP/intro.err")"
note "one whole pass and Escape: status 1, no sanitizer report"
