#!/usr/bin/env bash
# Runs a command on Debian 13 (trixie, Qt 6.8, Orca 48), in a chroot with this checkout at the
# same path:
#
#   sudo bash tools/debian13.sh bash tools/dev.sh test-here
#
# The chroot is made with debootstrap from the Debian archive this machine uses, on first use,
# and kept in ${NURVELO_CACHE:-~/.cache/nurvelo}/debian13 (about 3 GB once the tests' packages
# are in); delete that folder to start afresh. Needs root and debootstrap.
set -euo pipefail
checkout=$(cd "$(dirname "$0")/.." && pwd)
cache=${NURVELO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/nurvelo}
root=$cache/debian13

# The mounts live in a mount namespace of their own, so they are gone with it whatever happens;
# they are still taken down one by one on the way out, as a chroot's mounts should be. In a
# process namespace of its own too: what the command leaves running (a Wine server, a virtual
# screen) ends with it and keeps no mount busy.
if [ "${1:-}" != --in-namespace ]; then
    [ "$(id -u)" -eq 0 ] || { echo "$0: needs root (sudo)" >&2; exit 1; }
    exec unshare --mount --propagation private --pid --fork -- bash "$0" --in-namespace "$@"
fi
shift

# Read whole before it runs, so that an edit meanwhile cannot change what a long run does.
main() {
    if [ ! -e "$root/.made" ]; then
        # A chroot left half made: nothing may be mounted in it when it goes.
        if [ -e "$root" ]; then
            ! findmnt -rno TARGET | grep -q "^$root" || { echo "$root has mounts" >&2; exit 1; }
            rm -rf --one-file-system "$root"
        fi
        mirror=$(grep -rhoE 'https?://[^ ]*/debian/?$' /etc/apt/sources.list \
            /etc/apt/sources.list.d/ 2>/dev/null | head -n 1 || true)
        mirror=${mirror:-http://deb.debian.org/debian}
        mkdir -p "$cache"
        debootstrap --variant=minbase trixie "$root" "${mirror%/}"
        # Debian 13 as a fresh installation has it, with the updates and the sources for
        # `apt-get source`; services stay off in a chroot.
        rm -f "$root/etc/apt/sources.list"
        cat >"$root/etc/apt/sources.list.d/debian.sources" <<EOF
Types: deb deb-src
URIs: ${mirror%/}
Suites: trixie trixie-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb deb-src
URIs: ${mirror%/}-security
Suites: trixie-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
        printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
        chmod 755 "$root/usr/sbin/policy-rc.d"
        touch "$root/.made"
    fi
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    # The certificate authorities this machine trusts, for what the chroot fetches over HTTPS
    # (npm's registry): a network that looks into HTTPS vouches for itself with one of its own.
    cp /etc/ssl/certs/ca-certificates.crt "$root/etc/nurvelo-host-ca.crt" 2>/dev/null || true

    mounted=()
    unmount() {
        local i
        # This script is the namespace's first process: -1 reaches every other one in it, no more.
        kill -KILL -1 2>/dev/null || true
        for _ in $(seq 50); do
            [ "$(find "$root/proc" -maxdepth 1 -name '[0-9]*' | wc -l)" -le 1 ] && break
            sleep 0.1
        done
        for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount "${mounted[i]}" || umount -l "${mounted[i]}"; done
    }
    trap unmount EXIT
    bind() {
        mkdir -p "$root$1"
        mount --bind "$1" "$root$1"
        mounted+=("$root$1")
    }
    # The root a mount of its own, as a system's root is, so that tools inside may make mounts
    # private there (unshare does).
    mount --bind "$root" "$root" && mounted+=("$root")
    mount -t proc proc "$root/proc" && mounted+=("$root/proc")
    for dir in /sys /dev /dev/pts /dev/shm "$checkout"; do bind "$dir"; done

    # A clean environment, as on a machine of its own.
    status=0
    chroot "$root" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        NURVELO_BUILD=build-debian13 NURVELO_FUZZ_SECONDS="${NURVELO_FUZZ_SECONDS:-30}" \
        NODE_EXTRA_CA_CERTS=/etc/nurvelo-host-ca.crt \
        bash -c 'cd "$0" && exec "$@"' "$checkout" "$@" || status=$?
    exit $status
}
main "$@"
