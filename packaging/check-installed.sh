#!/usr/bin/env bash
# Starts the installed program as a person would, each time on an X server of
# its own (Xvfb): its main window must come up painted, then a saved reading
# opened from the desktop (xdg-open) must show its reading window.
#
#   packaging/check-installed.sh [SCREENSHOT_DIR]
#
# Saves installed-main-window.png and installed-reading-window.png into
# SCREENSHOT_DIR (default: the current folder). Run by packaging/test-deb.sh
# on this system and by scripts/debian13.sh in Debian 13.
set -euo pipefail
cd "$(dirname "$0")/.."

program=/usr/bin/OrraFreeNativeAmericanAstrology
shots=$(realpath "${1:-.}")
mkdir -p "$shots"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home" "$scratch/runtime"
chmod 700 "$scratch/runtime"

echo "== Starting the installed program"
shot=$shots/installed-main-window.png
HOME=$scratch/home XDG_RUNTIME_DIR=$scratch/runtime \
    scripts/lib/xvfb-run.sh -s "-screen 0 1024x768x24" bash -c '
        "$1" & pid=$!
        # Painted: more than the few colours of an empty screen or a bare frame.
        for _ in $(seq 60); do
            sleep 0.5
            if ! kill -0 "$pid" 2>/dev/null; then
                wait "$pid" && status=0 || status=$?
                echo "the program ended by itself (status $status)" >&2
                exit 1
            fi
            import -window root "$2"
            [ "$(convert "$2" -format %k info:)" -gt 16 ] && break
        done
        kill "$pid"; wait "$pid" 2>/dev/null || true
    ' _ "$program" "$shot" || fail "the installed program did not stay up"
colours=$(convert "$shot" -format %k info:)
[ "$colours" -gt 16 ] || fail "the main window was not painted ($colours colours)"
echo "Screenshot of the installed program: $shot ($colours colours)"

echo "== Opening a saved reading from the desktop"
scripts/lib/xvfb-run.sh -s "-screen 0 1024x768x24" \
    env SCREENSHOT="$shots/installed-reading-window.png" tests/desktop/open-from-desktop.sh /usr \
    || fail "a saved reading does not open from the desktop"
