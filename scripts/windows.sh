#!/usr/bin/env bash
# The Windows program, cross-built here: installs what it needs, gets Qt for
# Windows into a cache outside the build folder, cross-builds the program and
# the QtTest suite into build-win/, deploys the program folder, makes the
# installer and the portable .zip, then runs the QtTest suite and an
# end-to-end check of the installed program under Wine.
#
#   scripts/windows.sh             everything
#   scripts/windows.sh build       build, deploy, installer and zip only
#   scripts/windows.sh tests|e2e   build, then only the QtTest suite or only the
#                                  end-to-end check
#   scripts/windows.sh screenshots build, then pictures of every window under
#                                  Wine into docs/screenshots/windows/, at 96 dpi
#                                  (name.png), 144 and 192 dpi (name@144dpi.png)
#
# Ends with "windows tests: N passed, N failed" (each QtTest program and the
# end-to-end check count as one, as CTest counts the Linux suite).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
what=${1:-all}
# Nothing ends silently: a failed step names itself and how to retry.
trap 'echo "windows.sh: failed at line $LINENO: $BASH_COMMAND (retry: scripts/windows.sh $what)" >&2' ERR

# Qt for Windows is Debian 13's Qt 6.8.2, so its host tools (moc, rcc, uic)
# must be Debian 13's own Qt 6.8.2 in /usr: elsewhere the whole build runs in
# the project's Debian 13 system, with this folder and ../shared bound into it.
if ! (. /etc/os-release && [ "$ID" = debian ] && [ "$VERSION_ID" = 13 ]); then
    if [ "$(id -u)" -ne 0 ]; then
        exec sudo --preserve-env=ORRA_DEBIAN13,WIN_BUILD_DIR,CI "$0" "$@"
    fi
    source scripts/lib/packages.sh
    source scripts/lib/debian13-system.sh
    binds=("$root" /work/orra)
    [ -d "$root/../shared" ] && binds+=("$(realpath "$root/../shared")" /work/shared)
    enter_debian13 "${binds[@]}"
    echo "== the Windows build runs in Debian $(cat "$debian13_root/etc/debian_version") ($debian13_root)"
    rc=0
    inside env WIN_BUILD_DIR="${WIN_BUILD_DIR:-}" bash /work/orra/scripts/windows.sh "$@" || rc=$?
    # What was made in the tree belongs to whoever called sudo.
    [ -z "${SUDO_UID:-}" ] || chown -R "$SUDO_UID:$SUDO_GID" "${WIN_BUILD_DIR:-build-win}" docs/screenshots/windows
    exit "$rc"
fi

build=${WIN_BUILD_DIR:-build-win}
mkdir -p "$build"
build=$(cd "$build" && pwd)
cache=${ORRA_WIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/orra-windows}
qt_version=6.8.2
qt=$cache/qt-$qt_version-mingw64
prepared=${ORRA_WIN_QT_ARCHIVE:-$root/../shared/windows-qt/qt-$qt_version-mingw64.tar.xz}
toolchain=$root/cmake/mingw-w64-x86_64.cmake
source scripts/lib/project.sh
version=$(project_version)
app=OrraFreeNativeAmericanAstrology
package=OrraNativeAmericanAstrology-$version

packages=(g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64 cmake
          ninja-build ccache qt6-base-dev qt6-base-dev-tools qt6-svg-dev wine64 nsis icoutils librsvg2-bin
          zip unzip xz-utils xvfb xauth x11-utils xdotool imagemagick fonts-dejavu-core)
source scripts/lib/packages.sh
ensure_packages "${packages[@]}"

step() { printf '== %s\n' "$*"; }
seconds() { date +%s; }
t0=$(seconds)

# --- Qt for Windows ---------------------------------------------------------

qt_fail() { # what failed: says so and how to retry, then ends the run
    echo "FAIL: Qt for Windows: $*. Retry with: scripts/windows.sh $what" >&2
    exit 1
}

# Runs a long command with its output in a log and says once a minute how far
# it is; on failure shows the log's end and names the step.
run_logged() { # what, log, command...
    local doing=$1 log=$2 rc=0 ticker
    shift 2
    (
        while sleep 60; do
            printf '   ... %s, %d min so far %s\n' "$doing" $((($(seconds) - t0) / 60)) \
                "$(grep -o '^\[[0-9]*/[0-9]*\]' "$log" 2>/dev/null | tail -n 1 || true)"
        done
    ) &
    ticker=$!
    "$@" >"$log" 2>&1 || rc=$?
    kill "$ticker" 2>/dev/null || true
    wait "$ticker" 2>/dev/null || true
    if [ "$rc" != 0 ]; then
        tail -n 30 "$log" >&2
        qt_fail "$doing failed (exit $rc; log: $log)"
    fi
}

# Qt from Debian 13's patched sources (those Debian builds its own Qt 6.8.2
# from), so host tools and target libraries are one version with the same fixes.
build_qt_from_source() {
    local work=$cache/source
    step "Qt $qt_version for Windows: building it from Debian's patched sources (once; about an hour on 2 cores)"
    ensure_packages dpkg-dev xz-utils debian-archive-keyring
    rm -rf "$work" "$qt.partial"
    mkdir -p "$work/lists/partial" "$work/archives/partial"
    # deb-src entries of this system's own archive, in a list of our own with
    # package lists of our own: the system's lists stay as they are.
    local mirror suite
    mirror=$(source scripts/lib/debian13-system.sh && debian_mirror)
    suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
    printf '%s\n' "Types: deb-src" "URIs: $mirror" "Suites: $suite $suite-updates" \
        "Components: main" "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" "" \
        "Types: deb-src" "URIs: ${mirror%/debian*}/debian-security" "Suites: $suite-security" \
        "Components: main" "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" \
        >"$work/debian.sources"
    local apt_opts=(-o Dir::Etc::sourcelist=/dev/null -o Dir::Etc::sourceparts="$work"
                    -o Dir::State::Lists="$work/lists" -o Dir::Cache::archives="$work/archives"
                    -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=)
    step "Qt for Windows: fetching Debian's qt6-base source from $mirror"
    run_logged "fetching the qt6-base source" "$work/fetch.log" bash -c \
        'apt-get "${@:2}" update && cd "$1" && apt-get "${@:2}" source --download-only qt6-base' \
        _ "$work" "${apt_opts[@]}"
    local dsc
    dsc=$(find "$work" -maxdepth 1 -name "qt6-base_$qt_version*.dsc" | sort -V | tail -n 1)
    [ -n "$dsc" ] || qt_fail "Debian $suite serves no qt6-base $qt_version source (log: $work/fetch.log)"
    step "Qt for Windows: unpacking $(basename "$dsc") with Debian's patches"
    run_logged "unpacking the qt6-base source" "$work/unpack.log" \
        dpkg-source --no-check -x "$dsc" "$work/qtbase"
    # Debian's qt6-svg source may not be served: then the copy in ../shared/third_party.
    local svg=$root/../shared/third_party/qtsvg-everywhere-src-6.8.0.tar.xz
    if (cd "$work" && apt-get "${apt_opts[@]}" source --download-only qt6-svg) >"$work/svg.log" 2>&1 \
        && dsc=$(find "$work" -maxdepth 1 -name "qt6-svg_*.dsc" | sort -V | tail -n 1) \
        && [ -n "$dsc" ]; then
        step "Qt for Windows: unpacking $(basename "$dsc") with Debian's patches"
        run_logged "unpacking the qt6-svg source" "$work/unpack-svg.log" \
            dpkg-source --no-check -x "$dsc" "$work/qtsvg"
    elif [ -f "$svg" ]; then
        step "Qt for Windows: Debian's qt6-svg source is not served here; using $svg"
        mkdir -p "$work/qtsvg"
        tar -xf "$svg" -C "$work/qtsvg" --strip-components=1
    else
        qt_fail "neither Debian's qt6-svg source (log: $work/svg.log) nor $svg is to be had; put the latter there"
    fi

    # tabletevent: Debian's source drops src/3rdparty/wintab. dynamicgl: with
    # OpenGL off, nothing should load it at run time.
    step "Qt for Windows: configuring qtbase"
    run_logged "configuring qtbase" "$work/configure-qtbase.log" \
        cmake -S "$work/qtbase" -B "$work/build-qtbase" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$qt.partial" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_QMAKE_TARGET_MKSPEC=win32-g++ -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF \
        -DFEATURE_tabletevent=OFF -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF \
        -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_testlib=ON -DFEATURE_printsupport=ON
    grep -i -A1 'styles' "$work/build-qtbase/config.summary" 2>/dev/null | head -n 4 || true
    step "Qt for Windows: building qtbase (the long step: about 50 minutes on 2 cores)"
    run_logged "building qtbase" "$work/build-qtbase.log" cmake --build "$work/build-qtbase" -j"$(nproc)"
    run_logged "installing qtbase" "$work/install-qtbase.log" cmake --install "$work/build-qtbase" --strip
    step "Qt for Windows: building qtsvg (a few minutes)"
    run_logged "configuring qtsvg" "$work/configure-qtsvg.log" \
        "$qt.partial/bin/qt-cmake" -S "$work/qtsvg" -B "$work/build-qtsvg" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    run_logged "building qtsvg" "$work/build-qtsvg.log" cmake --build "$work/build-qtsvg" -j"$(nproc)"
    run_logged "installing qtsvg" "$work/install-qtsvg.log" cmake --install "$work/build-qtsvg" --strip
    mv "$qt.partial" "$qt" # only a finished Qt counts as the cache
    rm -rf "$work"
    step "Qt $qt_version for Windows built in $((($(seconds) - t0) / 60)) minutes; kept in $qt"
}

if [ ! -f "$qt/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    mkdir -p "$cache"
    if [ -f "$prepared" ]; then
        step "Qt $qt_version for Windows: unpacking $prepared (once)"
        rm -rf "$qt.partial"
        mkdir -p "$qt.partial"
        tar -xJf "$prepared" -C "$qt.partial" --strip-components=1
        mv "$qt.partial" "$qt"
    else
        build_qt_from_source
    fi
fi
t_qt=$(seconds)

# --- Build ------------------------------------------------------------------

step "cross-building into $build"
# A build folder made against another Qt starts afresh.
if [ -f "$build/CMakeCache.txt" ] && ! grep -q "^Qt6_DIR:PATH=$qt/" "$build/CMakeCache.txt"; then
    find "$build" -mindepth 1 -maxdepth 1 -exec rm -rf {} +
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr -DCMAKE_BUILD_TYPE=Release \
    -DORRA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
t_build=$(seconds)

# --- Deploy: exactly what the program loads ---------------------------------

# The runtime of the compiler that built the program.
mingw_dirs=("$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")" /usr/x86_64-w64-mingw32/lib)
dll_dirs=("$qt/bin" "${mingw_dirs[@]}")

# The DLLs a program or DLL imports that come from Qt or the mingw runtime,
# and theirs in turn; Windows' own DLLs are not found in those folders.
imported_dlls() {
    local -A seen=()
    local queue=("$@") file name dir
    while ((${#queue[@]})); do
        file=${queue[0]}
        queue=("${queue[@]:1}")
        while read -r name; do
            [ -n "${seen[$name]:-}" ] && continue
            for dir in "${dll_dirs[@]}"; do
                if [ -f "$dir/$name" ]; then
                    seen[$name]=$dir/$name
                    queue+=("$dir/$name")
                    break
                fi
            done
        done < <(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p')
    done
    printf '%s\n' "${seen[@]}" | sort
}

deploy() { # folder, program, plugins...
    local folder=$1 exe=$2 plugin
    shift 2
    rm -rf "$folder"
    mkdir -p "$folder"
    cp "$exe" "$folder/"
    for plugin in "$@"; do
        mkdir -p "$folder/$(dirname "$plugin")"
        cp "$qt/plugins/$plugin" "$folder/$plugin"
    done
    local binaries=("$exe")
    for plugin in "$@"; do binaries+=("$qt/plugins/$plugin"); done
    imported_dlls "${binaries[@]}" | xargs -r cp -t "$folder/"
    x86_64-w64-mingw32-strip --strip-unneeded "$folder"/*.dll "$folder"/*.exe 2>/dev/null || true
}

dist=$build/dist
folder=$dist/$package
step "deploying into $folder"
deploy "$folder" "$build/src/$app.exe" platforms/qwindows.dll styles/qmodernwindowsstyle.dll
(cd "$dist" && rm -f "$package-portable.zip" && zip -qr "$package-portable.zip" "$package")
step "installer"
# The installer's file list, so that the uninstaller removes exactly these.
{
    echo '!macro InstallFiles'
    (cd "$folder" && find . -type d | sort | sed 's|^\./\?||') | while read -r dir; do
        echo "    SetOutPath \"\$INSTDIR${dir:+\\${dir//\//\\}}\""
        find "$folder/$dir" -maxdepth 1 -type f | sort | sed 's/.*/    File "&"/'
    done
    echo '    SetOutPath "$INSTDIR"'
    echo '!macroend'
    echo '!macro UninstallFiles'
    (cd "$folder" && find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|    Delete /REBOOTOK "$INSTDIR\\&"|')
    (cd "$folder" && find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|    RMDir "$INSTDIR\\&"|')
    echo '!macroend'
} >"$dist/files.nsh"
makensis -V2 -DVERSION="$version" -DSOURCE_DIR="$folder" -DFILE_LIST="$dist/files.nsh" \
    -DOUT_FILE="$dist/$package-setup.exe" \
    -DICON_FILE="$(sed -n 's/^IDI_ICON1 ICON "\(.*\)"$/\1/p' "$build/src/orra.rc")" \
    packaging/windows/installer.nsi
ls -l "$dist/$package-setup.exe" "$dist/$package-portable.zip"
t_package=$(seconds)

[ "$what" = build ] && exit 0

# --- Wine -------------------------------------------------------------------

# A private X server for the whole run, and a fresh Wine prefix per use.
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    [ -n "${WINEPREFIX:-}" ] && WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$display_file" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$display_file")
rm -f "$display_file"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko prompts

new_prefix() { # folder: an empty Wine prefix, its wineserver running
    [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
    export WINEPREFIX=$1
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
}

passed=0
failed=0
failed_names=()
count() { # name, ok?
    if [ "$2" = 0 ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        failed_names+=("$1")
    fi
}

if [ "$what" = screenshots ]; then
    new_prefix "$build/wine-shots"
    shots=$build/shots
    deploy "$shots" "$build/tools/screenshots/orra_screenshots.exe" platforms/qwindows.dll \
        styles/qmodernwindowsstyle.dll
    out=$root/docs/screenshots/windows
    rm -rf "$shots/out"
    mkdir -p "$shots/out" "$out"
    # The desktop's scale as Windows users set it (100 %, 150 %, 200 %).
    for dpi in 96 144 192; do
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null
        wineserver -w
        suffix=@${dpi}dpi
        [ $dpi = 96 ] && suffix=
        (cd "$shots" && timeout 600 wine orra_screenshots.exe out "$suffix")
    done
    cp "$shots"/out/*.png "$out/"
    echo "Screenshots saved in $out"
    exit 0
fi

if [ "$what" = all ] || [ "$what" = tests ]; then
    # The QtTest suite where it was built (tst_startfaults starts startrunner.exe
    # from there), with the DLLs and plugins the programs load beside them.
    step "QtTest suite under Wine"
    new_prefix "$build/wine-tests"
    # Wine hands no QT_* variable on to a Windows program: they go into the
    # prefix's environment (not every test program takes -platform). The
    # windows platform, on the X server: on Windows the offscreen platform
    # sees none of the system's fonts, so the layout tests would measure a
    # fallback font no user gets.
    wine reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /d windows /f >/dev/null
    wine reg add 'HKCU\Environment' /v QT_LOGGING_RULES /d 'qt.qpa.*=false' /f >/dev/null
    wineserver -w
    suite=$build/tests
    tests=()
    while read -r exe; do tests+=("$exe"); done < <(find "$suite" -maxdepth 1 -name 'tst_*.exe' | sort)
    for plugin in platforms/qoffscreen.dll platforms/qwindows.dll styles/qmodernwindowsstyle.dll; do
        mkdir -p "$suite/$(dirname "$plugin")"
        cp "$qt/plugins/$plugin" "$suite/$plugin"
    done
    imported_dlls "${tests[@]}" "$suite/startrunner.exe" "$suite"/*/*.dll | xargs -r cp -t "$suite/"
    run_test() { # name, program: one QtTest program, counted under name
        local name=$1 rc=0 totals
        # Standard output does not reach a pipe under Wine: the results go to a file.
        rm -f "$suite/$name.txt"
        (cd "$suite" && timeout 300 wine "$2" -o "$name.txt,txt" >"$name.log" 2>&1) || rc=$?
        totals=$(grep -h '^Totals:' "$suite/$name.txt" 2>/dev/null || true)
        if [ "$rc" = 0 ] && [ -n "$totals" ]; then
            printf '  %-22s passed  %s\n' "$name" "$totals"
            count "$name" 0
        else
            printf '  %-22s FAILED  (exit %s) %s\n' "$name" "$rc" "${totals:-no totals}"
            grep -h -E '^(FAIL!|   Loc:)' "$suite/$name.txt" 2>/dev/null | head -n 20 || true
            count "$name" 1
        fi
    }
    for exe in "${tests[@]}"; do
        run_test "$(basename "$exe" .exe)" "$(basename "$exe")"
    done
    # Texts must fit at 150 % and 200 % too, where Qt scales every window.
    for dpi in 144 192; do
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null
        wineserver -w
        run_test "tst_layout@${dpi}dpi" tst_layout.exe
    done
    # Windows 11 gets Qt's Windows 11 style (Windows 10 the WindowsVista one).
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null
    wine reg add 'HKCU\Software\Wine' /v Version /d win11 /f >/dev/null
    wineserver -w
    run_test "tst_layout@win11" tst_layout.exe
fi
t_tests=$(seconds)

# The installed program, end to end.
if [ "$what" = all ] || [ "$what" = e2e ]; then
    step "installed program under Wine"
    rc=0
    bash packaging/windows/test-installed.sh "$dist/$package-setup.exe" "$build/wine-e2e" || rc=$?
    count "installed program" "$rc"
    step "starting the installed program from the shell and the console under Wine"
    rc=0
    bash packaging/windows/test-startup.sh "$dist/$package-setup.exe" "$build/wine-startup" || rc=$?
    count "shell and console" "$rc"
fi
t_e2e=$(seconds)

wineserver -k 2>/dev/null || true
echo "Windows times: Qt $((t_qt - t0)) s, build $((t_build - t_qt)) s," \
    "package $((t_package - t_build)) s, QtTest suite $((t_tests - t_package)) s," \
    "end to end $((t_e2e - t_tests)) s"
((failed)) && echo "failed under Wine: ${failed_names[*]}"
echo "windows tests: $passed passed, $failed failed"
[ "$failed" = 0 ]
