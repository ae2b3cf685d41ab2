# shellcheck shell=bash
# The installer's life cycle in one scope, under Wine: sourced by
# test-installed.sh, whose check, wait_for, reg_has, native, windows and key
# it uses. Beside another program that opens .naa, installs, is refused while
# the program runs, installs over itself, moves to another folder and
# uninstalls, leaving nothing of the program behind.

product="Orra Native American Astrology"
exe_name=OrraFreeNativeAmericanAstrology.exe
progid=OrraNativeAmericanAstrology.Reading
entry_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\OrraNativeAmericanAstrology'
runonce_key='Software\Microsoft\Windows\CurrentVersion\RunOnce'
wine_user=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 ! -name Public -printf '%f\n' -quit)
all_users_dir="C:\\Program Files\\$product"
current_user_dir="C:\\users\\$wine_user\\AppData\\Local\\Programs\\$product"
elsewhere_dir='C:\OrraElsewhere' # /D= takes no quotes: no blanks
all_users_menu='C:\ProgramData\Microsoft\Windows\Start Menu\Programs'
current_user_menu="C:\\users\\$wine_user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"
# The program folder the installer was made from, beside it.
# shellcheck disable=SC2154 # setup is the caller's
deployed=${setup%-setup.exe}

# Exactly the deployed files and the uninstaller.
has_program_files() { # folder
    diff <(cd "$(native "$1")" 2>/dev/null && find . -type f | sort) \
        <( (cd "$deployed" && find . -type f; echo ./uninstall.exe) | sort) >/dev/null
}
# Our entries, everyone's and the user's: exactly one, naming the folder.
one_entry_for() { # hive, folder
    local other=HKLM
    [ "$1" = HKLM ] && other=HKCU
    ! reg_has "$other\\$entry_key" &&
        wine reg query "$1\\$entry_key" /v InstallLocation 2>/dev/null | grep -q -F "$2"
}
age_files() { find "$(native "$1")" -type f -exec touch -d 2001-01-01 {} +; }
all_replaced() { ! find "$(native "$1")" -type f ! -newermt 2002-01-01 | grep -q .; }
# What an installer or uninstaller could change: files with their times, the
# entry, the file type, the shortcut.
state() { # hive, folder, Start menu folder
    find "$(native "$2")" -printf '%P %T@\n' 2>/dev/null | sort
    wine reg query "$1\\$entry_key" /s 2>/dev/null
    wine reg query "$1\\Software\\Classes\\.naa" /s 2>/dev/null
    wine reg query "$1\\Software\\Classes\\$progid" /s 2>/dev/null
    ls -l --time-style=+%s "$(native "$3")/$product.lnk" 2>/dev/null
}

# The uninstaller run in its own folder (_?=), so that its exit status is its
# own and not that of the copy it starts from the temporary folder. A batch
# file, since Wine would quote the folder's blanks and _?= takes no quotes.
uninstall_in_place() { # folder
    printf '@"%s\\uninstall.exe" /S _?=%s\r\n@exit /b %%errorlevel%%\r\n' "$1" "$1" \
        >"$WINEPREFIX/drive_c/uninstall-in-place.cmd"
    wine cmd /c 'C:\uninstall-in-place.cmd' >/dev/null 2>&1
}
# The plain uninstaller starts its copy and returns: done once Wine is idle.
uninstall() { # folder
    wine "$1\\uninstall.exe" /S
    timeout 120 wineserver -w
}

running=
start_program() { # folder
    (cd "$WINEPREFIX/drive_c/users/Public" && exec wine "$1\\$exe_name") >/dev/null 2>&1 &
    running=$!
    wait_for 30 count_windows 1
}
stop_program() { # as Windows asks a program to close: WM_CLOSE to its windows
    wine taskkill /im "$exe_name" >/dev/null 2>&1
    wait_for 30 sh -c "! kill -0 $running 2>/dev/null"
}

# A file held open, without delete sharing, by a process that is not the
# program: the running check cannot see it, so uninstalling must leave it for
# the next restart. Held until Wine stops.
hold_file() { # Windows path
    printf '@ping -n 3600 127.0.0.1 >nul <"%s"\r\n' "$1" >"$WINEPREFIX/drive_c/hold.cmd"
    (wine cmd /c 'C:\hold.cmd' >/dev/null 2>&1 &)
    wait_for 30 holding
}
holding() { # the holder runs in this prefix (cmd opened the file before starting it)
    local p
    for p in $(pgrep -f -i 'ping.* 3600 '); do
        grep -q -z -x "WINEPREFIX=$WINEPREFIX" "/proc/$p/environ" 2>/dev/null && return 0
    done
    return 1
}
# As Windows does at the next start and logon: the files left for it go, then
# RunOnce runs. wineboot does both for everyone's RunOnce; Wine's shell does
# not run the user's, so that runs here as Windows' shell would run it.
restart() {
    wineserver -k
    timeout 60 wineserver -w
    wineboot -r >/dev/null 2>&1
    local run
    run=$(wine reg query "HKCU\\$runonce_key" /v OrraNativeAmericanAstrology 2>/dev/null |
        sed -n 's/.*REG_SZ *//p' | tr -d '\r')
    if [ -n "$run" ]; then
        wine reg delete "HKCU\\$runonce_key" /v OrraNativeAmericanAstrology /f >/dev/null 2>&1
        printf '@%s\r\n' "$run" >"$WINEPREFIX/drive_c/runonce.cmd"
        wine cmd /c 'C:\runonce.cmd' >/dev/null 2>&1
    fi
    timeout 120 wineserver -w
}

another_program() { # hive: .naa opens with another program, listed under Open with
    wine reg add "$1\\Software\\Classes\\.naa" /ve /d Other.Reading /f
    wine reg add "$1\\Software\\Classes\\.naa\\OpenWithProgids" /v Other.Reading /t REG_NONE /f
    wine reg add "$1\\Software\\Classes\\Other.Reading\\shell\\open\\command" /ve \
        /d 'notepad.exe "%1"' /f
} >/dev/null 2>&1
other_program_keeps_naa() { # hive
    wine reg query "$1\\Software\\Classes\\.naa" /ve 2>/dev/null | grep -q Other.Reading &&
        reg_has "$1\\Software\\Classes\\.naa\\OpenWithProgids" /v Other.Reading &&
        reg_has "$1\\Software\\Classes\\Other.Reading\\shell\\open\\command"
}
ours_offered() { # hive
    reg_has "$1\\Software\\Classes\\.naa\\OpenWithProgids" /v "$progid" &&
        reg_has "$1\\Software\\Classes\\$progid\\shell\\open\\command"
}

# Nothing of the program in either scope (the settings value and the user's
# readings are the user's, and are checked by the caller).
nothing_left() {
    local left=() hive dir menu
    for dir in "$all_users_dir" "$current_user_dir" "$elsewhere_dir"; do
        [ -e "$(native "$dir")" ] && left+=("$dir")
    done
    for menu in "$all_users_menu" "$current_user_menu"; do
        [ -e "$(native "$menu")/$product.lnk" ] && left+=("$menu\\$product.lnk")
    done
    for hive in HKLM HKCU; do
        reg_has "$hive\\$entry_key" && left+=("$hive entry")
        reg_has "$hive\\Software\\Classes\\$progid" && left+=("$hive ProgID")
        reg_has "$hive\\Software\\Classes\\.naa\\OpenWithProgids" /v "$progid" &&
            left+=("$hive Open with")
        wine reg query "$hive\\Software\\Classes\\.naa" /ve 2>/dev/null | grep -q "$progid" &&
            left+=("$hive .naa default")
        reg_has "$hive\\$runonce_key" /v OrraNativeAmericanAstrology && left+=("$hive RunOnce")
    done
    ((${#left[@]} == 0)) || echo "        left: ${left[*]}"
    ((${#left[@]} == 0))
}
nothing_in_hklm_or_program_files() {
    timeout 120 wineserver -w # the registry is on disk once Wine is idle
    ! grep -q -i -e OrraNativeAmericanAstrology -e "$product" -e '^\[Software\\\\Classes\\\\\.naa' \
        "$WINEPREFIX/system.reg" &&
        [ ! -e "$(native "$all_users_dir")" ] && [ ! -e "$(native "$all_users_menu")/$product.lnk" ]
}

# Outcomes of one step: its exit status, then what it left.
refused_unchanged() { # exit status, state before, hive, folder, Start menu folder
    [ "$1" = 2 ] && [ "$(state "$3" "$4" "$5")" = "$2" ]
}
replaced() { # exit status, hive, folder
    [ "$1" = 0 ] && has_program_files "$3" && all_replaced "$3" && one_entry_for "$2" "$3"
}
moved() { # exit status, hive, from folder, to folder
    [ "$1" = 0 ] && [ ! -e "$(native "$3")" ] && has_program_files "$4" && one_entry_for "$2" "$4"
}
left_for_restart() { # exit status, hive, folder, held file
    [ "$1" = $((3010 % 256)) ] && [ -f "$(native "$4")" ] && [ -f "$(native "$3")/uninstall.exe" ] &&
        reg_has "$2\\$entry_key" && reg_has "$2\\$runonce_key" /v OrraNativeAmericanAstrology
}
type_shared() { other_program_keeps_naa "$1" && ours_offered "$1"; }

scope_cycle() { # AllUsers or CurrentUser
    local scope=$1 hive=HKCU dir=$current_user_dir menu=$current_user_menu rc before held
    if [ "$scope" = AllUsers ]; then hive=HKLM dir=$all_users_dir menu=$all_users_menu; fi
    echo "-- /$scope, beside another program that opens .naa"
    another_program "$hive"

    rc=0; wine "$setup" /S "/$scope" || rc=$?
    check "$scope: silent install ends with 0" [ "$rc" = 0 ]
    check "$scope: exactly the program's files in $dir" has_program_files "$dir"
    check "$scope: one Add/Remove entry, in $hive" one_entry_for "$hive" "$dir"
    check "$scope: Start menu shortcut" test -f "$(native "$menu")/$product.lnk"
    check "$scope: the other program keeps .naa; ours is under Open with" type_shared "$hive"
    if [ "$scope" = CurrentUser ]; then
        check "$scope: nothing in HKLM, Program Files or everyone's Start menu" \
            nothing_in_hklm_or_program_files
    fi

    check "$scope: the installed program starts" start_program "$dir"
    before=$(state "$hive" "$dir" "$menu")
    rc=0; uninstall_in_place "$dir" || rc=$?
    check "$scope: uninstall while it runs is refused (exit $rc), nothing changed" \
        refused_unchanged "$rc" "$before" "$hive" "$dir" "$menu"
    rc=0; wine "$setup" /S "/$scope" || rc=$?
    check "$scope: install while it runs is refused (exit $rc), nothing changed" \
        refused_unchanged "$rc" "$before" "$hive" "$dir" "$menu"
    check "$scope: the program still runs, and closes" stop_program

    age_files "$dir"
    rc=0; wine "$setup" /S "/$scope" || rc=$?
    check "$scope: install over an install replaces every file, one entry" \
        replaced "$rc" "$hive" "$dir"
    rc=0; wine "$setup" /S "/$scope" "/D=$elsewhere_dir" || rc=$?
    check "$scope: install into another folder moves it, no copy left behind" \
        moved "$rc" "$hive" "$dir" "$elsewhere_dir"

    uninstall "$elsewhere_dir"
    check "$scope: uninstall leaves nothing of the program" nothing_left
    check "$scope: the other program's .naa and Open with entry survive" \
        other_program_keeps_naa "$hive"

    # A file in use by another process: the rest goes now, that file and then
    # the entry at the next restart.
    wine "$setup" /S "/$scope"
    held="$dir\\$(find "$deployed" -maxdepth 1 -iname '*.dll' -printf '%f\n' -quit)"
    hold_file "$held"
    rc=0; uninstall_in_place "$dir" || rc=$?
    check "$scope: a file in use is left for the restart (exit $rc), with the entry" \
        left_for_restart "$rc" "$hive" "$dir" "$held"
    restart
    check "$scope: after the restart nothing of the program is left" nothing_left

    wine reg delete "$hive\\Software\\Classes\\.naa" /f >/dev/null 2>&1
    wine reg delete "$hive\\Software\\Classes\\Other.Reading" /f >/dev/null 2>&1
}
