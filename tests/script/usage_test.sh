#!/bin/bash
# ./tarnovex.sh asked for help prints its usage and succeeds; an unknown
# command prints the usage on standard error and exits with status 2.
# Usage: usage_test.sh TARNOVEX_SH
set -uo pipefail
script=$1

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

for ask in help -h --help; do
    out=$("$script" "$ask" 2>/dev/null) || fail "'$ask' exits with status $?"
    grep -q '^  ./tarnovex.sh play' <<<"$out" || fail "'$ask' prints no usage: $out"
    grep -q 'Debian 12 or 13' <<<"$out" || fail "'$ask' does not name Debian 12 or 13"
done

err=$("$script" no-such-command 2>&1 >/dev/null)
status=$?
((status == 2)) || fail "an unknown command exits with status $status, expected 2"
grep -q '^  ./tarnovex.sh test' <<<"$err" || fail "an unknown command prints no usage on standard error"
echo "-- help, -h and --help print the usage; an unknown command exits 2"
