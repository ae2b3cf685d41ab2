#!/usr/bin/env bash
# The Windows program, cross-built here: installs what it needs, gets Qt for
# Windows into a cache outside the build folder, cross-builds the program and
# the QtTest suite into build-win/, deploys the program folder, makes the
# installer and the portable .zip, then runs the checks and the suites.
#
#   scripts/windows.sh             everything: build, the hardening,
#                                  reproducibility and signing checks, the
#                                  QtTest suite and the installed program
#   scripts/windows.sh build       build, deploy, installer and zip only
#   scripts/windows.sh tests|e2e   build, then only the QtTest suite or only the
#                                  end-to-end checks
#   scripts/windows.sh screenshots build, then pictures of every window under
#                                  Wine into docs/screenshots/windows/, at 96 dpi
#                                  (name.png), 144 and 192 dpi (name@144dpi.png)
#
# ORRA_SIGN_CERT and ORRA_SIGN_KEY (PEM files), with ORRA_SIGN_TIMESTAMP_URL
# if wanted, sign the program, the uninstaller and the installer.
# Each step is a file of scripts/windows/. Ends with "windows tests: N passed,
# N failed" (each QtTest program and each shell check count as one).
set -Eeuo pipefail # -E: the ERR trap names a failure inside a step's function too
cd "$(dirname "$0")/.."
root=$PWD
what=${1:-all}
usage="usage: scripts/windows.sh [all|build|tests|e2e|screenshots]"
case $what in
    all | build | tests | e2e | screenshots) ;;
    *)
        echo "$usage" >&2
        exit 2
        ;;
esac
# Nothing ends silently: a failed step names itself and how to retry.
trap 'echo "windows.sh: failed at line $LINENO: $BASH_COMMAND (retry: scripts/windows.sh $what)" >&2' ERR

# Qt for Windows is Debian 13's Qt 6.8.2, so its host tools (moc, rcc, uic)
# must be Debian 13's own Qt 6.8.2 in /usr: elsewhere the whole build runs in
# the project's Debian 13 system, with this folder, ../shared, the results
# folder and the signing files bound into it.
if ! (. /etc/os-release && [ "$ID" = debian ] && [ "$VERSION_ID" = 13 ]); then
    if [ "$(id -u)" -ne 0 ]; then
        exec sudo --preserve-env=ORRA_DEBIAN13,WIN_BUILD_DIR,ORRA_WIN_CACHE,ORRA_WIN_QT_ARCHIVE,CI,ORRA_RESULTS,ORRA_SIGN_CERT,ORRA_SIGN_KEY,ORRA_SIGN_TIMESTAMP_URL \
            "$0" "$@"
    fi
    source scripts/lib/packages.sh
    source scripts/lib/debian13-system.sh
    results=$(realpath -m "${ORRA_RESULTS:-build/results}")
    mkdir -p "$results"
    binds=("$root" /work/orra "$results" /work/results)
    [ -d "$root/../shared" ] && binds+=("$(realpath "$root/../shared")" /work/shared)
    pass=(WIN_BUILD_DIR="${WIN_BUILD_DIR:-}" ORRA_WIN_CACHE="${ORRA_WIN_CACHE:-}"
          ORRA_WIN_QT_ARCHIVE="${ORRA_WIN_QT_ARCHIVE:-}" ORRA_RESULTS=/work/results
          ORRA_SIGN_TIMESTAMP_URL="${ORRA_SIGN_TIMESTAMP_URL:-}")
    if [ -n "${ORRA_SIGN_CERT:-}" ] || [ -n "${ORRA_SIGN_KEY:-}" ]; then
        for f in "${ORRA_SIGN_CERT:-}" "${ORRA_SIGN_KEY:-}"; do
            [ -f "$f" ] || { echo "windows.sh: no signing file at '$f' (ORRA_SIGN_CERT, ORRA_SIGN_KEY)" >&2; exit 2; }
        done
        binds+=("$(realpath "$ORRA_SIGN_CERT")" /work/sign/cert.pem "$(realpath "$ORRA_SIGN_KEY")" /work/sign/key.pem)
        pass+=(ORRA_SIGN_CERT=/work/sign/cert.pem ORRA_SIGN_KEY=/work/sign/key.pem)
    fi
    enter_debian13 "${binds[@]}"
    echo "== the Windows build runs in Debian $(cat "$debian13_root/etc/debian_version") ($debian13_root)"
    rc=0
    inside env "${pass[@]}" bash /work/orra/scripts/windows.sh "$@" || rc=$?
    # What was made in the tree belongs to whoever called sudo.
    [ -z "${SUDO_UID:-}" ] || chown -R "$SUDO_UID:$SUDO_GID" "${WIN_BUILD_DIR:-build-win}"* docs/screenshots/windows "$results"
    exit "$rc"
fi

# The same bytes from the same source, whoever builds and whenever.
umask 022
export TZ=UTC LC_ALL=C.UTF-8
source scripts/lib/project.sh
SOURCE_DATE_EPOCH=$(project_epoch)
export SOURCE_DATE_EPOCH
export ORRA_RESULTS=${ORRA_RESULTS:-$root/build/results}

build=${WIN_BUILD_DIR:-build-win}
mkdir -p "$build"
build=$(cd "$build" && pwd)
cache=${ORRA_WIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/orra-windows}
qt_version=6.8.2
qt=$cache/qt-$qt_version-mingw64
version=$(project_version)
app=OrraFreeNativeAmericanAstrology
package=OrraNativeAmericanAstrology-$version

packages=(g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64 cmake
          ninja-build ccache qt6-base-dev qt6-base-dev-tools qt6-svg-dev wine64 nsis icoutils librsvg2-bin
          zip unzip xz-utils xvfb xauth x11-utils xdotool imagemagick fonts-dejavu-core
          osslsigncode openssl python3 diffoscope-minimal)
source scripts/lib/packages.sh
ensure_packages "${packages[@]}"
# Everything but a plain build uses Wine: the whole run gets one X server.
if [ "$what" != build ] && [ -z "${ORRA_WIN_DISPLAY:-}" ]; then
    ORRA_WIN_DISPLAY=1 exec scripts/lib/xvfb-run.sh -s "-screen 0 1280x1024x24 -dpi 96" bash "$0" "$@"
fi

step() { printf '== %s\n' "$*"; }
seconds() { date +%s; }
t0=$(seconds)

source scripts/lib/junit.sh
passed=0
failed=0
failed_names=()
count() { # name, status, [JUnit file]: one of the closing line's counts
    if [ "$2" = 0 ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        failed_names+=("$1")
    fi
    if [ -n "${3:-}" ]; then
        junit_case "$1" "$2"
        junit_write "$3"
    fi
}

source scripts/windows/qt.sh
source scripts/windows/build.sh
source scripts/windows/package.sh
source scripts/windows/checks.sh
source scripts/windows/suites.sh

get_qt
t_qt=$(seconds)
cross_build "$build"
t_build=$(seconds)
package "$build"
t_package=$(seconds)
case $what in
    build) exit 0 ;;
    screenshots)
        screenshots
        exit 0
        ;;
    all)
        check_hardening "$build/dist"
        check_reproducible "$build" "$t_package"
        check_signing "$build"
        ;;
esac
t_checks=$(seconds)
case $what in all | tests) qttest_suite ;; esac
t_tests=$(seconds)
case $what in all | e2e) installed_suites "$(signed_setup_or "$build")" ;; esac
t_e2e=$(seconds)

echo "Windows times: Qt $((t_qt - t0)) s, build $((t_build - t_qt)) s," \
    "package $((t_package - t_build)) s, checks $((t_checks - t_package)) s," \
    "QtTest suite $((t_tests - t_checks)) s, end to end $((t_e2e - t_tests)) s"
((failed)) && echo "failed under Wine: ${failed_names[*]}"
echo "windows tests: $passed passed, $failed failed"
[ "$failed" = 0 ]
