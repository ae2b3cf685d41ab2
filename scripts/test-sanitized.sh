#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/ (the "asan" CMake preset) and runs
# every test there. Any memory error, undefined behaviour or leak in our code
# fails the run. The results go to ORRA_RESULTS (default build/results) as
# ctest-sanitized.xml and ctest-sanitized-x11.xml.
set -euo pipefail
cd "$(dirname "$0")/.."
results=${ORRA_RESULTS:-$PWD/build/results}
mkdir -p "$results"

# Same package check and build steps as the plain build, with the preset's flags.
BUILD_DIR=build-asan CMAKE_ARGS="--preset=asan -DBUILD_TESTING=ON" scripts/setup.sh

export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
# halt_on_error: the first report ends the test, so it cannot be drowned out.
# Leaks of Qt's own dependencies are listed in sanitizers/lsan.supp.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=0:print_stacktrace=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:report_error_type=1"
export LSAN_OPTIONS="suppressions=$PWD/sanitizers/lsan.supp:print_suppressions=0"

status=0
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -E '^tst_(desktop|keyboard_x11)$' \
    --output-junit "$results/ctest-sanitized.xml" || status=$?
# The tests on the xcb platform run with full stacks: Debian's Qt has no
# frame pointers, so the fast unwinder stops inside it, and Qt 6.8's platform
# services were reported leaked with no frame of the xcb plugin
# sanitizers/lsan.supp names. For every test, that would take five times as long.
ASAN_OPTIONS=$ASAN_OPTIONS:fast_unwind_on_malloc=0 \
    ctest --test-dir build-asan --output-on-failure -R '^tst_(desktop|keyboard_x11)$' \
    --output-junit "$results/ctest-sanitized-x11.xml" || status=$?
exit "$status"
