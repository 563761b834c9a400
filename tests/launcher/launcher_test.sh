#!/bin/bash
# The launcher copied into an installed tree of stand-in programs: each
# choice of arguments runs its program in the data folder, from an unrelated
# folder and through a symbolic link too, and the program's output and exit
# status come through; a window gets the scale that fits SDL's dummy desktop
# (1024 x 768: 2), the one given with --scale, or the user's own setting;
# every program gets the desktop entry's window class and the pace setting:
# 60 frames a second, the one given with --fps, or the user's own; --help
# and --version answer on standard output; an unknown argument, a bad scale
# or pace, no display or a missing program fails with status 2 and a message.
# Usage: launcher_test.sh LAUNCHER PROGRAMS_FROM_BIN DATA_FROM_BIN
set -euo pipefail
launcher=$1 programs_from_bin=$2 data_from_bin=$3
export SDL_VIDEODRIVER=dummy DISPLAY=:0
unset WAYLAND_DISPLAY SDL12COMPAT_WINDOW_SCALING SDL_VIDEO_X11_WMCLASS SDL_VIDEO_WAYLAND_WMCLASS TARNOVEX_FPS

root=$(mktemp -d /tmp/tarnovex-launcher.XXXXXX)
trap 'rm -rf "$root"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

bin=$root/prefix/bin
programs=$bin/$programs_from_bin
mkdir -p "$bin" "$programs" "$bin/$data_from_bin" "$root/elsewhere"
programs=$(cd "$programs" && pwd -P) data=$(cd "$bin/$data_from_bin" && pwd -P)
cp "$launcher" "$bin/tarnovex"
ln -s "$bin/tarnovex" "$root/elsewhere/linked"
# Each stand-in says who it is, how many arguments it got, where it runs,
# and the window scale, class and pace it was given.
for program in intro-320x200-window intro-320x200-full intro-320x240-window intro-320x240-full; do
    # shellcheck disable=SC2016  # the stand-in expands its variables itself
    printf '#!/bin/sh\necho "%s $# $(pwd -P) ${SDL12COMPAT_WINDOW_SCALING-none} $SDL_VIDEO_X11_WMCLASS $SDL_VIDEO_WAYLAND_WMCLASS ${TARNOVEX_FPS-none}"\nexit 5\n' \
        "$program" >"$programs/$program"
    chmod +x "$programs/$program"
done

# run LAUNCHER ARGS...: sets STATUS, OUT and ERR.
run() {
    STATUS=0
    OUT=$(cd "$root/elsewhere" && "$@" 2>"$root/err") || STATUS=$?
    ERR=$(cat "$root/err")
}

# expect_program PROGRAM SCALE COMMAND...: and the pace PACE (default 60).
expect_program() {
    local program=$1 scale=$2 class=org.tarnovex.tarnovex pace=${PACE:-60}
    shift 2
    run "$@"
    [[ $STATUS == 5 && $OUT == "$program 0 $data $scale $class $class $pace" ]] ||
        fail "${*}: status $STATUS, output '$OUT', expected $program without arguments in $data, scale $scale, pace $pace"
}
expect_program intro-320x240-window 2 "$bin/tarnovex"
expect_program intro-320x240-full none "$bin/tarnovex" --full
expect_program intro-320x200-window 2 "$bin/tarnovex" --200
expect_program intro-320x200-full none "$bin/tarnovex" --full --200
expect_program intro-320x200-full none "$bin/tarnovex" --200 --full
expect_program intro-320x240-window 2 "$root/elsewhere/linked"
expect_program intro-320x200-window 5 "$bin/tarnovex" --scale 5 --200
expect_program intro-320x240-window 1.5 env SDL12COMPAT_WINDOW_SCALING=1.5 "$bin/tarnovex"
expect_program intro-320x240-window 4 env SDL12COMPAT_WINDOW_SCALING=1.5 "$bin/tarnovex" --scale 4
expect_program intro-320x240-window 2 env -u DISPLAY WAYLAND_DISPLAY=wayland-0 "$bin/tarnovex"
PACE=display expect_program intro-320x240-full none "$bin/tarnovex" --fps display --full
PACE=75 expect_program intro-320x240-window 2 "$bin/tarnovex" --fps 75
PACE=display expect_program intro-320x240-window 2 env TARNOVEX_FPS=display "$bin/tarnovex"
PACE=144 expect_program intro-320x240-window 2 env TARNOVEX_FPS=30 "$bin/tarnovex" --fps 144

run env TARNOVEX_FPS=fast "$bin/tarnovex"
[[ $STATUS == 2 && -z $OUT && $ERR == "tarnovex: TARNOVEX_FPS=fast is neither"* ]] ||
    fail "a pace setting the programs cannot read: status $STATUS, output '$OUT', error '$ERR'"

run env -u DISPLAY "$bin/tarnovex"
[[ $STATUS == 2 && -z $OUT && $ERR == "tarnovex: no display"* && $(wc -l <<<"$ERR") == 1 ]] ||
    fail "no display: status $STATUS, output '$OUT', error '$ERR'"

run "$bin/tarnovex" --help
[[ $STATUS == 0 && $OUT == usage:*--full*--200*--scale*--fps*--version* && -z $ERR ]] ||
    fail "--help: status $STATUS, output '$OUT'"
run env -u DISPLAY "$bin/tarnovex" --version
[[ $STATUS == 0 && $OUT =~ ^tarnovex\ [0-9]+\.[0-9]+\.[0-9]+$ && -z $ERR ]] ||
    fail "--version: status $STATUS, output '$OUT', error '$ERR'"

for wrong in --fullscreen -f 240 "--full --help x" "--scale 0" "--scale 9" "--scale 2x" --scale "--full --scale 2" \
    "--fps 0" "--fps 1001" "--fps fast" --fps; do
    # shellcheck disable=SC2086  # some cases are several arguments
    run "$bin/tarnovex" $wrong
    [[ $STATUS == 2 && -z $OUT && $ERR == "tarnovex: "*usage:* ]] ||
        fail "tarnovex $wrong: status $STATUS, output '$OUT', error '$ERR'"
done

rm "$programs/intro-320x240-window"
run "$bin/tarnovex"
[[ $STATUS == 2 && $ERR == *"cannot start $programs/intro-320x240-window"* ]] ||
    fail "missing program: status $STATUS, error '$ERR'"
echo "launcher: all choices, scales, paces, help, version, usage errors, no display and a missing program behave"
