#!/bin/bash
# The size check passes the site within the budget and fails it, naming the
# overrun, with a budget one byte below a visit's size.
#   size_budget_test.sh CHECK_SIZE SITE BUDGET
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
check=$1 site=$2 budget=$3

"$check" "$site" "$budget" >"$E2E_TMP/within" || fail "over the budget: $(cat "$E2E_TMP/within")"
largest=$(sed -n 's/^one visit at .*: \([0-9]*\) bytes gzipped.*/\1/p' "$E2E_TMP/within" | sort -n | tail -n1)
[[ -n $largest ]] || fail "no visit's size printed"
note "largest visit: $largest bytes gzipped"
if "$check" "$site" $((largest - 1)) >"$E2E_TMP/over"; then
    fail "a visit of $largest bytes passed a budget of $((largest - 1))"
fi
grep -q "OVER the budget" "$E2E_TMP/over" || fail "the overrun is not named"
note "passed"
