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
    # Names of their own: the command may read the caller's variables.
    local junit_name=$1 junit_out junit_status=0 junit_start=$SECONDS
    shift
    junit_out=$(mktemp)
    echo "== $junit_name"
    "$@" 2>&1 | tee "$junit_out" || junit_status=${PIPESTATUS[0]}
    junit_count=$((junit_count + 1))
    junit_cases+="  <testcase classname=\"$junit_suite\" name=\"$junit_name\" time=\"$((SECONDS - junit_start))\">"$'\n'
    if [ "$junit_status" != 0 ]; then
        junit_failed=$((junit_failed + 1))
        junit_cases+="    <failure message=\"exit status $junit_status\">$(tail -n 200 "$junit_out" | junit_escape)</failure>"$'\n'
        echo "FAIL: $junit_name (exit status $junit_status)" >&2
    fi
    junit_cases+="  </testcase>"$'\n'
    rm -f "$junit_out"
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
