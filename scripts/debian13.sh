#!/usr/bin/env bash
# Checks the project on Debian 13 (trixie) from a Debian 12 machine: in a
# Debian 13 system made with debootstrap, builds a clean clone of this
# checkout's HEAD with the README's two commands (scripts/run.sh, then
# scripts/test.sh for the CTest suite), then checks the package built on
# Debian 12 there: lintian, the validators and its autopkgtest, which installs
# it, starts it and removes it (packaging/check-deb.sh).
#
#   scripts/debian13.sh [PACKAGE.changes]
#
# Without one it takes build-pkg/'s when that was built from HEAD
# (packaging/test-deb.sh leaves it there), else builds one there
# (packaging/build-deb.sh). The system is made once into ORRA_DEBIAN13 (default
# ~/.cache/orra-debian13) and reused; a half-made one is made again. Its
# packages come from the archive this machine uses. Screenshots go to
# build/debian13/. The suite's JUnit files are copied into ORRA_RESULTS
# (default build/results) as debian13-*.xml, the package checks' as deb-debian13.xml.
# Needs root (or sudo): it mounts and enters a chroot.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env=ORRA_DEBIAN13,ORRA_RESULTS,BUILD_DIR,CI "$0" "$@"
fi

package=orra-native-american-astrology
shots=$PWD/${BUILD_DIR:-build}/debian13

source scripts/lib/packages.sh
source scripts/lib/debian13-system.sh
ensure_packages debootstrap git dpkg-dev

step() { printf '== %s (at %ss)\n' "$*" "$SECONDS"; }
fail() { debian13_fail "$@"; }

changes=${1:-}
if [ -z "$changes" ]; then
    source scripts/lib/project.sh
    changes=build-pkg/${package}_$(project_version)_$(dpkg-architecture -qDEB_HOST_ARCH).changes
    if [ ! -f "$changes" ] || [ "$(cat build-pkg/commit 2>/dev/null)" != "$(git rev-parse HEAD)" ]; then
        step "Building the package of HEAD on this system (build-pkg/)"
        DEB_BUILD_OPTIONS=nocheck packaging/build-deb.sh build-pkg
    fi
fi
[ -f "$changes" ] || fail "no package at $changes"
changes=$(realpath "$changes")
results=$(realpath -m "${ORRA_RESULTS:-build/results}")

work=$(mktemp -d)
enter_debian13 "$work" /work
trap 'leave_debian13; rm -rf --one-file-system "$work"' EXIT
step "Entered Debian $(cat "$debian13_root/etc/debian_version")"

git clone --quiet "$PWD" "$work/orra"
echo "Clone of $(git -C "$work/orra" log -1 --format='%h %s')"
mkdir -p "$work/shots" "$shots"

step "Building and starting it there (scripts/run.sh)"
inside env CMAKE_ARGS=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    bash -c 'cd /work/orra && source scripts/lib/packages.sh && ensure_packages ccache
             scripts/run.sh && cp build/main-window.png /work/shots/'

step "Its tests there (scripts/test.sh)"
suite=0
(inside env SKIP_SANITIZED=1 SKIP_WINDOWS=1 SKIP_DEBIAN13=1 CMAKE_ARGS=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    bash -c 'cd /work/orra && scripts/test.sh') &
wait $! || suite=$?
mkdir -p "$results"
for file in "$work"/orra/build/results/*.xml; do
    if [ -e "$file" ]; then cp "$file" "$results/debian13-$(basename "$file")"; fi
done

step "Checking the package built on Debian 12 there: $(basename "$changes")"
# The .changes and the files it lists (with their checksums, which the tools check).
mkdir -p "$work/pkg" "$work/results"
cp "$changes" "$work/pkg/"
sed -n 's/^ [0-9a-f]\{64\} [0-9]* \([^ ]*\)$/\1/p' "$changes" | sort -u | while read -r file; do
    cp "$(dirname "$changes")/$file" "$work/pkg/"
done
checks=0
inside env ORRA_RESULTS=/work/results \
    /work/orra/packaging/check-deb.sh "/work/pkg/$(basename "$changes")" deb-debian13 || checks=$?
mkdir -p "$results"
cp -r "$work"/results/. "$results/"
cp "$work"/results/deb-debian13-screenshots/*.png "$work/shots/" 2>/dev/null || true
[ "$checks" = 0 ] || fail "the package checks failed in Debian 13"

cp "$work"/shots/*.png "$shots/"
step "Done; screenshots in $shots"
[ "$suite" = 0 ]
