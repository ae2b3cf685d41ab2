#!/usr/bin/env bash
# Sets up, builds and runs every test through CTest; then the same suite under
# AddressSanitizer and UBSan (build-asan/), a short run of every fuzz target
# (build-fuzz/), and the Windows build with its suites under Wine
# (scripts/windows.sh, build-win/). Any failure fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/check-format.sh
scripts/setup.sh
build=${BUILD_DIR:-build}
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"

log=$(mktemp)
winlog=$(mktemp)
trap 'rm -f "$log" "$winlog"' EXIT
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" | tee "$log"

if [ "${SKIP_SANITIZED:-}" != 1 ]; then
    scripts/test-sanitized.sh
    scripts/fuzz-smoke.sh
fi

windows=0
if [ "${SKIP_WINDOWS:-}" != 1 ]; then
    scripts/windows.sh | tee "$winlog" || windows=$?
fi

# One closing line for the whole run: the plain build's count and the Windows suites'.
total=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$log" | tail -n 1)
failed=${total% *}
all=${total#* }
passed=$((all - failed))
if win=$(sed -n 's/^windows tests: \([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p' "$winlog" | tail -n 1) \
    && [ -n "$win" ]; then
    passed=$((passed + ${win% *}))
    failed=$((failed + ${win#* }))
elif [ "$windows" != 0 ]; then
    failed=$((failed + 1)) # the Windows build itself failed
fi
echo "tests: $passed passed, $failed failed"
[ "$windows" = 0 ]
