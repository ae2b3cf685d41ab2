#!/usr/bin/env bash
# Runs a command on an X server of its own (Xvfb) and ends the server after it:
#
#   scripts/lib/xvfb-run.sh [-s "Xvfb arguments"] command [arguments...]
#
# The server picks a display no other server uses and reports it (-displayfd),
# so other X servers on the machine, at any number, or a lock file an ended
# one left behind, cannot get in the way; the command starts only once the
# server answers (xdpyinfo), with DISPLAY set. Exits with the command's status.
set -euo pipefail

server_args="-screen 0 1024x768x24"
if [ "${1:-}" = -s ]; then
    server_args=$2
    shift 2
fi
[ $# -gt 0 ] || {
    echo "usage: $0 [-s \"Xvfb arguments\"] command [arguments...]" >&2
    exit 2
}
for tool in Xvfb xdpyinfo; do
    command -v "$tool" >/dev/null || {
        echo "$tool is missing (Debian: xvfb, x11-utils)" >&2
        exit 2
    }
done

scratch=$(mktemp -d)
server=""
stop() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null || true
        # Gone before the next one starts: no socket or lock of it left over.
        wait "$server" 2>/dev/null || true
    fi
    rm -rf "$scratch"
}
trap stop EXIT
trap 'exit 143' TERM HUP
trap 'exit 130' INT

: >"$scratch/display" # there before the server's shell opens it
# shellcheck disable=SC2086 # the server's arguments are words
Xvfb -displayfd 3 -nolisten tcp $server_args 3>"$scratch/display" 2>"$scratch/log" &
server=$!
display=""
for _ in $(seq 200); do
    display=$(cat "$scratch/display")
    [ -n "$display" ] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.05
done
if [ -z "$display" ]; then
    echo "Xvfb did not start:" >&2
    cat "$scratch/log" >&2
    exit 1
fi
export DISPLAY=:$display
for _ in $(seq 200); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.05
done
xdpyinfo >/dev/null 2>&1 || {
    echo "Xvfb at $DISPLAY does not answer:" >&2
    cat "$scratch/log" >&2
    exit 1
}

status=0
"$@" || status=$?
exit "$status"
