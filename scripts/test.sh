#!/usr/bin/env bash
# Sets up, builds and runs every test through CTest; then the same suite under
# AddressSanitizer and UBSan (build-asan/), a short run of every fuzz target
# (build-fuzz/), the build and suite in Debian 13 with the package built here
# installed there (scripts/debian13.sh, as root or with sudo), and the Windows
# build with its suites under Wine (scripts/windows.sh, build-win/). Any
# failure fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/check-format.sh
scripts/setup.sh
build=${BUILD_DIR:-build}
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"

log=$(mktemp)
winlog=$(mktemp)
debianlog=$(mktemp)
trap 'rm -f "$log" "$winlog" "$debianlog"' EXIT
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" | tee "$log"

if [ "${SKIP_SANITIZED:-}" != 1 ]; then
    scripts/test-sanitized.sh
    scripts/fuzz-smoke.sh
fi

# The Debian package (built twice, compared, linted, its autopkgtest); Debian 13 checks it too.
deb=0
[ "${SKIP_DEB:-}" = 1 ] || (. /etc/os-release && [ "$VERSION_ID" = 13 ]) || packaging/test-deb.sh || deb=$?

debian13=0
if (. /etc/os-release && [ "$ID" = debian ] && [ "$VERSION_ID" = 13 ]); then
    echo "This is Debian 13: the suite above is its check."
elif [ "${SKIP_DEBIAN13:-}" != 1 ]; then
    scripts/debian13.sh | tee "$debianlog" || debian13=$?
fi

windows=0
if [ "${SKIP_WINDOWS:-}" != 1 ]; then
    scripts/windows.sh | tee "$winlog" || windows=$?
fi

# One closing line for the whole run: the plain build's count, Debian 13's and
# the Windows suites'.
total=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$log" | tail -n 1)
failed=${total% *}
all=${total#* }
passed=$((all - failed))
if d13=$(sed -n 's/^debian 13 tests: \([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p' "$debianlog" | tail -n 1) \
    && [ -n "$d13" ]; then
    passed=$((passed + ${d13% *}))
    failed=$((failed + ${d13#* }))
elif [ "$debian13" != 0 ]; then
    failed=$((failed + 1)) # the Debian 13 system or build failed
fi
if win=$(sed -n 's/^windows tests: \([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p' "$winlog" | tail -n 1) \
    && [ -n "$win" ]; then
    passed=$((passed + ${win% *}))
    failed=$((failed + ${win#* }))
elif [ "$windows" != 0 ]; then
    failed=$((failed + 1)) # the Windows build itself failed
fi
echo "tests: $passed passed, $failed failed"
[ "$debian13" = 0 ] && [ "$windows" = 0 ]
