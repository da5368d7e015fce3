#!/usr/bin/env bash
# Runs the README's test command in a minimal Debian system of another release, as a school's
# technician would on a fresh machine:
#   tests/distro/run.sh trixie
#   tests/distro/run.sh --release-suite trixie    runs ./dev test release: the Release suite only
# The system is made with debootstrap under build/distro/<release> and kept, so that a second
# run reuses it (and the packages the first one installed); the checkout's committed HEAD is
# cloned into it afresh every time. Needs root (sudo works), debootstrap and the package
# archive. Every mount it makes is undone, and every process left inside the system ended, on
# every way out.
set -euo pipefail

scope=
if [ "${1:-}" = --release-suite ]; then
    scope=release
    shift
fi
release=${1:-}
if [ -z "$release" ] || [ $# -ne 1 ]; then
    echo "usage: tests/distro/run.sh [--release-suite] RELEASE   (for instance trixie)" >&2
    exit 2
fi
top=$(cd "$(dirname "$0")/../.." && pwd)
root=$top/build/distro/$release
mirror=${RECTA_DEBIAN_MIRROR:-http://deb.debian.org/debian}
log_dir=$top/build/distro/logs
started=$SECONDS
mounted=()

say() { printf 'distro %s: %s\n' "$release" "$*"; }
fail() {
    printf 'distro %s: FAILED: %s\n' "$release" "$*" >&2
    exit 1
}

# Processes still running inside the system (a daemon a test left behind) would keep its
# mounts busy: they are ended by pid, then the mounts are undone, newest first.
inside_pids() {
    local proc pids=()
    for proc in /proc/[0-9]*; do
        [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] && pids+=("${proc#/proc/}")
    done
    echo "${pids[@]}"
}
cleanup() {
    local status=$? pids i
    pids=$(inside_pids)
    if [ -n "$pids" ]; then
        # shellcheck disable=SC2086
        kill -TERM $pids 2>/dev/null || true
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            [ -z "$(inside_pids)" ] && break
            sleep 0.5
        done
        pids=$(inside_pids)
        # shellcheck disable=SC2086
        [ -n "$pids" ] && kill -KILL $pids 2>/dev/null
    fi
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" 2>/dev/null \
            || { echo "distro $release: could not unmount ${mounted[i]}" >&2; status=1; }
    done
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

[ "$(id -u)" -eq 0 ] || fail "needs root: run it as root or through sudo"
command -v debootstrap >/dev/null \
    || fail "debootstrap is not installed (apt-get install debootstrap)"
command -v git >/dev/null || fail "git is not installed"
mkdir -p "$log_dir"

# One run at a time uses a system.
exec 9>"$top/build/distro/$release.lock"
flock -n 9 || fail "another run is using build/distro/$release"

if [ -f "$root/.recta-complete" ]; then
    say "reusing the Debian $release system in build/distro/$release"
else
    say "making a minimal Debian $release system in build/distro/$release (debootstrap)"
    rm -rf "$root.partial"
    if ! debootstrap --variant=minbase "$release" "$root.partial" "$mirror" \
        >"$log_dir/debootstrap.log" 2>&1; then
        fail "debootstrap could not make the system from $mirror ($(grep -E '^E:|W:' \
            "$log_dir/debootstrap.log" | tail -n 1)); its log is build/distro/logs/debootstrap.log"
    fi
    # Packages installed in the system must not start their services: there is no init here,
    # and a daemon would outlive the run.
    printf '#!/bin/sh\nexit 101\n' >"$root.partial/usr/sbin/policy-rc.d"
    chmod +x "$root.partial/usr/sbin/policy-rc.d"
    rm -rf "$root"
    mv "$root.partial" "$root"
    touch "$root/.recta-complete"
fi
cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true

say "binding /proc, /sys, /dev, /dev/pts and /dev/shm"
for dir in /proc /sys /dev /dev/pts /dev/shm; do
    mkdir -p "$root$dir"
    mount --bind "$dir" "$root$dir" 2>"$log_dir/mount.log" \
        || fail "cannot bind $dir into the system: $(head -n 1 "$log_dir/mount.log")"
    mounted+=("$root$dir")
done

say "cloning $(git -C "$top" rev-parse --short HEAD) into /root/recta"
rm -rf "$root/root/recta"
git clone --quiet --no-hardlinks "$top" "$root/root/recta" || fail "cannot clone the checkout"

say "running ./dev test $scope in Debian $release ($(cat "$root/etc/debian_version"))"
# A bare environment, as a fresh machine's root has: no locale (C), no display, no session bus;
# the tests must bring their own.
# In the background and waited for, so that a signal ends the run at once (the cleanup then
# ends what runs inside) rather than once the tests are over.
chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb CI="${CI:-}" \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/bash -c "cd /root/recta && ./dev test $scope" </dev/null &
wait $! || fail "./dev test $scope failed in Debian $release after $((SECONDS - started)) s"

# A package installs with apt as a technician would install it, starts, and goes again.
# RECTA_DEB names it inside the system.
install_and_start() {
    local what=$1 deb=$2
    say "installing $what with apt, starting it, removing it"
    chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb RECTA_DEB="$deb" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin /bin/bash -c '
        set -u
        export DEBIAN_FRONTEND=noninteractive
        apt-get install -y "$RECTA_DEB" || exit 1
        # Still running after five seconds, its window up: it started.
        status=0
        XDG_RUNTIME_DIR=$(mktemp -d) LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen timeout 5 recta \
            || status=$?
        [ "$status" -eq 124 ] || { echo "recta ended with status $status"; exit 1; }
        apt-get remove -y recta' >"$log_dir/install.log" 2>&1 \
        || { tail -n 20 "$log_dir/install.log" >&2; fail "$what does not install and start"; }
}
chroot "$root" /bin/sh -c 'cd /root/recta/build/release && cpack -B /root/deb-here' \
    >"$log_dir/cpack.log" 2>&1 || { cat "$log_dir/cpack.log" >&2; fail "cpack failed"; }
install_and_start "the package built in Debian $release" "$(cd "$root" && ls root/deb-here/recta_*.deb \
    | sed 's|^|/|')"
if [ -f "$top/build/release/CPackConfig.cmake" ] && command -v cpack >/dev/null; then
    rm -rf "$root/root/deb-host"
    cpack --config "$top/build/release/CPackConfig.cmake" -B "$root/root/deb-host" \
        >"$log_dir/cpack-host.log" 2>&1 || { cat "$log_dir/cpack-host.log" >&2; fail "cpack failed here"; }
    install_and_start "the package built here (Debian $(cat /etc/debian_version))" \
        "$(cd "$root" && ls root/deb-host/recta_*.deb | sed 's|^|/|')"
fi
say "passed in $((SECONDS - started)) s"
