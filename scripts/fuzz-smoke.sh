#!/usr/bin/env bash
# Builds the libFuzzer targets in fuzz/ into build-fuzz/ and runs each one for
# a short while (FUZZ_SECONDS, default 30) from the seeds in fuzz/corpus/.
# Fails when any target finds a crash, a hang, a leak or a broken property;
# the input that did it is kept in build-fuzz/artifacts/. One test case per
# target goes to ORRA_RESULTS (default build/results) as fuzz.xml.
#   scripts/fuzz-smoke.sh                  all targets
#   FUZZ_SECONDS=600 scripts/fuzz-smoke.sh reminder
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake clang libclang-rt-dev qt6-base-dev)
source scripts/lib/packages.sh
ensure_packages "${packages[@]}"

build=build-fuzz
cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"

targets=("$@")
((${#targets[@]})) || targets=(savedfile scrambler reminder)
seconds=${FUZZ_SECONDS:-30}

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:print_stacktrace=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
mkdir -p "$build/artifacts"
source scripts/lib/junit.sh
failed=()
for t in "${targets[@]}"; do
    # New inputs go to build-fuzz/corpus/, so fuzz/corpus/ holds only the seeds.
    mkdir -p "$build/corpus/$t"
    args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
          -artifact_prefix="$build/artifacts/$t-")
    [ -f "fuzz/$t.dict" ] && args+=(-dict="fuzz/$t.dict")
    # Inputs just past the reader's size limit must be tried as well.
    [ "$t" = savedfile ] && args+=(-max_len=5000)
    log="$build/fuzz-$t.log"
    echo "Fuzzing $t for ${seconds}s (log: $log)"
    if "$build/fuzz_$t" "${args[@]}" "$build/corpus/$t" "fuzz/corpus/$t" >"$log" 2>&1; then
        grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|DONE' "$log" || true
        junit_case "$t" 0
    else
        echo "fuzz_$t FAILED:"
        tail -n 60 "$log"
        failed+=("$t")
        junit_case "$t" 1 "found a problem; log $log, input in $build/artifacts/"
    fi
done
junit_write fuzz

if ((${#failed[@]})); then
    echo "Fuzzing found problems in: ${failed[*]} (inputs in $build/artifacts/)"
    exit 1
fi
echo "Fuzzing found nothing in: ${targets[*]}"
