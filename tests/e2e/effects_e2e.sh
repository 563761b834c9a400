#!/bin/bash
# The three effects in a real X server: runs a deliverable under its own Xvfb
# from the run folder, takes a screenshot in each part (space moves on) and
# checks that each looks like its effect, that the scroll text is echoed on
# standard output, and that Escape fades the picture out and ends the program
# with status 1.
#
# usage: effects_e2e.sh RUN_DIR PROGRAM SHOT_CHECK
set -u

run_dir=$1
program=$2
effect_check=$3

work=$(mktemp -d /tmp/tarnovex-e2e-XXXXXX)
xvfb_pid=
program_pid=

# SDL turns SIGTERM into a quit event, which the intro ignores: the program
# is stopped with SIGKILL.
cleanup() {
    [ -n "$program_pid" ] && kill -KILL "$program_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    for f in "$work"/*.txt; do echo "--- $(basename "$f")"; head -c 2000 "$f"; echo; done
    exit 1
}

start_xvfb() {
    for display in $(seq 140 199); do
        [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ] && continue
        Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.txt" 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 50); do
            if xdpyinfo -display ":$display" >/dev/null 2>&1; then
                export DISPLAY=":$display"
                return 0
            fi
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
        xvfb_pid=
    done
    fail "no free X display"
}

# A press and a release in separate event polls; a key held over several
# frames would act on every one of them.
tap() {
    xdotool keydown "$1"
    sleep 0.02
    xdotool keyup "$1"
}

shot() {
    import -window "$window" -depth 8 "ppm:$work/$1.ppm" 2>>"$work/import.txt" || fail "no screenshot $1"
}

kind_of() {
    "$effect_check" classify "$work/$1.ppm" "$run_dir/rotoZoom.ppm"
}

# Taps space until a screenshot shows the wanted effect.
move_on_to() {
    local wanted=$1
    for attempt in $(seq 15); do
        tap space
        sleep 0.4
        shot "$wanted"
        [ "$(kind_of "$wanted")" = "$wanted" ] && return 0
    done
    fail "did not reach $wanted; last screenshot looks like $(kind_of "$wanted")"
}

start_xvfb
cd "$run_dir" || fail "no run folder $run_dir"
# Presents paced by the (virtual) vertical blank, about 60 frames a second,
# so each part lasts long enough to be seen.
SDL12COMPAT_SYNC_TO_VBLANK=1 SDL_AUDIODRIVER=dummy timeout -s KILL 90 "./$program" >"$work/stdout.txt" 2>"$work/stderr.txt" &
program_pid=$!

window=
for _ in $(seq 100); do
    window=$(xdotool search --name TARNOVEX 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || fail "no TARNOVEX window"

sleep 0.5
shot rotozoom
[ "$(kind_of rotozoom)" = rotozoom ] || fail "part one looks like $(kind_of rotozoom)"

move_on_to multiscroll
# The first character leaves the screen after 168 frames of part two.
for _ in $(seq 150); do
    [ "$(wc -c <"$work/stdout.txt")" -ge 10 ] && break
    sleep 0.1
done
[ "$(head -c 10 "$work/stdout.txt")" = $'\n\nTARNOVEX' ] || fail "scroll text not echoed on standard output"
shot multiscroll
[ "$(kind_of multiscroll)" = multiscroll ] || fail "part two looks like $(kind_of multiscroll)"

move_on_to plasma

tap Escape
sleep 0.3
shot fading
"$effect_check" darker "$work/plasma.ppm" "$work/fading.ppm" || fail "no fade after Escape"

for _ in $(seq 100); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
wait "$program_pid"
status=$?
program_pid=
[ "$status" -eq 1 ] || fail "exit status $status, not 1"
grep -q "IMG error\|RASTER error" "$work/stdout.txt" && fail "toolkit errors on standard output"

echo "PASS: $program"
