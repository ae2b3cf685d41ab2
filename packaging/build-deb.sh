#!/usr/bin/env bash
# Builds the Debian package the way Debian builds its own (dpkg-buildpackage),
# from the committed tree (git archive HEAD), never from uncommitted work:
#
#   packaging/build-deb.sh DIR
#
# Unpacks HEAD into DIR/orra-native-american-astrology-VERSION and builds the
# source and binary packages there; dpkg-buildpackage puts its outputs beside
# that folder, in DIR: the .dsc and .tar.xz, the .deb, the -dbgsym .deb, the
# .buildinfo and the .changes. DIR/commit names the commit built. The build's
# time is debian/changelog's (dpkg-buildpackage sets SOURCE_DATE_EPOCH from
# it); umask, TZ, locale and DEB_BUILD_OPTIONS are the caller's. Installs the
# build dependencies (debian/control) when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/project.sh
source scripts/lib/packages.sh

dir=${1:?usage: $0 DIR}
package=$(sed -n 's/^Source: //p' debian/control)
version=$(project_version)
src=$dir/$package-$version

ensure_packages dpkg-dev git
rm -rf --one-file-system "$dir"
mkdir -p "$src"
dir=$(realpath "$dir")
src=$dir/$package-$version
# The files get the time of unpacking, as in a fresh checkout: nothing built may depend on it.
git archive HEAD | tar -x -m -C "$src"
git rev-parse HEAD >"$dir/commit"

if ! (cd "$src" && dpkg-checkbuilddeps 2>/dev/null); then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 build-dep -y -qq "$src" >/dev/null
fi

log=$dir/build.log
echo "Building $package $version from $(git log -1 --format='%h %s' | cut -c1-60) in $src"
if ! (cd "$src" && dpkg-buildpackage -us -uc) >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "FAIL: dpkg-buildpackage failed (log: $log)" >&2
    exit 1
fi
changes=$dir/${package}_${version}_$(dpkg-architecture -qDEB_HOST_ARCH).changes
[ -f "$changes" ] || { echo "FAIL: no $changes" >&2; exit 1; }
echo "Made: $(cd "$dir" && ls -- *.deb *.buildinfo *.changes | tr "\n" " ")"
