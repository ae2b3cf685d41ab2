#!/usr/bin/env bash
# The protections of the Windows program, read from the files themselves:
#   hardening.sh FOLDER PROGRAM.exe
# Every .exe and .dll under FOLDER (the program folder and the setup beside
# it) must be relocatable for address space
# layout randomisation (DYNAMIC_BASE, with the .reloc section the loader
# needs), with 64-bit entropy (HIGH_ENTROPY_VA) and a non-executable data area
# (NX_COMPAT); the program's own .exe, which reads .naa files from anywhere,
# must also carry the stack protector and CET (endbr64 at its functions).
# Each file is a test case of $ORRA_RESULTS/windows-hardening.xml.
set -euo pipefail
folder=$1
program=$2
objdump=x86_64-w64-mingw32-objdump
source "$(dirname "$0")/../../scripts/lib/junit.sh"

# Files that may lack a protection (name pattern: what it may lack), and why.
exception_of() { # name: what it may lack and why, if anything
    case $1 in
        *-setup.exe) echo ".reloc|Debian's NSIS stub is linked without relocations (NSIS builds all its stubs so), so Windows loads it at its own base address" ;;
    esac
}

failed=0
while read -r file; do
    name=${file#"$folder"/}
    header=$($objdump -p "$file")
    missing=()
    for flag in DYNAMIC_BASE HIGH_ENTROPY_VA NX_COMPAT; do
        grep -qw "$flag" <<<"$header" || missing+=("$flag")
    done
    # grep reads to the end: an early exit would end objdump with SIGPIPE, a failure under pipefail.
    $objdump -h "$file" | grep ' \.reloc ' >/dev/null || missing+=(.reloc)
    if [ "$file" -ef "$program" ]; then
        grep -q '__stack_chk_fail' <<<"$header" || missing+=("stack protector")
        $objdump -d --section=.text "$file" | grep endbr64 >/dev/null || missing+=("CET")
    fi
    exception=$(exception_of "$name")
    if ((${#missing[@]} == 0)); then
        echo "  ok    $name"
        junit_case "$name" 0
    elif [ -n "$exception" ] && [ "${missing[*]}" = "${exception%%|*}" ]; then
        echo "  ok    $name (without ${missing[*]}: ${exception#*|})"
        junit_case "$name" 0
    else
        echo "  FAIL  $name lacks ${missing[*]}"
        junit_case "$name" 1 "lacks ${missing[*]}"
        failed=$((failed + 1))
    fi
done < <(find "$folder" -type f \( -iname '*.exe' -o -iname '*.dll' \) | LC_ALL=C sort)
junit_write windows-hardening
[ "$failed" = 0 ]
