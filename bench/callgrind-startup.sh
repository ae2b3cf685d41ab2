#!/usr/bin/env bash
# Counts the instructions from process start to the main window's first paint,
# ours against the bare program, under callgrind. Unlike the timings, the counts
# hardly depend on other load: they repeat to about 0.3 %.
# Usage: bench/callgrind-startup.sh [BUILD_DIR [RUNS]]   (default build-bench, 3)
# Leaves the last profiles in $OUT (default /tmp/orra-callgrind) for
# callgrind_annotate.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
runs=${2:-3}
out=${OUT:-/tmp/orra-callgrind}
command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 1; }
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# As in orra_bench: offscreen, an empty home (a first start), a runtime folder
# of its own, the font cache kept from run to run. A fixed hash seed and no
# address randomisation make the counts repeatable.
count() { # program, name of the profile
    local home="$work/home" runtime="$work/runtime"
    rm -rf "$home" "$runtime"
    mkdir -p "$home/config" "$runtime"
    chmod 700 "$runtime"
    env QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="qt.qpa.*=false" \
        XDG_CACHE_HOME="$work/cache" HOME="$home" XDG_CONFIG_HOME="$home/config" \
        XDG_RUNTIME_DIR="$runtime" QT_HASH_SEED=0 \
        QT_PLUGIN_PATH="$PWD/$build/plugins" QT_QPA_GENERIC_PLUGINS=orrafirstpaint \
        setarch -R valgrind --tool=callgrind --callgrind-out-file="$out/$2.out" "$1" 2>&1 \
        | sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

ours=$build/src/OrraFreeNativeAmericanAstrology
bare=$build/bench/orra_bench_bare
count "$bare" warmup >/dev/null # fills the font cache
o=$(for _ in $(seq "$runs"); do count "$ours" ours; done | median)
b=$(for _ in $(seq "$runs"); do count "$bare" bare; done | median)
awk -v o="$o" -v b="$b" 'BEGIN {
    printf "instructions to first paint (median of runs)\n"
    printf "  ours %6.1f M\n  bare %6.1f M\n  ratio x%.3f\n", o / 1e6, b / 1e6, o / b }'
echo "profiles: $out/ours.out $out/bare.out"
