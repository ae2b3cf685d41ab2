# shellcheck shell=bash
# Sourced by the shell checks: each case is kept as a JUnit <testcase>, a
# failed one with its <failure>, and junit_write puts them in one file of
# $ORRA_RESULTS, the folder the integrator totals a run from.
#
#   junit_case NAME STATUS [MESSAGE]   STATUS 0 passes, anything else fails
#   junit_write SUITE                  $ORRA_RESULTS/SUITE.xml, then starts afresh
junit_cases=()
junit_failed=0

junit_escape() {
    local s=$1
    s=${s//&/&amp;}
    s=${s//</&lt;}
    s=${s//>/&gt;}
    s=${s//\"/&quot;}
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
    junit_cases=()
    junit_failed=0
}
