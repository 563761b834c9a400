#!/bin/bash
# Prints what one visit of the site loads, gzipped (-9, as a web server would
# send it at best), and the size of the one-file edition, each with the
# shares of its parts: the program's WebAssembly, its JavaScript glue, the
# page (HTML, the page's script, the AudioWorklet) and the favicon, which
# browsers fetch on every visit. Fails when a visit of
# either screen height or the one file is over its budget.
#
#   src/web/check_size.sh SITE ONE_FILE PROGRAM_JS VISIT_BUDGET FILE_BUDGET
set -euo pipefail

site=$1 one_file=$2 glue=$3 visit_budget=$4 file_budget=$5

raw() { stat -c %s "$1"; }
gzipped() { gzip -9c "$1" | wc -c; }
status=0
verdict() {  # SIZE BUDGET
    if (($1 > $2)); then echo "OVER the budget of $2"; else echo "within the budget of $2"; fi
}

page=$(($(gzipped "$site/index.html") - $(gzipped "$glue")))
for height in 200 240; do
    wasm=$(gzipped "$site/tarnovex-$height.wasm")
    total=$((wasm + $(gzipped "$site/index.html") + $(gzipped "$site/tarnovex-16.png")))
    echo "one visit at 320x$height: $total bytes gzipped (wasm $wasm, glue $(gzipped "$glue"), page $page," \
        "favicon $(gzipped "$site/tarnovex-16.png"))," \
        "$(verdict $total "$visit_budget")"
    ((total <= visit_budget)) || status=1
done
size=$(raw "$one_file")
# The one file is the page of the site plus the program, gzipped and carried
# a byte a character.
wasm=$((size - $(raw "$site/index.html")))
echo "one file $(basename "$one_file"): $size bytes (wasm $wasm, glue $(raw "$glue"), page $(($(raw "$site/index.html") - $(raw "$glue"))))," \
    "$(verdict "$size" "$file_budget")"
((size <= file_budget)) || status=1
exit $status
