#!/usr/bin/env bash
# Builds the screenshot tool into $BUILD_DIR (default build-shots/) and saves a
# picture of every window into docs/screenshots/, at 100 % (name.png) and at
# twice the size (name@2x.png), on an X server of its own (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-shots}
out=${OUT_DIR:-$PWD/docs/screenshots}
BUILD_DIR=$build CMAKE_ARGS="-DBUILD_TESTING=OFF ${CMAKE_ARGS:-}" scripts/setup.sh
mkdir -p "$out"

tool=$PWD/$build/tools/screenshots/orra_screenshots
runtime=$(mktemp -d)
home=$(mktemp -d)
trap 'rm -rf "$runtime" "$home"' EXIT

shoot() { # suffix, then environment settings
    local suffix=$1
    shift
    env "$@" HOME="$home" XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb \
        QT_LOGGING_RULES="qt.qpa.*=false" \
        xvfb-run -a -s "-screen 0 1600x1200x24 -dpi 96" "$tool" "$out" "$suffix"
}
shoot "" QT_SCALE_FACTOR=1
shoot "@2x" QT_SCALE_FACTOR=2
echo "Screenshots saved in $out"
