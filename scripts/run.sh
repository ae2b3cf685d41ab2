#!/usr/bin/env bash
# Sets up, builds and starts the program. Without a display it runs the
# program under Xvfb, saves a screenshot of the main window and ends it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
app=build/src/OrraFreeNativeAmericanAstrology

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$app"
fi

shot=${SCREENSHOT:-$PWD/build/main-window.png}
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
scripts/lib/xvfb-run.sh -s "-screen 0 1024x768x24" bash -c '
    "$1" & pid=$!
    sleep 3
    import -window root "$2"
    kill "$pid"; wait "$pid" 2>/dev/null || true
' _ "$app" "$shot"
echo "No display: ran the program under Xvfb; screenshot of the main window saved to $shot"
