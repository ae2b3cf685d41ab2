#!/usr/bin/env bash
# Ends scripts/windows.sh at each kind of moment in the Debian 13 system, with
# each signal given, sent to the script alone and to its whole process group
# (it runs under timeout, as in CI), then counts what is left mounted under
# the system's folder and what still runs in it: nothing may be.
#
#   scripts/windows/test-leaving.sh [-s "TERM INT HUP"] [MOMENT...]
#
# Moments: packages (apt-get installing one), qt (fetching Qt's sources, a
# run_logged step), build (the compiler at work), wine (a suite under Wine).
# Needs root and the Debian 13 system scripts/windows.sh has made (ORRA_DEBIAN13);
# writes $ORRA_RESULTS/windows-leaving.xml. Takes a minute or so a case.
set -euo pipefail
cd "$(dirname "$0")/../.."
signals="TERM"
if [ "${1:-}" = -s ]; then
    signals=$2
    shift 2
fi
moments=("${@:-packages qt build wine}")
read -r -a moments <<<"${moments[*]}"
source scripts/lib/junit.sh
source scripts/lib/debian13-system.sh
cache=$(realpath "$debian13_cache")
sysroot=$cache/root
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mounts_under() { awk -v d="$cache" '$5 == d || index($5, d "/") == 1' /proc/self/mountinfo | wc -l; }
running_inside() { # the commands of processes whose root is the system
    local p
    for p in /proc/[0-9]*; do
        if [ "$(readlink "$p/root" 2>/dev/null)" = "$sysroot" ]; then cat "$p/comm" 2>/dev/null || true; fi
    done | sort | uniq -c | tr '\n' ' '
}
inside_has() { # start of a process name (wineserver64 is a wineserver): one runs in the system
    local p
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2>/dev/null)" = "$sysroot" ] && [[ "$(cat "$p/comm" 2>/dev/null)" == "$1"* ]] && return 0
    done
    return 1
}

# What brings a run to the moment, and how the moment is seen.
prepare() { # moment
    case $1 in
        packages) chroot "$sysroot" dpkg -r icoutils >/dev/null 2>&1 || true ;; # installed again first thing
        build) rm -rf build-win-leaving ;;                                       # a build from nothing
        *) ;;
    esac
}
step_of() { case $1 in wine) echo tests ;; *) echo build ;; esac; }
env_of() {
    case $1 in
        qt) echo "ORRA_WIN_CACHE=/tmp/no-qt ORRA_WIN_QT_ARCHIVE=/nonexistent" ;;
        build) echo "WIN_BUILD_DIR=build-win-leaving" ;;
        *) echo "" ;;
    esac
}
reached() { # moment, log
    case $1 in
        packages) inside_has dpkg || inside_has apt-get ;;
        qt) grep -q 'fetching Debian' "$2" && inside_has apt-get ;;
        build) inside_has cc1plus ;;
        wine) inside_has wineserver && grep -q 'QtTest suite under Wine' "$2" ;;
    esac
}

failed=0
for moment in "${moments[@]}"; do
    for signal in $signals; do
        for target in alone group; do
            name="SIG$signal to the script $target, $moment"
            log=$work/run.log
            prepare "$moment"
            # A process group of its own, so that the group can be signalled.
            # shellcheck disable=SC2046 # words of env
            setsid env $(env_of "$moment") timeout 3000 scripts/windows.sh "$(step_of "$moment")" >"$log" 2>&1 &
            leader=$!
            ok=0
            for _ in $(seq 1200); do
                reached "$moment" "$log" && { ok=1; break; }
                kill -0 "$leader" 2>/dev/null || break
                sleep 0.5
            done
            if [ "$ok" = 0 ]; then
                echo "  FAIL  $name: the moment never came"
                tail -n 5 "$log"
                junit_case "$name" 1 "the moment never came"
                failed=$((failed + 1))
                kill -TERM -- -"$leader" 2>/dev/null || true
                wait "$leader" 2>/dev/null || true
                continue
            fi
            if [ "$target" = alone ]; then
                # timeout's child: the script itself.
                kill -s "$signal" "$(pgrep -P "$leader" | head -n 1)"
            else
                kill -s "$signal" -- -"$leader"
            fi
            wait "$leader" 2>/dev/null || true
            # The last of what ran inside may take a moment to go.
            for _ in $(seq 60); do [ -z "$(running_inside)" ] && break; sleep 0.5; done
            left=$(mounts_under)
            still=$(running_inside)
            # dpkg ended half way is set right, as apt itself asks.
            [ "$moment" != packages ] || chroot "$sysroot" dpkg --configure -a >/dev/null 2>&1 || true
            if [ "$left" = 0 ] && [ -z "$still" ]; then
                echo "  ok    $name: nothing mounted or running"
                junit_case "$name" 0
            else
                echo "  FAIL  $name: $left mounts left, running: ${still:-nothing}"
                junit_case "$name" 1 "$left mounts left; running: $still"
                failed=$((failed + 1))
            fi
        done
    done
done
junit_write windows-leaving
[ "$failed" = 0 ]
