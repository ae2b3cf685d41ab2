# shellcheck shell=bash disable=SC2154 # root, qt, app, package and the rest: set by scripts/windows.sh
# Sourced by scripts/windows.sh: the cross-build with Debian 13's mingw-w64
# against $qt (Ninja, Release; the program's own flags are in cmake/Windows.cmake).
#
#   cross_build FOLDER            the program, its tools and the QtTest suite, through ccache
#   cross_build FOLDER program    only the program, without ccache (a second,
#                                 independent build to compare the first with)

cross_build() {
    local dir=$1 only=${2:-} launcher=ccache
    [ -n "$only" ] && launcher=
    step "cross-building into $dir${only:+ (the program only, without the compiler cache)}"
    mkdir -p "$dir"
    # A build folder made against another Qt starts afresh.
    if [ -f "$dir/CMakeCache.txt" ] && ! grep -q "^Qt6_DIR:PATH=$qt/" "$dir/CMakeCache.txt"; then
        find "$dir" -mindepth 1 -maxdepth 1 -exec rm -rf {} +
    fi
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr \
        -DCMAKE_BUILD_TYPE=Release -DORRA_BUILD_BENCH=OFF ${only:+-DBUILD_TESTING=OFF} >/dev/null
    if [ -n "$only" ]; then
        cmake --build "$dir" -j"$(nproc)" --target "$app"
    else
        cmake --build "$dir" -j"$(nproc)"
    fi
}
