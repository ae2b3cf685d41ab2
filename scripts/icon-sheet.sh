#!/usr/bin/env bash
# Contact sheet of the built icons: every size at 1:1 on a light and on a dark
# panel, then the hand-tuned small sizes enlarged pixel for pixel.
# Usage: scripts/icon-sheet.sh [build dir] [output.png]
set -euo pipefail
build=${1:-build}
out=${2:-$build/icon-sheet.png}
icons=$build/icons/hicolor
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

row() { # background, then the icons in a row with a gap
    local bg=$1 name=$2; shift 2
    convert -background "$bg" "$@" -bordercolor "$bg" -border 8 -gravity center +append \
        "$tmp/$name.png"
}
sizes=(16 22 24 32 48 64 128 256)
files=()
for s in "${sizes[@]}"; do files+=("$icons/${s}x${s}/apps/orra-native-american-astrology.png"); done
big=()
for s in 16 22 24 32 48; do
    big+=("(" "$icons/${s}x${s}/apps/orra-native-american-astrology.png" -filter point -resize 800% ")")
done
row '#ffffff' light "${files[@]}"
row '#242424' dark "${files[@]}"
row '#f0f0f0' light-big "${big[@]}"
row '#303030' dark-big "${big[@]}"
convert "$tmp"/light.png "$tmp"/dark.png "$tmp"/light-big.png "$tmp"/dark-big.png \
    -background '#808080' -gravity west -append "$out"
echo "$out"
