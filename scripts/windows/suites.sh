# shellcheck shell=bash disable=SC2154 # root, qt, app, package and the rest: set by scripts/windows.sh
# Sourced by scripts/windows.sh: what runs under Wine, on the X server that
# scripts/lib/xvfb-run.sh gave the run (DISPLAY), each in a fresh prefix.
#
#   qttest_suite              the QtTest programs where they were built
#   installed_suites SETUP    the installer's life cycle, the installed program
#                             end to end, from the shell and the console
#   screenshots               every window at 96, 144 and 192 dpi

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko prompts
trap '[ -z "${WINEPREFIX:-}" ] || wineserver -k 2>/dev/null || true' EXIT

new_prefix() { # folder: an empty Wine prefix, its wineserver running
    [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
    export WINEPREFIX=$1
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
}

screenshots() {
    new_prefix "$build/wine-shots"
    local shots=$build/shots out=$root/docs/screenshots/windows dpi suffix
    deploy "$shots" "$build/tools/screenshots/orra_screenshots.exe" "${plugins[@]}"
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
}

# One QtTest program under Wine, counted under a name, its JUnit file kept.
run_test() { # name, program
    local name=$1 rc=0 totals
    # Standard output does not reach a pipe under Wine: the results go to files.
    rm -f "$suite/$name.txt" "$suite/$name.xml"
    (cd "$suite" && timeout 300 wine "$2" -o "$name.txt,txt" -o "$name.xml,junitxml" >"$name.log" 2>&1) || rc=$?
    totals=$(grep -h '^Totals:' "$suite/$name.txt" 2>/dev/null || true)
    if [ "$rc" = 0 ] && [ -n "$totals" ]; then
        printf '  %-22s passed  %s\n' "$name" "$totals"
    else
        printf '  %-22s FAILED  (exit %s) %s\n' "$name" "$rc" "${totals:-no totals}"
        grep -h -E '^(FAIL!|   Loc:)' "$suite/$name.txt" 2>/dev/null | head -n 20 || true
        [ "$rc" != 0 ] || rc=1
    fi
    # QtTest's own file when it tells the outcome; else one of ours (a crash, the time limit).
    if [ -s "$suite/$name.xml" ] && { [ "$rc" = 0 ] || grep -q '<failure' "$suite/$name.xml"; }; then
        mkdir -p "$ORRA_RESULTS"
        cp "$suite/$name.xml" "$ORRA_RESULTS/windows-$name.xml"
        count "$name" "$rc"
    else
        count "$name" "$rc" "windows-$name"
    fi
}

qttest_suite() {
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
    local tests=() exe plugin dpi
    while read -r exe; do tests+=("$exe"); done < <(find "$suite" -maxdepth 1 -name 'tst_*.exe' | sort)
    for plugin in platforms/qoffscreen.dll "${plugins[@]}"; do
        mkdir -p "$suite/$(dirname "$plugin")"
        cp "$qt/plugins/$plugin" "$suite/$plugin"
    done
    imported_dlls "${tests[@]}" "$suite/startrunner.exe" "$suite"/*/*.dll | xargs -r cp -t "$suite/"
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
}

installed_suites() { # setup
    local rc=0
    step "installed program under Wine ($(basename "$1"))"
    bash packaging/windows/test-installed.sh "$1" "$build/wine-e2e" || rc=$?
    count "installed program" "$rc"
    step "starting the installed program from the shell and the console under Wine"
    rc=0
    bash packaging/windows/test-startup.sh "$1" "$build/wine-startup" || rc=$?
    count "shell and console" "$rc"
}
