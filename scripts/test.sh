#!/usr/bin/env bash
# Sets up, builds and runs every test through CTest; then the same suite under
# AddressSanitizer and UBSan (build-asan/), a short run of every fuzz target
# (build-fuzz/), the build and suite in Debian 13 with the package built here
# installed there (scripts/debian13.sh, as root or with sudo), and the Windows
# build with its suites under Wine (scripts/windows.sh, build-win/). Any
# failure fails the run.
#
# Every suite and check writes JUnit XML files into ORRA_RESULTS (default
# build/results), emptied first; the closing line is totalled from them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
ORRA_RESULTS=$(realpath -m "${ORRA_RESULTS:-$top/build/results}")
export ORRA_RESULTS
cd "$top"
mkdir -p "$ORRA_RESULTS"
find "$ORRA_RESULTS" -maxdepth 1 -type f -name '*.xml*' -delete
build=${BUILD_DIR:-build}
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"

source scripts/lib/junit.sh
results() { python3 scripts/lib/results.py "$@"; }
failures=0

# A check that passes or fails as a whole: one test case, from its exit status.
check() { # name, command...
    local name=$1 status=0
    shift
    "$@" || status=$?
    junit_case "$name" "$status"
    junit_write "$name"
    [ "$status" = 0 ] || failures=$((failures + 1))
    return "$status"
}

# A suite writes its own files into $ORRA_RESULTS; one that wrote none, or
# failed without a failing test in them, is a failure of its own there.
suite() { # name, command...
    local name=$1 status=0 before new why
    shift
    before=$(LC_ALL=C ls "$ORRA_RESULTS")
    "$@" || status=$?
    mapfile -t new < <(LC_ALL=C comm -13 <(printf '%s\n' "$before") <(LC_ALL=C ls "$ORRA_RESULTS"))
    why=$(results suite "$ORRA_RESULTS" "$status" "${new[@]}")
    if [ -n "$why" ]; then
        echo "$name: $why" >&2
        junit_case "$name" 1 "$why"
        junit_write "$name-run"
    fi
    [ "$status" = 0 ] || failures=$((failures + 1))
}

check format scripts/check-format.sh || true
if check build scripts/setup.sh; then
    suite ctest ctest --test-dir "$build" --output-on-failure -j"$(nproc)" \
        --output-junit "$ORRA_RESULTS/ctest.xml"
else
    suite ctest true # no build, so no results: counted as failed
fi

if [ "${SKIP_SANITIZED:-}" != 1 ]; then
    suite sanitized scripts/test-sanitized.sh
    suite fuzz scripts/fuzz-smoke.sh
fi

# The Debian package (built twice, compared, linted, its autopkgtest); Debian 13 checks it too.
if [ "${SKIP_DEB:-}" != 1 ] && ! (. /etc/os-release && [ "$VERSION_ID" = 13 ]); then
    suite deb packaging/test-deb.sh
fi

if (. /etc/os-release && [ "$ID" = debian ] && [ "$VERSION_ID" = 13 ]); then
    echo "This is Debian 13: the suite above is its check."
elif [ "${SKIP_DEBIAN13:-}" != 1 ]; then
    suite debian13 scripts/debian13.sh
fi

if [ "${SKIP_WINDOWS:-}" != 1 ]; then
    suite windows scripts/windows.sh
    suite release scripts/release.sh check # its checksums and signature, as a user checks them
    # A run ended while it builds in the Debian 13 system leaves nothing mounted
    # there (every moment and signal: scripts/windows/test-leaving.sh by hand).
    (. /etc/os-release && [ "$VERSION_ID" = 13 ]) || suite leaving scripts/windows/test-leaving.sh build
fi

results total "$ORRA_RESULTS"
[ "$failures" = 0 ]
