#!/bin/bash
# Every way a capture can fail gives one line on standard error, exit status
# 2, and no file: bad arguments, an unwritable folder, a full disk, signals.
#   capture_failures_test.sh RUN_DIR
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
CAPTURE=$1/tarnovex-capture
cd "$1"
OUT=$E2E_TMP/out
mkdir "$OUT"

# expect_failure STATUS CASE PROGRAM ARGS...: the status, one error line, no file.
expect_failure() {
    local want=$1 what=$2 status=0
    shift 2
    "$@" >/dev/null 2>"$E2E_TMP/err" || status=$?
    ((status == want)) || fail "$what: exit status $status, expected $want"
    if ((want == 2)); then
        [[ $(wc -l <"$E2E_TMP/err") == 1 && $(cat "$E2E_TMP/err") == "tarnovex-capture: "* ]] ||
            fail "$what: not one error line: $(cat "$E2E_TMP/err")"
    fi
    [[ -z $(ls -A "$OUT") ]] || fail "$what: left $(ls -A "$OUT")"
    note "$what: $(head -c 100 "$E2E_TMP/err")"
}

expect_failure 2 "unknown option" "$CAPTURE" "$OUT/a.mp4" --speed 3
expect_failure 2 "scale out of range" "$CAPTURE" "$OUT/a.mp4" --scale 7
expect_failure 2 "height not offered" "$CAPTURE" "$OUT/a.mp4" --height 220
expect_failure 2 "passes and frames" "$CAPTURE" "$OUT/a.mp4" --passes 1 --frames 5
expect_failure 2 "unknown extension" "$CAPTURE" "$OUT/a.avi"
expect_failure 2 "lossless into .mp4" "$CAPTURE" "$OUT/a.mp4" --lossless
expect_failure 2 "no output" "$CAPTURE" --frames 5
expect_failure 2 "missing folder" "$CAPTURE" "$OUT/none/a.mkv" --frames 5
# Even root cannot make files in /proc.
expect_failure 2 "unwritable folder" "$CAPTURE" /proc/a.mkv --frames 5
# shellcheck disable=SC2016  # expanded by the inner shell
# A file size limit of 256 KiB makes the writes fail as on a full disk.
expect_failure 2 "full disk" bash -c 'ulimit -f 256; exec "$0" "$@"' "$CAPTURE" "$OUT/a.mkv" --frames 200

# Every signal whose default action ends a capture, Ctrl-C's SIGINT among
# them, removes the partial file; SIGXFSZ is ignored, a write error instead.
# env gives the signals their default action, as in a terminal's foreground,
# where a script's background job would ignore SIGINT and SIGQUIT.
ulimit -c 0
for signal in $(seq 1 64); do
    case $signal in 9 | 17 | 18 | 19 | 20 | 21 | 22 | 23 | 25 | 28 | 32 | 33) continue ;; esac
    env --default-signal "$CAPTURE" "$OUT/a.mkv" >/dev/null 2>&1 &
    PID=$!
    E2E_PIDS+=("$PID")
    # shellcheck disable=SC2016  # expanded by eval, on every try
    wait_until 20 eval '[[ $(find "$OUT" -name ".*" -size +100k) ]]' || fail "no partial file appeared"
    kill -s "$signal" "$PID"
    STATUS=0
    wait "$PID" || STATUS=$?
    ((STATUS == 128 + signal)) || fail "signal $signal: exit status $STATUS, expected $((128 + signal))"
    [[ -z $(ls -A "$OUT") ]] || fail "signal $signal: left $(ls -A "$OUT")"
done
note "no file left after any of the signals"

"$CAPTURE" --help | grep -q '^Usage: tarnovex-capture OUTPUT' || fail "--help shows no usage"
note "passed"
