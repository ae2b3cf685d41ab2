# shellcheck shell=bash
# Sourced by scripts/debian13.sh and scripts/windows.sh: the one Debian 13
# (trixie) system the project keeps, made once with debootstrap into
# ORRA_DEBIAN13 (default ~/.cache/orra-debian13), and a way to run commands in it.
#
#   enter_debian13 [HOST_FOLDER FOLDER_INSIDE]...   make it if needed, mount, bind the folders
#   inside COMMAND...                               run in it, with a clean environment
#
# Needs root. One script at a time uses the system (a lock), and whatever was
# mounted or started in it ends with the calling script.

debian13_cache=${ORRA_DEBIAN13:-${XDG_CACHE_HOME:-$HOME/.cache}/orra-debian13}
debian13_root=$(realpath -m "$debian13_cache/root")

debian13_fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The Debian archive this machine's apt uses (one-line or deb822 lists).
debian_mirror() {
    local uri
    uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
              2>/dev/null | grep -v '^ *#' | grep -o -E 'https?://[^ ]*/debian/?( |$)' | head -n 1 || true)
    uri=${uri%% }
    echo "${uri:-http://deb.debian.org/debian}"
}

# Everything mounted at or under a folder, deepest first.
unmount_under() {
    local point
    awk -v dir="$1" '$5 == dir || index($5, dir "/") == 1 { print $5 }' /proc/self/mountinfo \
        | sort -r | while read -r point; do
        umount "$point" 2>/dev/null || umount -l "$point"
    done
}

# Processes still running in the system (a test, an X server, Wine) end
# before its mounts go.
stop_inside() {
    local proc left signal
    for signal in TERM TERM TERM TERM TERM TERM TERM TERM TERM KILL; do
        left=()
        for proc in /proc/[0-9]*; do
            [ "$(readlink "$proc/root" 2>/dev/null)" = "$debian13_root" ] && left+=("${proc#/proc/}")
        done
        ((${#left[@]})) || return 0
        kill -s "$signal" "${left[@]}" 2>/dev/null || true
        sleep 0.5
    done
}

leave_debian13() {
    stop_inside
    unmount_under "$debian13_cache/new"
    unmount_under "$debian13_root"
}

enter_debian13() {
    command -v debootstrap >/dev/null || ensure_packages debootstrap
    mkdir -p "$debian13_cache"
    # One run at a time: another's clean-up would unmount ours.
    exec 9>"$debian13_cache/lock"
    flock 9
    trap leave_debian13 EXIT
    trap 'exit 143' TERM HUP
    trap 'exit 130' INT

    if [ ! -e "$debian13_root/.complete" ]; then
        printf '== Making a Debian 13 system in %s (once; about 2 minutes)\n' "$debian13_root"
        unmount_under "$debian13_cache/new"
        rm -rf --one-file-system "$debian13_cache/new" "$debian13_root"
        debootstrap --variant=minbase --include=git,ca-certificates trixie "$debian13_cache/new" \
            "$(debian_mirror)" >"$debian13_cache/debootstrap.log" 2>&1 || {
            tail -n 20 "$debian13_cache/debootstrap.log" >&2
            debian13_fail "debootstrap failed (log: $debian13_cache/debootstrap.log); run the same command again to retry"
        }
        # Packages installed there start no services.
        printf '#!/bin/sh\nexit 101\n' >"$debian13_cache/new/usr/sbin/policy-rc.d"
        chmod +x "$debian13_cache/new/usr/sbin/policy-rc.d"
        touch "$debian13_cache/new/.complete"
        mv "$debian13_cache/new" "$debian13_root"
    fi

    leave_debian13 # what a killed run may have left
    local r=$debian13_root
    mount --rbind /dev "$r/dev"
    mount --make-rslave "$r/dev"
    mount --bind /proc "$r/proc"
    mount --rbind /sys "$r/sys"
    mount --make-rslave "$r/sys"
    mount -t tmpfs tmpfs "$r/tmp"
    while (($# >= 2)); do
        mkdir -p "$r$2"
        mount --bind "$1" "$r$2"
        shift 2
    done
    cp /etc/resolv.conf "$r/etc/resolv.conf"
}

# In the background and waited for, so that an interruption is handled at once.
# Without the system's lock (fd 9): something left running in the system must
# not keep the next script out.
inside() {
    chroot "$debian13_root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb CI="${CI:-}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        CCACHE_DIR=/var/cache/orra-ccache "$@" 9>&- &
    wait $!
}
