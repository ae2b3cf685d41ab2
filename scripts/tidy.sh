#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) over the program, tests, benchmarks
# and tools, using the compile commands of build/. Prints what it finds.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh
ensure_packages clang-tidy
scripts/setup.sh
run-clang-tidy -p "${BUILD_DIR:-build}" -j"$(nproc)" -quiet "$PWD/(src|tests|bench|tools)/.*\.cpp$" 2>/dev/null \
    | grep -E "^$PWD/.*(warning|error):" | sort -u || echo "clang-tidy: nothing found"
