#!/usr/bin/env bash
# The installed Windows program, end to end, under Wine on an X server:
#   test-installed.sh SETUP.EXE PREFIX_FOLDER
# Run by scripts/windows.sh, which provides DISPLAY (Xvfb) and WINEDEBUG.
# In a fresh prefix: the installer's life cycle just for the user
# (installer-checks.sh); then installed for everyone, the program driven with
# xdotool, uninstalled; then the life cycle for everyone. Says which checks
# failed. Screenshots go to PREFIX_FOLDER/shots.
set -uo pipefail
setup=$1
export WINEPREFIX=$(realpath -m "$2")
app_dir_win='C:\Program Files\Orra Native American Astrology'
exe_win="$app_dir_win\\OrraFreeNativeAmericanAstrology.exe"
settings_key='HKCU\Software\OrraFreeNativeAmericanAstrology\OrraFreeNativeAmericanAstrology\Settings'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrraNativeAmericanAstrology'
# The default reading (1900, January, 1) as the Linux build saves it.
expected_reading=$':B99\r\nSjw~j{\x82\r\n:\r\n'

source "$(dirname "$0")/checks.sh" || exit 2
title="Orra Native American Astrology v$(project_version)"
windows() { xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | sort; }
count_windows() { [ "$(windows | wc -l)" -eq "$1" ]; }
other_window() { # ids...: a visible window of the program that is none of them
    local pattern="^($(IFS='|'; echo "${*:-none}"))\$"
    windows | grep -v -E "$pattern" | head -n 1 | grep .
}
shots=$WINEPREFIX/shots
shot() { import -window root "$shots/$1.png" 2>/dev/null || true; }
key() { xdotool key --delay 80 "$@"; sleep 0.5; }
click_in() { # window, x, y: a click Wine takes (press and release apart)
    [ -n "$1" ] || return 1
    local X Y
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $((X + $2)) $((Y + $3))
    sleep 0.3
    xdotool mousedown 1
    sleep 0.2
    xdotool mouseup 1
}
reg_has() { wine reg query "$@" >/dev/null 2>&1; }
native() { winepath -u "$1" 2>/dev/null; }

rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w
mkdir -p "$shots"

# A stand-in browser: Wine's shell hands web addresses to the host's xdg-open.
fake_bin=$WINEPREFIX/fake-bin
browser_log=$WINEPREFIX/xdg-open.log
mkdir -p "$fake_bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\n' "$browser_log" >"$fake_bin/xdg-open"
chmod +x "$fake_bin/xdg-open"
export PATH=$fake_bin:$PATH

source "$(dirname "$0")/installer-checks.sh"

# highestAvailable: an administrator is asked, anyone else installs just for
# themselves without being asked (Wine has no users without the rights).
check "the installer asks for no more rights than the user has" \
    grep -a -q 'requestedExecutionLevel level="highestAvailable"' "$setup"
scope_cycle CurrentUser

echo "-- /AllUsers, the program driven"
wine "$setup" /S /AllUsers
wineserver -w
app_dir=$(native "$app_dir_win")
start_menu=$(native 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs')
check "installed under Program Files" test -f "$app_dir/OrraFreeNativeAmericanAstrology.exe"
check "Start menu shortcut" test -f "$start_menu/Orra Native American Astrology.lnk"
check "Add/Remove Programs entry" reg_has "$uninstall_key" /v DisplayName
check ".naa file type" reg_has 'HKCR\.naa'

# The file dialog opens in the working folder: one inside the prefix.
cd "$WINEPREFIX/drive_c/users/Public"
wine "$exe_win" &
first=$!
check "main window appears" wait_for 30 count_windows 1
main=$(windows | head -n 1)
sleep 1
shot main
check "reminder date in the registry" reg_has "$settings_key"

# A second copy says so and ends; the first stays.
wine "$exe_win" &
second=$!
# Message boxes carry the program's title without the version.
message_box() { xdotool search --onlyvisible --name "^Orra Native American Astrology\$" >/dev/null 2>&1; }
check "second copy shows its message" wait_for 20 message_box
shot second-copy
key Return
check "second copy ends" wait_for 10 sh -c "! kill -0 $second 2>/dev/null"
check "first copy still runs" kill -0 "$first"

# A link, through Wine's shell to the host's browser.
xdotool windowactivate --sync "$main" 2>/dev/null
key alt+h o
check "link reaches xdg-open" wait_for 15 grep -q 'page=help-web-page' "$browser_log"

# A reading, then its report saved.
xdotool windowactivate --sync "$main" 2>/dev/null
xdotool type --delay 50 "Ann"
key alt+a
check "reading window after Get Result" wait_for 15 other_window "$main"
reading=$(other_window "$main")
shot reading
key alt+s
check "report window opens" wait_for 15 other_window "$main" "$reading"
sleep 1
shot report
report=$(other_window "$main" "$reading")
# Without a window manager a new window gets no keyboard focus of its own.
xdotool windowfocus --sync "$report" 2>/dev/null
key alt+s
if ! wait_for 5 message_box; then # the button itself, then (frmSave's cmdSave at 360,438)
    click_in "$report" 397 449
fi
check "save dialog opens" wait_for 15 message_box # titled like a message box
dialog=$(xdotool search --onlyvisible --name "^Orra Native American Astrology\$" | head -n 1)
xdotool windowfocus --sync "$dialog" 2>/dev/null
sleep 1
shot save-dialog
# The dialog opens in a folder of the user's; the file is looked for there.
xdotool type --delay 50 "reading.naa"
key Return
find_saved() { find "$WINEPREFIX/drive_c/users" -name reading.naa -print -quit 2>/dev/null; }
wait_for 10 sh -c "[ -n \"\$(find '$WINEPREFIX/drive_c/users' -name reading.naa)\" ]"
saved=$(find_saved)
shot saved
check "saved reading is byte-identical to the Linux build's" \
    cmp -s "${saved:-/nonexistent}" <(printf '%s' "$expected_reading")
key Escape # closes the report
xdotool windowactivate --sync "$reading" 2>/dev/null
key alt+F4
check "closing the reading window ends the program" wait_for 15 sh -c "! kill -0 $first 2>/dev/null"
wineserver -k 2>/dev/null # whatever is left of a failed step
wineserver -w

# Opening a saved reading from the shell shows it.
if [ -n "$saved" ]; then
    (cd "$(dirname "$saved")" && wine start /unix "$saved") &
    # The reading window, not the main window: it is the wider one (633 against 472).
    reading_shown() {
        local w
        for w in $(windows); do
            eval "$(xdotool getwindowgeometry --shell "$w")"
            ((WIDTH > 600)) && return 0
        done
        return 1
    }
    check "wine start reading.naa shows the reading" wait_for 30 reading_shown
    sleep 1
    shot opened-reading
    xdotool key alt+F4 2>/dev/null
    sleep 1
fi
wineserver -k 2>/dev/null
wineserver -w

uninstall "$app_dir_win"
check "uninstall removes the program folder" test ! -e "$app_dir"
check "uninstall removes the shortcut" test ! -e "$start_menu/Orra Native American Astrology.lnk"
check "uninstall removes the Add/Remove Programs entry" sh -c "! wine reg query '$uninstall_key' >/dev/null 2>&1"
check "uninstall removes the file type" sh -c "! wine reg query 'HKCR\\.naa' >/dev/null 2>&1 && ! wine reg query 'HKCR\\OrraNativeAmericanAstrology.Reading' >/dev/null 2>&1"
check "uninstall keeps the settings value" reg_has "$settings_key"
check "uninstall keeps the saved reading" test -f "${saved:-/nonexistent}"

scope_cycle AllUsers
wineserver -k 2>/dev/null

checks_done windows-installed
if ((${#failures[@]})); then
    echo "end-to-end: ${#failures[@]} checks failed"
    exit 1
fi
echo "end-to-end: all checks passed"
