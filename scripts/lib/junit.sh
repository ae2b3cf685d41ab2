# shellcheck shell=bash
# Sourced by the shell checks: each case is kept as a JUnit <testcase>, a
# failed one with its <failure>, and junit_write puts them in one file of
# $ORRA_RESULTS (default build/results), the folder a run is totalled from.
#
#   junit_case NAME STATUS [MESSAGE]   STATUS 0 passes, anything else fails
#   junit_run NAME COMMAND...          runs COMMAND with its output shown; its
#                                      status is the case's, its output's end
#                                      the failure's text
#   junit_write SUITE                  $ORRA_RESULTS/SUITE.xml, then starts
#                                      afresh; junit_last_failed counts its failures
junit_cases=()
junit_failed=0
junit_last_failed=0

junit_escape() {
    local s
    # Control characters (a terminal's colours) are not allowed in XML.
    s=$(printf '%s' "$1" | tr -d '\000-\010\013\014\016-\037')
    # Quoted, as an unquoted & in the replacement stands for the match (bash 5.2).
    s=${s//'&'/'&amp;'}
    s=${s//'<'/'&lt;'}
    s=${s//'>'/'&gt;'}
    s=${s//'"'/'&quot;'}
    printf '%s' "$s"
}

junit_case() {
    local name message
    name=$(junit_escape "$1")
    if [ "$2" = 0 ]; then
        junit_cases+=("  <testcase classname=\"@SUITE@\" name=\"$name\"/>")
    else
        message=$(junit_escape "${3:-exit status $2}")
        junit_cases+=("  <testcase classname=\"@SUITE@\" name=\"$name\"><failure message=\"$message\"/></testcase>")
        junit_failed=$((junit_failed + 1))
    fi
}

junit_run() {
    # Names of their own: the command may read the caller's variables.
    local junit_name=$1 junit_out junit_status=0
    shift
    junit_out=$(mktemp)
    echo "== $junit_name"
    "$@" 2>&1 | tee "$junit_out" || junit_status=${PIPESTATUS[0]}
    [ "$junit_status" = 0 ] || echo "FAIL: $junit_name (exit status $junit_status)" >&2
    junit_case "$junit_name" "$junit_status" "exit status $junit_status: $(tail -n 40 "$junit_out")"
    rm -f "$junit_out"
}

junit_write() {
    local suite=$1 dir=${ORRA_RESULTS:-build/results} line
    mkdir -p "$dir"
    {
        echo '<?xml version="1.0" encoding="UTF-8"?>'
        echo "<testsuite name=\"$suite\" tests=\"${#junit_cases[@]}\" failures=\"$junit_failed\">"
        for line in "${junit_cases[@]}"; do echo "${line//@SUITE@/$suite}"; done
        echo '</testsuite>'
    } >"$dir/$suite.xml.part"
    mv "$dir/$suite.xml.part" "$dir/$suite.xml" # never half a file
    echo "$suite: $((${#junit_cases[@]} - junit_failed)) of ${#junit_cases[@]} checks passed ($dir/$suite.xml)"
    junit_last_failed=$junit_failed
    junit_cases=()
    junit_failed=0
}
