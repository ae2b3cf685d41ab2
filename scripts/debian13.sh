#!/usr/bin/env bash
# Checks the project on Debian 13 (trixie) from a Debian 12 machine: in a
# Debian 13 system made with debootstrap, builds a clean clone of this
# checkout's HEAD with the README's two commands (scripts/run.sh, then
# scripts/test.sh for the CTest suite), then installs the package built on
# Debian 12 there and starts it (packaging/check-installed.sh).
#
#   scripts/debian13.sh [PACKAGE.deb]
#
# Without a package it builds one into build-pkg/, as packaging/test-deb.sh
# does. The system is made once into ORRA_DEBIAN13 (default
# ~/.cache/orra-debian13) and reused; a half-made one is made again. Its
# packages come from the archive this machine uses. Screenshots go to
# build/debian13/. The suite's JUnit files are copied into ORRA_RESULTS
# (default build/results) as debian13-*.xml. Needs root (or sudo): it mounts
# and enters a chroot.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env=ORRA_DEBIAN13,BUILD_DIR,CI,ORRA_RESULTS "$0" "$@"
fi

package=orra-native-american-astrology
results=${ORRA_RESULTS:-$PWD/build/results}
shots=$PWD/${BUILD_DIR:-build}/debian13

source scripts/lib/packages.sh
source scripts/lib/debian13-system.sh
ensure_packages debootstrap git dpkg-dev

step() { printf '== %s (at %ss)\n' "$*" "$SECONDS"; }
fail() { debian13_fail "$@"; }

deb=${1:-}
if [ -z "$deb" ]; then
    step "Building the package on this system (build-pkg/)"
    BUILD_DIR=build-pkg BUILD_TYPE=Release CMAKE_ARGS="-DBUILD_TESTING=OFF" scripts/setup.sh
    rm -f build-pkg/*.deb
    (cd build-pkg && cpack -G DEB >/dev/null)
    debs=(build-pkg/${package}_*.deb)
    deb=${debs[0]}
fi
[ -f "$deb" ] || fail "no package at $deb"
deb=$(realpath "$deb")

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

step "Installing the package built on Debian 12: $(basename "$deb")"
cp "$deb" "$work/"
inside bash -c '
    set -e
    trap "DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq $1 >/dev/null" EXIT
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "/work/$2" >/dev/null
    dpkg-query -W -f="\${Status} \${Version}\n" $1
    cd /work/orra && packaging/check-installed.sh /work/shots
' _ "$package" "$(basename "$deb")"
inside dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q "install ok installed" \
    && fail "the package is still installed after its removal"

cp "$work"/shots/*.png "$shots/"
step "Done; screenshots in $shots"
[ "$suite" = 0 ]
