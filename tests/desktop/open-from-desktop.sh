#!/usr/bin/env bash
# A saved reading opened as a person opens it on a desktop: the file manager
# asks for its type and for the program that opens that type, and starts the
# program's desktop entry on it (xdg-open, as GNOME's session would). Checks
# that the type is ours, that our entry is the one chosen and that the
# program comes up showing the reading window.
#
#   open-from-desktop.sh --install BUILD_DIR   installs BUILD_DIR into a fresh prefix
#                                              and registers it there, as a user would
#   open-from-desktop.sh PREFIX                uses what is installed under PREFIX
#                                              (/usr for the installed package)
#
# Needs an X server ($DISPLAY; run it under scripts/lib/xvfb-run.sh). SCREENSHOT=file.png saves
# the screen once the reading window is up.
set -euo pipefail

type=application/x-orra-astrology-reading
entry=orra-native-american-astrology.desktop

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

for tool in xdg-mime xdg-open gio update-mime-database update-desktop-database xwininfo xprop; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh installs it)"
done
[ -n "${DISPLAY:-}" ] || fail "no X server: run under scripts/lib/xvfb-run.sh"

scratch=$(mktemp -d)
# The copies of the program this run started: xdg-open starts them, so they
# are known by the private home they inherit. They end before the X server
# does; one still starting would otherwise report the server gone, not
# what went wrong here.
ours() {
    local proc
    for proc in /proc/[0-9]*; do
        [ "$(basename "$(readlink "$proc/exe" 2>/dev/null)")" = OrraFreeNativeAmericanAstrology ] \
            && tr '\0' '\n' <"$proc/environ" 2>/dev/null | grep -qx "HOME=$scratch/home" \
            && echo "${proc#/proc/}"
    done
    return 0
}
cleanup() {
    local left
    left=$(ours)
    if [ -n "$left" ]; then
        kill $left 2>/dev/null || true
        for _ in $(seq 50); do
            [ -n "$(ours)" ] || break
            sleep 0.1
        done
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT

if [ "${1:-}" = --install ]; then
    build=$(realpath "${2:?usage: $0 --install BUILD_DIR | PREFIX}")
    prefix=$scratch/prefix
else
    build=""
    prefix=${1:?usage: $0 --install BUILD_DIR | PREFIX}
fi

# A clean session: nothing of this user's own settings, only the prefix's data.
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config XDG_DATA_HOME=$scratch/home/.local/share
export XDG_RUNTIME_DIR=$scratch/runtime XDG_CURRENT_DESKTOP=GNOME
export XDG_DATA_DIRS=$prefix/share PATH=$prefix/bin:$PATH
unset QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

if [ -n "$build" ]; then
    cmake --install "$build" --prefix "$prefix" >/dev/null
    update-mime-database "$prefix/share/mime"
    update-desktop-database "$prefix/share/applications"
fi
[ -f "$prefix/share/mime/packages/orra-native-american-astrology.xml" ] || fail "no MIME type under $prefix"

# 5 May 1975, saved by the program: three scrambled lines.
cd "$scratch"
printf '\x3a\x42\x40\x3e\r\n\x56\x6a\x82\r\n\x3e\r\n' >reading.naa
cp reading.naa reading.NAA

got=$(xdg-mime query filetype reading.naa)
[ "$got" = "$type" ] || fail "reading.naa has the type '$got', not $type"
got=$(xdg-mime query filetype reading.NAA)
[ "$got" != "$type" ] || fail "reading.NAA has our type, but the program refuses it"
got=$(xdg-mime query default "$type")
[ "$got" = "$entry" ] || fail "$type opens with '$got', not $entry"
echo "reading.naa: $type, opened by $entry"

# The program's windows that are on screen, as "id width".
shown() {
    xwininfo -root -children 2>/dev/null \
        | sed -n 's/^ *\(0x[0-9a-f]*\) "Orra Native American Astrology[^"]*":.*/\1/p' \
        | while read -r id; do
            info=$(xwininfo -id "$id")
            grep -q "Map State: IsViewable" <<<"$info" || continue
            echo "$id $(sed -n 's/^ *Width: *//p' <<<"$info")"
        done
}

xdg-open reading.naa
reading=""
# Long enough for a sanitizer build on a busy machine.
deadline=$((SECONDS + 90))
while [ "$SECONDS" -lt "$deadline" ]; do
    windows=$(shown)
    # The reading window (633 wide) alone: the main window is left behind.
    if [ "$(wc -l <<<"$windows")" = 1 ] && [ "${windows#* }" = 633 ]; then
        reading=${windows% *}
        break
    fi
    sleep 0.1
done
[ -n "$reading" ] || fail "no reading window came up in 90 s; on screen: ${windows:-nothing}"
pid=$(xprop -id "$reading" _NET_WM_PID | sed -n 's/.* = //p')
echo "the reading window is up (window $reading, process $pid)"
if [ -n "${SCREENSHOT:-}" ]; then
    import -window root "$SCREENSHOT"
    echo "screenshot: $SCREENSHOT"
fi

[ -n "$pid" ] || fail "the reading window names no process"
kill "$pid"
for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end when asked"
echo "PASS: reading.naa opens its reading from the desktop"
