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
# build/debian13/. Needs root (or sudo): it mounts and enters a chroot.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env=ORRA_DEBIAN13,BUILD_DIR "$0" "$@"
fi

package=orra-native-american-astrology
cache=${ORRA_DEBIAN13:-${XDG_CACHE_HOME:-$HOME/.cache}/orra-debian13}
root=$(realpath -m "$cache/root")
shots=$PWD/${BUILD_DIR:-build}/debian13

source scripts/lib/packages.sh
ensure_packages debootstrap git dpkg-dev

step() { printf '== %s (at %ss)\n' "$*" "$SECONDS"; }
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Everything mounted at or under a folder, deepest first.
unmount_under() {
    local point
    awk -v dir="$1" '$5 == dir || index($5, dir "/") == 1 { print $5 }' /proc/self/mountinfo \
        | sort -r | while read -r point; do
        umount "$point" 2>/dev/null || umount -l "$point"
    done
}

# The Debian archive this machine's apt uses.
mirror() {
    local uri
    uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
              2>/dev/null | grep -v '^ *#' | grep -o -E 'https?://[^ ]*/debian/?( |$)' | head -n 1 || true)
    echo "${uri:-http://deb.debian.org/debian}"
}

mkdir -p "$cache"
# One run at a time uses the system: another's clean-up would unmount ours.
exec 9>"$cache/lock"
flock 9

work=""
# Processes still running in the system (a test, an X server) end before
# its mounts go.
stop_inside() {
    local proc left signal
    for signal in TERM TERM TERM TERM TERM TERM TERM TERM TERM KILL; do
        left=()
        for proc in /proc/[0-9]*; do
            [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] && left+=("${proc#/proc/}")
        done
        ((${#left[@]})) || return 0
        kill -s "$signal" "${left[@]}" 2>/dev/null || true
        sleep 0.5
    done
}
cleanup() {
    stop_inside
    unmount_under "$cache/new"
    unmount_under "$root"
    [ -z "$work" ] || rm -rf --one-file-system "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM HUP
trap 'exit 130' INT

if [ ! -e "$root/.complete" ]; then
    step "Making a Debian 13 system in $root (once)"
    unmount_under "$cache/new"
    rm -rf --one-file-system "$cache/new" "$root"
    debootstrap --variant=minbase --include=git,ca-certificates trixie "$cache/new" "$(mirror)" \
        >"$cache/debootstrap.log" 2>&1 || {
        tail -n 20 "$cache/debootstrap.log" >&2
        fail "debootstrap failed (log: $cache/debootstrap.log)"
    }
    # Packages installed there start no services.
    printf '#!/bin/sh\nexit 101\n' >"$cache/new/usr/sbin/policy-rc.d"
    chmod +x "$cache/new/usr/sbin/policy-rc.d"
    touch "$cache/new/.complete"
    mv "$cache/new" "$root"
fi

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

step "Entering Debian $(cat "$root/etc/debian_version")"
cleanup # what a killed run may have left
work=$(mktemp -d)
mkdir -p "$root/work"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"
mount --bind /proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --make-rslave "$root/sys"
mount -t tmpfs tmpfs "$root/tmp"
mount --bind "$work" "$root/work"
cp /etc/resolv.conf "$root/etc/resolv.conf"
# A compiler cache kept in the system: the clone is always at /work/orra, so
# the next run's build reuses what did not change.
# In the background, so that an interruption is handled at once.
inside() {
    chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        CCACHE_DIR=/var/cache/orra-ccache CMAKE_ARGS=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache "$@" &
    wait $!
}

git clone --quiet "$PWD" "$work/orra"
echo "Clone of $(git -C "$work/orra" log -1 --format='%h %s')"
mkdir -p "$work/shots" "$shots"

step "Building and starting it there (scripts/run.sh)"
inside bash -c 'cd /work/orra && source scripts/lib/packages.sh && ensure_packages ccache
                scripts/run.sh && cp build/main-window.png /work/shots/'

step "Its tests there (scripts/test.sh)"
log=$work/test.log
suite=0
(inside env SKIP_SANITIZED=1 SKIP_WINDOWS=1 SKIP_DEBIAN13=1 \
    bash -c 'cd /work/orra && scripts/test.sh' | tee "$log") &
wait $! || suite=$?
# CTest's summary: "...tests passed, F tests failed out of N".
counts=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$log" | tail -n 1)
if [ -n "$counts" ]; then
    counts="$((${counts#* } - ${counts% *})) ${counts% *}"
else
    counts="0 1" # the build itself failed
fi

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
echo "debian 13 tests: ${counts% *} passed, ${counts#* } failed"
[ "$suite" = 0 ]
