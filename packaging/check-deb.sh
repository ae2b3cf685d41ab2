#!/usr/bin/env bash
# Checks a built Debian package as Debian's tools would, on this system:
#
#   packaging/check-deb.sh CHANGES SUITE
#
#   lintian     lintian --pedantic on the .changes (source, .deb, -dbgsym,
#               .buildinfo): any tag not overridden in debian/ fails
#   control-fields  the run-time Depends that no library scan finds, the section
#   validators  the desktop entry (desktop-file-validate) and the metainfo
#               (appstreamcli validate --pedantic --no-net) in the .deb: any
#               error or warning fails
#   autopkgtest autopkgtest CHANGES -- null: installs the package and its
#               test's dependencies, runs debian/tests/control, and the
#               package is removed again (the test's dependencies stay)
#
# Writes the cases into $ORRA_RESULTS/SUITE.xml and the screenshots of the
# installed program into $ORRA_RESULTS/SUITE-screenshots/. Needs root (or
# sudo): the autopkgtest installs the package.
set -euo pipefail
cd "$(dirname "$0")/.."
changes=$(realpath "${1:?usage: $0 CHANGES SUITE}")
suite=${2:?usage: $0 CHANGES SUITE}
if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env=ORRA_RESULTS "$0" "$changes" "$suite"
fi

source scripts/lib/packages.sh
source scripts/lib/junit.sh
ensure_packages dpkg-dev lintian autopkgtest desktop-file-utils appstream

package=$(sed -n 's/^Source: //p' "$changes")
deb=$(dirname "$changes")/$(sed -n "s/^ [0-9a-f]\{64\} [0-9]* \(${package}_[^ ]*\.deb\)\$/\1/p" "$changes" | head -n 1)
[ -f "$deb" ] || { echo "FAIL: $changes names no .deb of $package" >&2; exit 1; }
results=${ORRA_RESULTS:-build/results}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

run_lintian() {
    # Overridden tags are listed (O:), not counted. The override of the
    # Standards-Version that only Debian 13's lintian finds old is unused on
    # Debian 12, which lintian reports and lets nobody override: that one
    # report is let through, any other tag fails.
    local report status=0
    report=$(lintian --pedantic --display-info --show-overrides "$changes" 2>&1) || status=$?
    echo "$report"
    [ "$status" = 0 ] || return "$status"
    ! grep -E '^[EWIPX]: ' <<<"$report" | grep -v -q -E '^I: [^ ]+ source: unused-override out-of-date-standards-version '
}

# What no tool checks: the dependencies loaded at run time, where
# dpkg-shlibdeps does not look, and the section.
run_control() {
    local depends needed status=0
    depends=$(dpkg-deb --field "$deb" Depends) || return 1
    echo "Depends: $depends"
    for needed in libqt6widgets6 libqt6svg6 qt6-qpa-plugins fonts-dejavu-core; do
        grep -q "\b$needed\b" <<<"$depends" || { echo "Depends lacks $needed"; status=1; }
    done
    [ "$(dpkg-deb --field "$deb" Section)" = misc ] || { echo "the section is not misc"; status=1; }
    return $status
}

run_validators() {
    local status=0
    dpkg-deb -x "$deb" "$scratch/tree" || return 1
    desktop-file-validate "$scratch"/tree/usr/share/applications/*.desktop || status=1
    # Exits non-zero on an error or a warning; pedantic notes are listed too.
    appstreamcli validate --pedantic --no-net "$scratch"/tree/usr/share/metainfo/*.metainfo.xml || status=1
    # Across files: the metainfo's launchable names a desktop entry that is there.
    appstreamcli validate-tree --pedantic --no-net "$scratch/tree" || status=1
    return $status
}

run_autopkgtest() {
    local status=0 out=$scratch/autopkgtest
    if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        echo "Note: $package was installed before; the test replaces it and it is removed after."
    fi
    autopkgtest --output-dir "$out" "$changes" -- null || status=$?
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq "$package" >/dev/null 2>&1 || true
    if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        echo "FAIL: $package is still installed after the test"
        status=1
    fi
    mkdir -p "$results/$suite-screenshots"
    cp "$out"/artifacts/*.png "$results/$suite-screenshots/" 2>/dev/null || true
    return $status
}

junit_run lintian run_lintian
junit_run control-fields run_control
junit_run validators run_validators
junit_run autopkgtest run_autopkgtest
junit_write "$suite"
[ "$junit_last_failed" = 0 ]
