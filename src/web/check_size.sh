#!/bin/bash
# Prints the size of each file of the site, raw and gzipped (-9, as a web
# server would send it at best), and fails when what one visit of either
# screen height loads is over the budget.
#
#   src/web/check_size.sh SITE BUDGET_BYTES
set -euo pipefail

site=$1 budget=$2
shared=(index.html page.js audio.js)

gzipped() { gzip -9c "$site/$1" | wc -c; }

printf '%-20s %9s %9s\n' file raw gzipped
for file in "${shared[@]}" tarnovex-{200,240}.{js,wasm}; do
    printf '%-20s %9d %9d\n' "$file" "$(stat -c %s "$site/$file")" "$(gzipped "$file")"
done
status=0
for height in 200 240; do
    total=0
    for file in "${shared[@]}" "tarnovex-$height.js" "tarnovex-$height.wasm"; do
        total=$((total + $(gzipped "$file")))
    done
    verdict="within the budget of $budget"
    if ((total > budget)); then
        verdict="OVER the budget of $budget"
        status=1
    fi
    echo "one visit at 320x$height: $total bytes gzipped, $verdict"
done
exit $status
