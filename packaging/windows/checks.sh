# shellcheck shell=bash
# Sourced by the end-to-end checks under Wine: each check says ok or FAIL, the
# failures are kept in failures[] for the closing line, and every check is a
# test case of the script's JUnit file (checks_done SUITE writes it).
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/junit.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/project.sh"
failures=()
check() { # description, command...
    local what=$1
    shift
    if "$@"; then
        echo "  ok    $what"
        junit_case "$what" 0
    else
        echo "  FAIL  $what"
        failures+=("$what")
        junit_case "$what" 1 "check failed"
    fi
}
checks_done() { # suite name: the JUnit file
    junit_write "$1"
}
wait_for() { # seconds, command...: true once the command succeeds
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null; do
        ((SECONDS < deadline)) || return 1
        sleep 0.5
    done
}
