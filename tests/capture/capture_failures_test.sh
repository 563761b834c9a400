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
grep -qF "cannot write $OUT/a.mkv: " "$E2E_TMP/err" || fail "the full disk's message names another file"
expect_failure 2 "passes beyond the limit" "$CAPTURE" "$OUT/a.mkv" --passes 33876
grep -q 'from 1 to 33875' "$E2E_TMP/err" || fail "the range error gives no upper limit"
mkdir "$E2E_TMP/folder.mkv"
expect_failure 2 "output is a folder" "$CAPTURE" "$E2E_TMP/folder.mkv" --frames 100000

# The data files of --data DIR: one missing or refused fails the capture
# before it renders.
DATA=$E2E_TMP/data
mkdir "$DATA"
cp ./*.ppm ./*.pbm ocean.xm "$DATA"
rm "$DATA/rollc.ppm"
expect_failure 2 "missing data file" "$CAPTURE" "$OUT/a.mkv" --data "$DATA" --frames 100000
grep -qF "$DATA/rollc.ppm" "$E2E_TMP/err" || fail "the message does not name the missing file"
cp rollc.ppm "$DATA"
printf 'MTM\x10' >"$DATA/ocean.xm"
head -c 20000 /dev/zero >>"$DATA/ocean.xm"
expect_failure 2 "refused module" "$CAPTURE" "$OUT/a.mkv" --data "$DATA" --frames 100000
grep -qF "$DATA/ocean.xm" "$E2E_TMP/err" || fail "the message does not name the module"

# The longest name a file may have works too.
LONG=$(printf 'x%.0s' {1..250}).mkv
"$CAPTURE" "$OUT/$LONG" --frames 5 >/dev/null 2>"$E2E_TMP/err" || fail "a long output name: $(cat "$E2E_TMP/err")"
[[ $(ls -A "$OUT") == "$LONG" ]] || fail "a long output name: left $(ls -A "$OUT")"
rm "$OUT/$LONG"

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
    wait_until 20 eval '[[ $(find "$OUT" -name ".*" -size +0) ]]' || fail "no partial file appeared"
    kill -s "$signal" "$PID"
    STATUS=0
    wait "$PID" || STATUS=$?
    ((STATUS == 128 + signal)) || fail "signal $signal: exit status $STATUS, expected $((128 + signal))"
    [[ -z $(ls -A "$OUT") ]] || fail "signal $signal: left $(ls -A "$OUT")"
done
note "no file left after any of the signals"

"$CAPTURE" --help | grep -q '^Usage: tarnovex-capture OUTPUT' || fail "--help shows no usage"
version=$("$CAPTURE" --version) || fail "--version: status $?"
[[ $version =~ ^tarnovex-capture\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version printed '$version'"
note "passed"
