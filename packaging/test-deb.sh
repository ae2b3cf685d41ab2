#!/usr/bin/env bash
# The package check, run by scripts/test.sh: builds the Debian package of
# HEAD twice with dpkg-buildpackage, varied, and checks that the two are
# identical bit for bit; checks the packaged program's hardening; then
# lintian, the validators and the autopkgtest on this system
# (packaging/check-deb.sh).
#
#   first build   build-pkg/         umask 022, TZ=UTC, LC_ALL=C.UTF-8, 2 jobs
#   second build  build-pkg/again/   umask 002, TZ=Asia/Kathmandu,
#                                    LC_ALL=fr_FR.UTF-8, 1 job, minutes later
#
# The packages are built without their tests (nocheck): scripts/test.sh runs
# the suite. When the plain build is there (BUILD_DIR, default build/), its
# program's hardening is checked as well. The first build's files stay in
# build-pkg/ for scripts/debian13.sh and the release. Writes
# $ORRA_RESULTS/deb-build.xml and deb-debian12.xml.
# Needs root (or sudo): the autopkgtest installs the package and removes it.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env=ORRA_RESULTS "$0" "$@"
fi
source scripts/lib/project.sh
source scripts/lib/packages.sh
source scripts/lib/junit.sh
ensure_packages dpkg-dev debhelper devscripts diffoscope-minimal locales

package=$(sed -n 's/^Source: //p' debian/control)
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
name=${package}_$(project_version)_$arch
dbgsym=${package}-dbgsym_$(project_version)_$arch
out=$PWD/build-pkg
started=$SECONDS

# The French locale of the second build, made from Debian's locale sources.
if ! locale -a | grep -qx fr_FR.utf8; then
    localedef -i fr_FR -f UTF-8 fr_FR.UTF-8
fi

# The package and its debug data unpacked into a new folder, named on stdout.
unpacked() {
    local tree
    tree=$(mktemp -d)
    dpkg-deb -x "$out/$name.deb" "$tree" && dpkg-deb -x "$out/$dbgsym.deb" "$tree" && echo "$tree"
}

build() {
    local dir=$1 mask=$2 tz=$3 lang=$4 jobs=$5
    (umask "$mask" && TZ=$tz LC_ALL=$lang LANG=$lang DEB_BUILD_OPTIONS="nocheck parallel=$jobs" \
        packaging/build-deb.sh "$dir")
}

# The files of the two builds that must match, and what diffoscope says of any
# that do not.
reproducible() {
    local status=0 file
    build "$out/again" 002 Asia/Kathmandu fr_FR.UTF-8 1 || return 1
    for file in "$name.deb" "$dbgsym.deb"; do
        if cmp -s "$out/$file" "$out/again/$file"; then
            echo "identical: $file $(sha256sum <"$out/$file" | cut -d' ' -f1)"
        else
            echo "DIFFERENT: $file"
            diffoscope --text - "$out/$file" "$out/again/$file" | head -n 300
            status=1
        fi
    done
    # No build path in the program, its debug data or the package's files.
    local tree
    tree=$(unpacked) || return 1
    if grep -rl -e "$out" "$tree"; then
        echo "the build path is in the files above"
        status=1
    fi
    rm -rf "$tree"
    return $status
}

# Everything hardening-check knows, on PROGRAM; DEBUG... hold its debug data.
# Control-flow protection is waived only where the C library's start files
# carry no IBT/SHSTK note (Debian 12's do not), since the link then drops it
# from every program.
hardened() {
    local program=$1 waive=() status=0 units flag
    shift
    if ! readelf -n "$(gcc -print-file-name=Scrt1.o)" | grep -q "x86 feature: IBT, SHSTK"; then
        echo "This system's Scrt1.o has no IBT/SHSTK note: the link drops control-flow protection."
        waive=(--nocfprotection)
    fi
    hardening-check "${waive[@]}" "$program" || status=1
    # Stack-clash probes only show in a function with a large stack frame;
    # the compiler's record of its options in the debug data shows the flag.
    units=$(readelf --debug-dump=info "$@" | grep DW_AT_producer)
    [ -n "$units" ] || { echo "no compile units in the debug data"; status=1; }
    for flag in -fstack-clash-protection -fcf-protection -fstack-protector-strong; do
        if grep -v -q -e "$flag" <<<"$units"; then
            echo "a unit of the program was compiled without $flag"
            status=1
        fi
    done
    echo "$(wc -l <<<"$units") compile units, each with stack-clash, control-flow and stack protection."
    return $status
}

hardening() {
    local tree status=0
    tree=$(unpacked) || return 1
    hardened "$tree/usr/bin/OrraFreeNativeAmericanAstrology" $(find "$tree/usr/lib/debug" -name '*.debug') || status=1
    rm -rf "$tree"
    return $status
}

echo "== Building the package (build-pkg/)"
first=0
build "$out" 022 UTC C.UTF-8 2 || first=1
if [ "$first" = 0 ]; then
    junit_run reproducible reproducible
    junit_run hardening hardening
else
    junit_case build 1 "the first build failed"
fi
# The plain build of scripts/setup.sh (scripts/test.sh makes it first) keeps its hardening too.
plain=${BUILD_DIR:-build}/src/OrraFreeNativeAmericanAstrology
if [ -x "$plain" ]; then
    junit_run hardening-plain-build hardened "$plain" "$plain"
fi
built=0
junit_write deb-build
[ "$junit_last_failed" = 0 ] || built=1
[ "$first" = 0 ] || exit 1

packaging/check-deb.sh "$out/$name.changes" deb-debian12 || built=1
echo "package check: $((SECONDS - started)) s"
[ "$built" = 0 ]
