#!/bin/bash
# The launcher copied into an installed tree of stand-in programs: each
# choice of arguments runs its program in the data folder, from an unrelated
# folder and through a symbolic link too, and the program's output and exit
# status come through; --help answers on standard output; an unknown argument
# or a missing program fails with status 2 and a message.
# Usage: launcher_test.sh LAUNCHER PROGRAMS_FROM_BIN DATA_FROM_BIN
set -euo pipefail
launcher=$1 programs_from_bin=$2 data_from_bin=$3

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
# Each stand-in says who it is, how many arguments it got and where it runs.
for program in intro-320x200-window intro-320x200-full intro-320x240-window intro-320x240-full; do
    # shellcheck disable=SC2016  # the stand-in expands $# and $(pwd) itself
    printf '#!/bin/sh\necho "%s $# $(pwd -P)"\nexit 5\n' "$program" >"$programs/$program"
    chmod +x "$programs/$program"
done

# run LAUNCHER ARGS...: sets STATUS, OUT and ERR.
run() {
    STATUS=0
    OUT=$(cd "$root/elsewhere" && "$@" 2>"$root/err") || STATUS=$?
    ERR=$(cat "$root/err")
}

expect_program() {
    local program=$1
    shift
    run "$@"
    [[ $STATUS == 5 && $OUT == "$program 0 $data" ]] ||
        fail "tarnovex ${*:2}: status $STATUS, output '$OUT', expected $program without arguments in $data"
}
expect_program intro-320x240-window "$bin/tarnovex"
expect_program intro-320x240-full "$bin/tarnovex" --full
expect_program intro-320x200-window "$bin/tarnovex" --200
expect_program intro-320x200-full "$bin/tarnovex" --full --200
expect_program intro-320x200-full "$bin/tarnovex" --200 --full
expect_program intro-320x240-window "$root/elsewhere/linked"

run "$bin/tarnovex" --help
[[ $STATUS == 0 && $OUT == usage:*--full*--200* && -z $ERR ]] || fail "--help: status $STATUS, output '$OUT'"

for wrong in --fullscreen -f 240 "--full --help x"; do
    # shellcheck disable=SC2086  # the last case is three arguments
    run "$bin/tarnovex" $wrong
    [[ $STATUS == 2 && -z $OUT && $ERR == *"unknown argument"*usage:* ]] ||
        fail "tarnovex $wrong: status $STATUS, output '$OUT', error '$ERR'"
done

rm "$programs/intro-320x240-window"
run "$bin/tarnovex"
[[ $STATUS == 2 && $ERR == *"cannot start $programs/intro-320x240-window"* ]] ||
    fail "missing program: status $STATUS, error '$ERR'"
echo "launcher: all choices, help, usage errors and a missing program behave"
