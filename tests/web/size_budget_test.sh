#!/bin/bash
# The size check passes the site and the one file within their budgets, and
# fails each, naming the overrun, with a budget one byte below its size.
#   size_budget_test.sh SITE ONE_FILE PROGRAM_JS VISIT_BUDGET FILE_BUDGET  (check_size.sh's arguments)
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
check=$(dirname "${BASH_SOURCE[0]}")/../../src/web/check_size.sh
site=$1 one_file=$2 glue=$3 visit_budget=$4 file_budget=$5

"$check" "$@" >"$E2E_TMP/within" || fail "over a budget: $(cat "$E2E_TMP/within")"
cat "$E2E_TMP/within"
largest=$(sed -n 's/^one visit at .*: \([0-9]*\) bytes gzipped.*/\1/p' "$E2E_TMP/within" | sort -n | tail -n1)
file_size=$(sed -n 's/^one file .*: \([0-9]*\) bytes .*/\1/p' "$E2E_TMP/within")
[[ -n $largest && -n $file_size ]] || fail "no sizes printed"
"$check" "$site" "$one_file" "$glue" $((largest - 1)) "$file_budget" >"$E2E_TMP/over" &&
    fail "a visit of $largest bytes passed a budget of $((largest - 1))"
grep -q "^one visit.*OVER the budget" "$E2E_TMP/over" || fail "the visit's overrun is not named"
"$check" "$site" "$one_file" "$glue" "$visit_budget" $((file_size - 1)) >"$E2E_TMP/over" &&
    fail "a file of $file_size bytes passed a budget of $((file_size - 1))"
grep -q "^one file.*OVER the budget" "$E2E_TMP/over" || fail "the file's overrun is not named"
note "passed"
