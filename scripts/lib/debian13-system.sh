# shellcheck shell=bash
# Sourced by scripts/debian13.sh and scripts/windows.sh: the one Debian 13
# (trixie) system the project keeps, made once with debootstrap into
# ORRA_DEBIAN13 (default ~/.cache/orra-debian13), and a way to run commands in it.
#
#   enter_debian13 [HOST_PATH PATH_INSIDE]...   make it if needed; what inside binds there
#   inside COMMAND...                           run in it, with a clean environment
#
# Needs root. One script at a time uses the system (a lock); what was started
# in it ends with the calling script, and what was mounted for it with the
# command run there.

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

# Everything mounted at or under a folder, deepest first: only what a run of
# an earlier version of these scripts, which mounted in the machine's own
# namespace, may have left.
unmount_under() {
    local point
    awk -v dir="$1" '$5 == dir || index($5, dir "/") == 1 { print $5 }' /proc/self/mountinfo \
        | sort -r | while read -r point; do
        umount "$point" 2>/dev/null || umount -l "$point"
    done
}

# Processes still running in the system (a test, an X server, Wine) end with
# the calling script.
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
}

# Every mount the system needs is made in a mount namespace of its own
# (unshare), so the kernel takes them all away with the namespace's last
# process, however the run ends (SIGKILL too): none is ever seen, or left,
# under the cache, and deleting the cache cannot reach through one.
debian13_binds=()

enter_debian13() {
    command -v debootstrap >/dev/null || ensure_packages debootstrap
    mkdir -p "$debian13_cache"
    # One run at a time: another's clean-up would stop our processes.
    exec 9>"$debian13_cache/lock"
    flock 9
    trap leave_debian13 EXIT
    trap 'exit 143' TERM HUP
    trap 'exit 130' INT
    unmount_under "$debian13_cache"

    if [ ! -e "$debian13_root/.complete" ]; then
        printf '== Making a Debian 13 system in %s (once; about 2 minutes)\n' "$debian13_root"
        rm -rf --one-file-system "$debian13_cache/new" "$debian13_root"
        # debootstrap mounts /proc and /sys in the new system: in a namespace of its own too.
        unshare --mount --propagation slave \
            debootstrap --variant=minbase --include=git,ca-certificates trixie "$debian13_cache/new" \
            "$(debian_mirror)" >"$debian13_cache/debootstrap.log" 2>&1 &
        wait $! || {
            tail -n 20 "$debian13_cache/debootstrap.log" >&2
            debian13_fail "debootstrap failed (log: $debian13_cache/debootstrap.log); run the same command again to retry"
        }
        # Packages installed there start no services.
        printf '#!/bin/sh\nexit 101\n' >"$debian13_cache/new/usr/sbin/policy-rc.d"
        chmod +x "$debian13_cache/new/usr/sbin/policy-rc.d"
        touch "$debian13_cache/new/.complete"
        mv "$debian13_cache/new" "$debian13_root"
    fi

    debian13_binds=()
    local r=$debian13_root
    while (($# >= 2)); do
        # A file (a key, a certificate) is bound onto a file, a folder onto a folder.
        if [ -d "$1" ]; then
            mkdir -p "$r$2"
        else
            mkdir -p "$(dirname "$r$2")"
            [ -e "$r$2" ] || : >"$r$2"
        fi
        debian13_binds+=("$1" "$2")
        shift 2
    done
    cp /etc/resolv.conf "$r/etc/resolv.conf"
}

# Runs a command in the system, in a new mount namespace with /dev (with
# /dev/pts and /dev/shm, which Wine needs), /proc, /sys, a fresh /tmp and the
# folders given to enter_debian13. In the background and waited for, so that
# an interruption is handled at once. Without the system's lock (fd 9):
# something left running in the system must not keep the next script out.
inside() {
    unshare --mount --propagation slave bash -c '
        set -e
        r=$1 n=$2
        shift 2
        mount --rbind /dev "$r/dev"
        mount --bind /proc "$r/proc"
        mount --rbind /sys "$r/sys"
        mount -t tmpfs tmpfs "$r/tmp"
        while ((n > 0)); do
            mount --bind "$1" "$r$2"
            shift 2
            n=$((n - 1))
        done
        exec chroot "$r" "$@"' _ "$debian13_root" $((${#debian13_binds[@]} / 2)) "${debian13_binds[@]}" \
        /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb CI="${CI:-}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        CCACHE_DIR=/var/cache/orra-ccache "$@" 9>&- &
    wait $!
}
