#!/usr/bin/env bash
# Installs what the build needs (only what is missing) and builds into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake g++ make qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins libgl-dev
          qt6-tools-dev qt6-tools-private-dev
          fonts-dejavu-core xvfb imagemagick poppler-utils librsvg2-bin icoutils
          xdg-utils desktop-file-utils shared-mime-info libglib2.0-bin x11-utils python3)
source scripts/lib/packages.sh
ensure_packages "${packages[@]}"

build=${BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j"$(nproc)"
