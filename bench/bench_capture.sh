#!/bin/bash
# Capture speed: one pass of the show (2952 frames and the 64-frame fade) at
# 60 frames per second, as frames per second and as a multiple of real time,
# with the size of the file. Run from the run folder (the data files).
set -euo pipefail
CAPTURE=${CAPTURE:-./tarnovex-capture}
OUT=$(mktemp -d /tmp/tarnovex-bench.XXXXXX)
trap 'rm -rf "$OUT"' EXIT
FRAMES=3016
printf '%-22s %8s %8s %10s %10s\n' case seconds frames/s "x real" "file MB"
for run in "pass.mp4" "pass.mkv" "pass.mp4 --scale 4"; do
    file=$OUT/${run%% *}
    start=$(date +%s.%N)
    # shellcheck disable=SC2086  # the file name and its options
    "$CAPTURE" $OUT/$run >/dev/null 2>&1
    end=$(date +%s.%N)
    awk -v name="$run" -v t0="$start" -v t1="$end" -v n=$FRAMES -v bytes="$(stat -c %s "$file")" 'BEGIN {
        s = t1 - t0; printf "%-22s %8.1f %8.0f %10.1f %10.1f\n", name, s, n / s, n / 60 / s, bytes / 1e6 }'
    rm -f "$file"
done
