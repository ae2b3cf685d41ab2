#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian (an error or a warning
# fails), installs it on this system, checks what it put in place, starts the
# installed program on a private X server (Xvfb), takes a screenshot, opens a
# saved reading as the desktop would, and removes the package again.
# Needs root (or sudo): it really installs and removes the package.
set -euo pipefail
cd "$(dirname "$0")/.."

package=orra-native-american-astrology
appstream_id=example.orra_astro.OrraNativeAmericanAstrology
program=/usr/bin/OrraFreeNativeAmericanAstrology
build=${BUILD_DIR:-build-pkg}
shots=${SCREENSHOT_DIR:-$PWD/$build}

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

tools=(dpkg-dev desktop-file-utils appstream xvfb imagemagick file lintian man-db
       xdg-utils shared-mime-info libglib2.0-bin x11-utils)
source scripts/lib/packages.sh
ensure_packages "${tools[@]}"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

echo "== Building the package in $build"
BUILD_DIR=$build BUILD_TYPE=Release CMAKE_ARGS="-DBUILD_TESTING=OFF ${CMAKE_ARGS:-}" scripts/setup.sh
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/${package}_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no package"
deb=$(realpath "${debs[0]}")
echo "Package: $deb"

echo "== Control fields"
for field in Package Version Section Maintainer Depends; do
    echo "$field: $(dpkg-deb --field "$deb" "$field")"
done
depends=$(dpkg-deb --field "$deb" Depends)
for needed in libqt6widgets6 libqt6svg6 qt6-qpa-plugins fonts-dejavu-core; do
    grep -q "\b$needed\b" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
[ "$(dpkg-deb --field "$deb" Section)" = misc ] || fail "section is not misc"

echo "== lintian"
# Informational tags are listed too; they do not fail the check.
lintian --display-info --fail-on error,warning "$deb" || fail "lintian reports errors or warnings"
echo "lintian: no errors, no warnings."

scratch=$(mktemp -d)
installed=0
cleanup() {
    if [ "$installed" = 1 ]; then
        echo "== Removing the package"
        DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq "$package" >/dev/null || true
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT

echo "== Validating the package's file tree"
dpkg-deb -x "$deb" "$scratch/tree"
# Checks across files too: metainfo named after its id, its desktop file present.
appstreamcli validate-tree --no-net "$scratch/tree" || fail "the file tree does not validate"

echo "== Installing"
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    echo "Note: $package was already installed; it is replaced now and removed at the end."
fi
installed=1
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >/dev/null
dpkg-query -W -f='${Status}\n' "$package" | grep -q "install ok installed" || fail "not installed"

echo "== Checking the installed files"
[ -x "$program" ] || fail "$program missing"
desktop=/usr/share/applications/$package.desktop
metainfo=/usr/share/metainfo/$appstream_id.metainfo.xml
desktop-file-validate "$desktop" || fail "desktop entry does not validate"
appstreamcli validate --no-net "$metainfo" || fail "metainfo does not validate"
grep -q "^Exec=$(basename "$program") %f\$" "$desktop" || fail "desktop entry does not start $(basename "$program") on a file"
doc=/usr/share/doc/$package
grep -q "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" "$doc/copyright" \
    || fail "$doc/copyright is not in the machine-readable format"
zcat "$doc/changelog.gz" | head -n 1 | grep -q "^$package (" || fail "$doc/changelog.gz missing or not a changelog"
man -w "$(basename "$program")" | grep -q "/usr/share/man/man1/$(basename "$program").1.gz" \
    || fail "no manual page for $(basename "$program")"
icons=/usr/share/icons/hicolor
[ -s "$icons/scalable/apps/$package.svg" ] || fail "scalable icon missing"
file -b "$icons/scalable/apps/$package.svg" | grep -qi svg || fail "scalable icon is not SVG"
for size in 16 32 48 64 128 256; do
    icon=$icons/${size}x${size}/apps/$package.png
    [ -s "$icon" ] || fail "$icon missing"
    file -b "$icon" | grep -q "PNG image data, $size x $size" || fail "$icon is not a ${size}px PNG"
done
echo "Desktop entry, metainfo and icons are in place."

packaging/check-installed.sh "$shots"

echo "== Removing the package"
DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq "$package" >/dev/null
installed=0
[ ! -e "$program" ] || fail "$program is still there after removal"
[ ! -e "$desktop" ] || fail "$desktop is still there after removal"
echo "PASS: the package is lintian-clean, installs, starts, opens a saved reading and removes cleanly."
