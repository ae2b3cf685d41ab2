#!/usr/bin/env bash
# Sets up, builds and runs every test through CTest; then the same suite under
# AddressSanitizer and UBSan (build-asan/), and a short run of every fuzz target
# (build-fuzz/). Any failure fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/check-format.sh
scripts/setup.sh
build=${BUILD_DIR:-build}
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"

log=$(mktemp)
trap 'rm -f "$log"' EXIT
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" | tee "$log"

if [ "${SKIP_SANITIZED:-}" != 1 ]; then
    scripts/test-sanitized.sh
    scripts/fuzz-smoke.sh
fi

# One closing line for the whole run: the plain build's count.
total=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$log" | tail -n 1)
failed=${total% *}
all=${total#* }
echo "tests: $((all - failed)) passed, $failed failed"
