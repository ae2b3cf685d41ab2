#!/usr/bin/env bash
# The release folder, build-release/: what a user downloads and what checks
# it (docs/release.md).
#
#   scripts/release.sh         the setup and the portable zip that
#                              scripts/windows.sh built, the Debian package,
#                              SHA256SUMS over them and, given a key, its
#                              detached OpenPGP signature SHA256SUMS.asc
#   scripts/release.sh check   the same into a scratch folder with a throwaway
#                              key, then what a user runs: sha256sum -c and
#                              gpg --verify, on the folder as made and on one
#                              with a file changed
#
# ORRA_RELEASE_DEB names the Debian package (default
# build-pkg/orra-native-american-astrology_<version>_amd64.deb, which
# dpkg-buildpackage makes); without one the release says so and goes without.
# ORRA_RELEASE_GPG_KEY names the signing key in the caller's keyring.
# WIN_BUILD_DIR is scripts/windows.sh's build folder (build-win).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/project.sh
source scripts/lib/packages.sh
what=${1:-release}
case $what in
    release | check) ;;
    *)
        echo "usage: scripts/release.sh [check]" >&2
        exit 2
        ;;
esac
version=$(project_version)
dist=${WIN_BUILD_DIR:-build-win}/dist
package=OrraNativeAmericanAstrology-$version
deb=${ORRA_RELEASE_DEB:-build-pkg/orra-native-american-astrology_${version}_amd64.deb}
fail() {
    echo "FAIL: release: $*" >&2
    exit 1
}

make_release() { # folder
    local out=$1 f
    rm -rf "$out"
    mkdir -p "$out"
    for f in "$dist/$package-setup.exe" "$dist/$package-portable.zip"; do
        [ -f "$f" ] || fail "no $f: build it first with scripts/windows.sh build"
        cp "$f" "$out/"
    done
    if [ -f "$deb" ]; then
        cp "$deb" "$out/"
    else
        echo "release: no Debian package at $deb (ORRA_RELEASE_DEB): the release goes without one"
    fi
    # The names first: SHA256SUMS, once opened for writing, would list itself.
    local names=()
    mapfile -t names < <(cd "$out" && find . -maxdepth 1 -type f -printf '%f\n' | LC_ALL=C sort)
    (cd "$out" && sha256sum -- "${names[@]}" >SHA256SUMS)
    if [ -n "${ORRA_RELEASE_GPG_KEY:-}" ]; then
        gpg --batch --yes --local-user "$ORRA_RELEASE_GPG_KEY" --armor --detach-sign \
            --output "$out/SHA256SUMS.asc" "$out/SHA256SUMS" || fail "signing SHA256SUMS with $ORRA_RELEASE_GPG_KEY"
    else
        echo "release: SHA256SUMS unsigned: no ORRA_RELEASE_GPG_KEY given"
    fi
}

if [ "$what" = release ]; then
    make_release build-release
    echo "release in build-release/:"
    (cd build-release && ls -l)
    exit 0
fi

# --- check ------------------------------------------------------------------

ensure_packages gnupg dpkg-dev
source scripts/lib/junit.sh
export ORRA_RESULTS=${ORRA_RESULTS:-build/results}
scratch=$(mktemp -d)
trap 'gpgconf --kill all 2>/dev/null || true; rm -rf "$scratch"' EXIT
export GNUPGHOME=$scratch/gnupg
mkdir -m 700 "$GNUPGHOME"
gpg --batch --quiet --passphrase '' --quick-gen-key 'Orra release check <check@invalid>' ed25519 sign 1d
export ORRA_RELEASE_GPG_KEY=check@invalid
if [ ! -f "$deb" ]; then
    # A small package of our own stands in: the path is what is under test.
    mkdir -p "$scratch/deb/DEBIAN"
    printf '%s\n' "Package: orra-release-check" "Version: $version" "Architecture: all" \
        "Maintainer: Orra Software <check@invalid>" "Description: stand-in for the release check" \
        >"$scratch/deb/DEBIAN/control"
    deb=$scratch/orra-release-check_${version}_all.deb
    dpkg-deb --root-owner-group --build "$scratch/deb" "$deb" >/dev/null
    echo "release check: no Debian package built here; a stand-in takes its place"
fi
out=$scratch/release
make_release "$out" >/dev/null
failed=0
case_of() { # name, expected status (0 or 1), command...
    local name=$1 want=$2 rc=0
    shift 2
    (cd "$out" && "$@") >/dev/null 2>&1 || rc=1
    if [ "$rc" = "$want" ]; then
        echo "  ok    $name"
        junit_case "$name" 0
    else
        echo "  FAIL  $name"
        junit_case "$name" 1
        failed=$((failed + 1))
    fi
}
listed=$(awk '{ print $2 }' "$out/SHA256SUMS" | paste -sd ' ')
case_of "SHA256SUMS lists the setup, the zip and the package ($listed)" 0 \
    test "$(wc -l <"$out/SHA256SUMS")" = 3
case_of "sha256sum -c passes" 0 sha256sum --strict -c SHA256SUMS
case_of "its signature verifies" 0 gpg --batch --verify SHA256SUMS.asc SHA256SUMS
printf 'x' >>"$out/$package-portable.zip"
case_of "sha256sum -c fails for a changed download" 1 sha256sum --strict -c SHA256SUMS
sed -i '1{s/^0/1/;t;s/^./0/}' "$out/SHA256SUMS"
case_of "the signature fails for a changed SHA256SUMS" 1 gpg --batch --verify SHA256SUMS.asc SHA256SUMS
junit_write release-checksums
[ "$failed" = 0 ] || fail "$failed checks failed"
echo "release check: all checks passed"
