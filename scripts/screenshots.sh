#!/usr/bin/env bash
# Builds the screenshot tool into $BUILD_DIR (default build-shots/) and saves a
# picture of every window into docs/screenshots/, at 100 % (name.png) and at
# twice the size (name@2x.png), on an X server of its own (Xvfb).
# With --dark, instead into docs/screenshots/dark/: on a dark GTK desktop
# (Adwaita dark, 10 pt) and a dark qt6ct one (its "darker" scheme, 11 pt),
# where the windows must keep their own look.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-shots}
dark=false
[ "${1:-}" = --dark ] && dark=true
sub=""
$dark && sub=/dark
out=${OUT_DIR:-$PWD/docs/screenshots$sub}
BUILD_DIR=$build CMAKE_ARGS="-DBUILD_TESTING=OFF ${CMAKE_ARGS:-}" scripts/setup.sh
mkdir -p "$out"

tool=$PWD/$build/tools/screenshots/orra_screenshots
runtime=$(mktemp -d)
home=$(mktemp -d)
trap 'rm -rf "$runtime" "$home"' EXIT

shoot() { # suffix, then environment settings
    local suffix=$1
    shift
    env "$@" HOME="$home" XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb \
        QT_LOGGING_RULES="qt.qpa.*=false" \
        scripts/lib/xvfb-run.sh -s "-screen 0 1600x1200x24 -dpi 96" "$tool" "$out" "$suffix"
}
if $dark; then
    mkdir -p "$home/.config/gtk-3.0" "$home/.config/qt6ct"
    printf '[Settings]\ngtk-font-name=DejaVu Sans 10\n' >"$home/.config/gtk-3.0/settings.ini"
    cat >"$home/.config/qt6ct/qt6ct.conf" <<EOF
[Appearance]
color_scheme_path=/usr/share/qt6ct/colors/darker.conf
custom_palette=true
style=Fusion
[Fonts]
general="DejaVu Sans,11,-1,5,400,0,0,0,0,0,0,0,0,0,0,1"
fixed="DejaVu Sans Mono,11,-1,5,400,0,0,0,0,0,0,0,0,0,0,1"
EOF
    shoot "-gtk-dark-10pt" QT_SCALE_FACTOR=1 QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark \
        XDG_CONFIG_HOME="$home/.config"
    shoot "-qt6ct-dark-11pt" QT_SCALE_FACTOR=1 QT_QPA_PLATFORMTHEME=qt6ct \
        XDG_CONFIG_HOME="$home/.config"
else
    shoot "" QT_SCALE_FACTOR=1
    shoot "@2x" QT_SCALE_FACTOR=2
fi
echo "Screenshots saved in $out"
