#!/usr/bin/env bash
# Builds a Release tree in build-bench and prints the performance table.
# Arguments go to orra_bench (see: build-bench/bench/orra_bench --help).
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=build-bench BUILD_TYPE=Release
# The tests are not needed to measure, and building them doubles the time.
CMAKE_ARGS="${CMAKE_ARGS:-} -DORRA_BUILD_BENCH=ON -DBUILD_TESTING=OFF" scripts/setup.sh
exec "$BUILD_DIR/bench/orra_bench" "$@"
