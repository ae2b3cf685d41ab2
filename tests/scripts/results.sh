#!/usr/bin/env bash
# The run's totals: what scripts/lib/junit.sh writes, scripts/lib/results.py
# must read back and count, whatever a failure's text holds.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
ORRA_RESULTS=$(mktemp -d)
export ORRA_RESULTS
trap 'rm -rf "$ORRA_RESULTS"' EXIT
source "$top/scripts/lib/junit.sh"
results() { python3 "$top/scripts/lib/results.py" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

junit_run "passes" true >/dev/null
junit_run "a <name> & \"quotes\"" bash -c $'printf "\\033[31m<&>\\"\\001\\n"; exit 3' >/dev/null 2>&1
junit_case "recorded" 0
junit_write "mixed" >/dev/null
[ "$junit_last_failed" = 1 ] || fail "junit_write counted $junit_last_failed failures, not 1"
junit_case "alone" 0
junit_write "clean" >/dev/null
[ "$junit_last_failed" = 0 ] || fail "failures carried over into the next file"

total=$(results total "$ORRA_RESULTS") && fail "a run with a failure totalled as a success"
[ "$total" = "tests: 3 passed, 1 failed" ] || fail "totalled as '$total'"

# A suite that wrote nothing, or failed without saying which test, is a failure.
[ -n "$(results suite "$ORRA_RESULTS" 0)" ] || fail "a suite with no results passed"
[ -n "$(results suite "$ORRA_RESULTS" 2 clean.xml)" ] || fail "a failed suite with only passes passed"
[ -z "$(results suite "$ORRA_RESULTS" 2 mixed.xml)" ] || fail "a failed test was not enough to explain a failed suite"
[ -z "$(results suite "$ORRA_RESULTS" 0 clean.xml)" ] || fail "a passing suite was faulted"

# Half a file (a run ended while writing) counts as a failure, not as nothing.
head -c 60 "$ORRA_RESULTS/clean.xml" >"$ORRA_RESULTS/cut.xml"
[ "$(results total "$ORRA_RESULTS" 2>/dev/null)" = "tests: 3 passed, 2 failed" ] || fail "a cut file was not a failure"
echo "results: all checks passed"
