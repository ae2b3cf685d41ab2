# shellcheck shell=bash disable=SC2154 # root, qt, app, package and the rest: set by scripts/windows.sh
# Sourced by scripts/windows.sh: Qt for Windows in the cache ($qt), unpacked
# from the prepared archive in ../shared when there is one, else built once
# from Debian 13's patched sources.
#
#   get_qt

prepared=${ORRA_WIN_QT_ARCHIVE:-$root/../shared/windows-qt/qt-$qt_version-mingw64.tar.xz}
toolchain=$root/cmake/mingw-w64-x86_64.cmake

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

get_qt() {
    [ -f "$qt/lib/cmake/Qt6/Qt6Config.cmake" ] && return 0
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
}
