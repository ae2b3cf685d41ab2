# shellcheck shell=bash
# Sourced by the end-to-end checks under Wine: each check says ok or FAIL and
# the failures are kept in failures[] for the closing line.
failures=()
check() { # description, command...
    local what=$1
    shift
    if "$@"; then
        echo "  ok    $what"
    else
        echo "  FAIL  $what"
        failures+=("$what")
    fi
}
wait_for() { # seconds, command...: true once the command succeeds
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null; do
        ((SECONDS < deadline)) || return 1
        sleep 0.5
    done
}
