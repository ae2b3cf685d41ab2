#!/usr/bin/env bash
# How Windows starts the installed program, under Wine on an X server:
#   test-startup.sh SETUP.EXE PREFIX_FOLDER
# Run by scripts/windows.sh, which provides DISPLAY (Xvfb) and WINEDEBUG.
# Installs silently into a fresh prefix of its own, then checks that
# - saved readings in folders named in Cyrillic, Greek and Chinese characters,
#   none of them in the ANSI code page, open through the file type;
# - --version, --help and a mistake reach the console, a redirected file and a
#   pipe from cmd.exe, ending with 0, 0 and 2 as on Linux;
# - of two copies started at once, ten times over, one runs and one says so;
# - the .exe carries its application manifest.
set -uo pipefail
setup=$(realpath "$1")
export WINEPREFIX=$(realpath -m "$2")
# A UTF-8 Unix side with Wine's default Western code page, 1252.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
program=OrraFreeNativeAmericanAstrology.exe
# 1975, May, 5 as the program saves it: the Beaver.
reading=$':B@>\r\nVj\x82\r\n>\r\n'

source "$(dirname "$0")/checks.sh" || exit 2
title="Orra Native American Astrology v$(project_version)"
# The reading window, not the main window: it is the wider one (633 against 472).
reading_shown() {
    local w WIDTH
    for w in $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null); do
        WIDTH=0 # a window gone between the search and this look has no size
        eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)"
        ((WIDTH > 600)) && return 0
    done
    return 1
}

rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w
wine "$setup" /S
wineserver -w
# Wherever the installer put it: the file type's command names it.
command=$(wine reg query 'HKCR\OrraNativeAmericanAstrology.Reading\shell\open\command' /ve 2>/dev/null |
    tr -d '\r' | sed -n 's/.*REG_SZ *"\([^"]*\)".*/\1/p')
exe_win=${command:-C:\\Program Files\\Orra Native American Astrology\\$program}
exe=$(winepath -u "$exe_win" 2>/dev/null)
check "installed" test -f "$exe"

# --- Saved readings in folders of any name, opened as a double-click does ----

for folder in Иван Ελένη 文档; do
    dir=$WINEPREFIX/drive_c/users/Public/$folder/Documents
    mkdir -p "$dir"
    printf '%s' "$reading" >"$dir/reading.naa"
    (cd "$dir" && wine start /unix "$dir/reading.naa") &
    check "a reading in C:\\users\\Public\\$folder opens through the file type" \
        wait_for 30 reading_shown
    wineserver -k 2>/dev/null
    wineserver -w
done

# --- Answers on the command line -------------------------------------------

run_cmd() { # command line for cmd.exe, in the program's folder; its status is the program's
    # (Wine would hand cmd.exe a quoted path with its quotes escaped.)
    (cd "$(dirname "$exe")" && timeout 60 wine cmd /c "$1" </dev/null)
}
expect() { # expected status, expected first line, status, text[, text that must be empty]
    [ "$3" = "$1" ] && [ "$(printf '%s' "$4" | tr -d '\r' | head -n 1)" = "$2" ] &&
        [ -z "$(printf '%s' "${5:-}" | tr -d '\r\n')" ] && return 0
    printf '        status %s, text: %s %s\n' "$3" "$(printf '%s' "$4" | head -n 3)" "${5:-}"
    return 1
}
answer_win='C:\users\Public\answer.txt'
answer=$WINEPREFIX/drive_c/users/Public/answer.txt
version="OrraFreeNativeAmericanAstrology $(project_version)"
usage="Usage: OrraFreeNativeAmericanAstrology [options] [file]"
mistake="OrraFreeNativeAmericanAstrology: Unknown option 'frobnicate'. Try --help."
for case in "--version|0|$version|" "--help|0|$usage|" "--frobnicate|2|$mistake|2"; do
    IFS='|' read -r option status first handle <<<"$case"
    # The console of the cmd.exe that started it.
    text=$(run_cmd "$program $option" 2>&1)
    check "$option on the console" expect "$status" "$first" $? "$text"
    # A redirected file: the same, and nothing on the console.
    rm -f "$answer"
    text=$(run_cmd "$program $option $handle> $answer_win" 2>&1)
    rc=$?
    check "$option into a file" expect "$status" "$first" $rc "$(cat "$answer" 2>/dev/null)" "$text"
    # A pipe into another program (more, which copies it into a file). Wine's
    # cmd.exe sets 2>&1 before the pipe, so only standard output is tried.
    [ -n "$handle" ] && continue
    rm -f "$answer"
    run_cmd "$program $option | more > $answer_win" >/dev/null 2>&1
    check "$option through a pipe" expect 0 "$first" 0 "$(cat "$answer" 2>/dev/null)"
done

# --- The manifest ------------------------------------------------------------

# --- Two copies started at once, ten times ----------------------------------

# Each time one main window, and the other copy's "already running" message
# (titled without the version); never two main windows.
one_runs() {
    [ "$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | wc -l)" -eq 1 ] &&
        [ "$(xdotool search --onlyvisible --name '^Orra Native American Astrology$' 2>/dev/null |
            wc -l)" -eq 1 ]
}
rounds=0
for _ in $(seq 10); do
    for _ in 1 2; do (cd "$(dirname "$exe")" && wine "$program" >/dev/null 2>&1) & done
    wait_for 60 one_runs && rounds=$((rounds + 1))
    wineserver -k 2>/dev/null
    wineserver -w
    wait
done
check "two copies started at once: one runs, the other says so ($rounds of 10 times)" \
    test "$rounds" = 10

manifest=$(wrestool -x --raw --type=24 --name=1 "$exe" 2>/dev/null)
for declared in '<dpiAwareness[^>]*>PerMonitorV2<' '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}' \
    'Microsoft.Windows.Common-Controls" version="6.0.0.0"' 'level="asInvoker"'; do
    check "manifest declares $declared" grep -q -- "$declared" <<<"$manifest"
done

wineserver -k 2>/dev/null
checks_done windows-startup
if ((${#failures[@]})); then
    echo "shell and console: ${#failures[@]} checks failed"
    exit 1
fi
echo "shell and console: all checks passed"
