# shellcheck shell=bash
# Sourced by the package checks: runs each check as a JUnit test case and
# writes them into one file under ORRA_RESULTS (default build/results).
#
#   junit_begin SUITE            the file is $ORRA_RESULTS/SUITE.xml
#   junit_case NAME COMMAND...   runs COMMAND, its output shown and kept; a
#                                non-zero status is the case's <failure>
#   junit_end                    writes the file; fails if a case failed

junit_begin() {
    junit_suite=$1
    junit_cases=""
    junit_failed=0
    junit_count=0
    junit_dir=${ORRA_RESULTS:-$PWD/build/results}
    mkdir -p "$junit_dir"
}

junit_escape() {
    sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' -e 's/"/\&quot;/g' | tr -d '\000-\010\013\014\016-\037'
}

junit_case() {
    local name=$1 out status=0 start=$SECONDS
    shift
    out=$(mktemp)
    echo "== $name"
    "$@" 2>&1 | tee "$out" || status=${PIPESTATUS[0]}
    junit_count=$((junit_count + 1))
    junit_cases+="  <testcase classname=\"$junit_suite\" name=\"$name\" time=\"$((SECONDS - start))\">"$'\n'
    if [ "$status" != 0 ]; then
        junit_failed=$((junit_failed + 1))
        junit_cases+="    <failure message=\"exit status $status\">$(tail -n 200 "$out" | junit_escape)</failure>"$'\n'
        echo "FAIL: $name (exit status $status)" >&2
    fi
    junit_cases+="  </testcase>"$'\n'
    rm -f "$out"
    return 0
}

junit_end() {
    local file=$junit_dir/$junit_suite.xml
    {
        echo '<?xml version="1.0" encoding="UTF-8"?>'
        echo "<testsuite name=\"$junit_suite\" tests=\"$junit_count\" failures=\"$junit_failed\">"
        printf '%s' "$junit_cases"
        echo '</testsuite>'
    } >"$file.tmp"
    mv "$file.tmp" "$file"
    echo "$junit_suite: $((junit_count - junit_failed)) of $junit_count checks passed ($file)"
    [ "$junit_failed" = 0 ]
}
