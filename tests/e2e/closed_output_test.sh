#!/bin/bash
# The window program started with standard output closed: its X connection
# must not take descriptor 1, where the scroll text goes (written into the X
# stream, the text hung the program at its first characters, about ten
# seconds in). Escape then still ends it with status 1.
#   closed_output_test.sh RUN_DIR PROGRAM
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
run_dir=$1 program=$2

start_xvfb 24
INTRO_STDOUT=closed start_intro "$run_dir" "$program"
find_window
[[ $(readlink "/proc/$INTRO_PID/fd/1") == /dev/null ]] ||
    fail "standard output is $(readlink "/proc/$INTRO_PID/fd/1"), not /dev/null"
# Until the scroll text has begun, at frame 600 or so.
sleep 13
for attempt in $(seq 0 40); do
    running "$INTRO_PID" || break
    tap Escape "$attempt"
    sleep 0.2
done
wait_exit 20
((INTRO_STATUS == 1)) || fail "exit status $INTRO_STATUS, expected 1: $(cat "$E2E_TMP/intro.err")"
note "passed"
