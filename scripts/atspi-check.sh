#!/usr/bin/env bash
# Shows what a screen reader sees of the program: runs it on an X server of
# its own (Xvfb) with a private D-Bus session and AT-SPI registry, and lets
# scripts/atspi-check.py print the accessible trees and check them.
# Builds nothing: run scripts/setup.sh first. Exits non-zero when a check fails.
#   BUILD_DIR  build directory holding the program (default build/)
#   Extra arguments go to atspi-check.py (e.g. --name Ada --timeout 30).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(xvfb x11-utils dbus-daemon at-spi2-core python3-pyatspi gir1.2-atspi-2.0)
source scripts/lib/packages.sh
ensure_packages "${packages[@]}"

build=${BUILD_DIR:-build}
[[ $build = /* ]] || build=$PWD/$build
program=$build/src/OrraFreeNativeAmericanAstrology
if [ ! -x "$program" ]; then
    echo "No program at $program; build it first (scripts/setup.sh)." >&2
    exit 2
fi

# A fresh home and runtime folder: no update reminder, no lock of another copy.
home=$(mktemp -d)
runtime=$(mktemp -d)
chmod 700 "$runtime"
trap 'rm -rf "$home" "$runtime"' EXIT

# The system python, whatever a version manager puts first on PATH: pyatspi
# comes from Debian's package.
env HOME="$home" XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb \
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_LOGGING_RULES="qt.qpa.*=false" \
    scripts/lib/xvfb-run.sh -s "-screen 0 1280x1024x24 -dpi 96" \
    dbus-run-session -- /usr/bin/python3 scripts/atspi-check.py --app "$program" "$@" \
    > >(grep --line-buffered -v "SpiRegistry daemon is running") \
    2> >(grep --line-buffered -v -e "Failed to set fd limit" -e "Activating service name" \
             -e "Successfully activated service" >&2)
