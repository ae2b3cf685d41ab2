#!/usr/bin/env bash
# Fails when a C++ file is not laid out as .clang-format says.
# Run `clang-format -i $(git ls-files '*.cpp' '*.h')` to fix.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh
ensure_packages clang-format
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests bench fuzz tools -name '*.cpp' -o -name '*.h')
clang-format --dry-run --Werror $files
echo "Formatting: all $(echo "$files" | wc -w) files as .clang-format says"
