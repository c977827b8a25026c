#!/usr/bin/env bash
# Builds the packages in a clean Debian 12 chroot that holds only the build-essential set and
# debian/control's Build-Depends (debootstrap from MIRROR, default the Debian archive), as an
# unprivileged user, then installs, checks and purges them there with
# tests/packaging/check_packages.sh, and runs debian/tests with autopkgtest on them (its
# chroot virtualisation server, in the same chroot). Prints the time of each step. Root; the
# chroot is made in CHROOT (default a new folder under /var/tmp) and removed at the end
# unless KEEP=1; DEBOOTSTRAP_ONLY=1 stops after debootstrap. On a shared machine,
# LOCK=FILE runs the build and the checks (not the downloads) under `flock FILE`, and
# NICE=N runs them at that niceness.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
mirror="${MIRROR:-http://deb.debian.org/debian}"
chroot_dir="${CHROOT:-$(mktemp -d /var/tmp/tessaran-chroot.XXXXXX)}"
[ "$(id -u)" = 0 ] || { echo "clean_build.sh: needs root (debootstrap, chroot)"; exit 1; }
bash "$root/scripts/setup.sh"
start=$(date +%s)
step_start=$start
step() {
    local now
    now=$(date +%s)
    echo "== $1 (previous step $((now - step_start)) s; $((now - start - waited)) s since the start, not counting $waited s waiting for the lock)"
    step_start=$now
}
in_chroot() { chroot "$chroot_dir" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }
# The step's time leaves out the wait for the lock; the total says how long all waits took.
waited=0
heavy() {
    local fd='' asked status=0
    if [ -n "${LOCK:-}" ]; then
        asked=$(date +%s)
        exec {fd}>>"$LOCK"
        flock "$fd"
        echo "   waited $(($(date +%s) - asked)) s for $LOCK"
        waited=$((waited + $(date +%s) - asked))
        step_start=$((step_start + $(date +%s) - asked))
    fi
    nice -n "${NICE:-0}" "$@" || status=$?
    [ -z "$fd" ] || exec {fd}>&-
    return "$status"
}
# Every mount below the chroot (ours, or one debootstrap left when it failed), innermost
# first; the chroot is removed only when none is left, so no rm reaches the host's files.
cleanup() {
    local mounts
    mounts="$(awk -v dir="$chroot_dir/" 'index($2 "/", dir) == 1 {print $2}' /proc/mounts | sort -r)"
    for mount in $mounts; do umount "$mount" || umount -l "$mount" || true; done
    rm -rf "$chroot_dir.source"
    if [ -z "${KEEP:-}" ] && ! awk -v dir="$chroot_dir/" 'index($2 "/", dir) == 1 {exit 1}' /proc/mounts; then
        echo "clean_build.sh: $chroot_dir still has mounts; left in place" >&2
    elif [ -z "${KEEP:-}" ]; then
        rm -rf "$chroot_dir"
    fi
}
trap cleanup EXIT

# A chroot debootstrapped before (KEEP=1 DEBOOTSTRAP_ONLY=1) is used as it is.
if [ ! -f "$chroot_dir/etc/debian_version" ]; then
    step "debootstrap --variant=buildd bookworm from $mirror"
    debootstrap --variant=buildd bookworm "$chroot_dir" "$mirror" >"$chroot_dir.log" 2>&1 ||
        { tail -20 "$chroot_dir.log"; exit 1; }
    rm -f "$chroot_dir.log"
fi
[ -z "${DEBOOTSTRAP_ONLY:-}" ] || { step "debootstrapped"; exit 0; }
step "source package"
SOURCE_ONLY=1 BUILD_DIR="$chroot_dir.source" OUT="$chroot_dir.source/out" bash "$root/scripts/packages.sh" >/dev/null

mount -t proc proc "$chroot_dir/proc"
mount -t devpts -o newinstance devpts "$chroot_dir/dev/pts"
cp /etc/resolv.conf "$chroot_dir/etc/resolv.conf"
rm -rf "$chroot_dir/build"
mkdir -p "$chroot_dir/build"
cp "$chroot_dir.source/out"/* "$chroot_dir/build/"

step "Build-Depends"
in_chroot sh -c 'cd /build && dpkg-source -x tessaran_*.dsc src >/dev/null &&
    DEBIAN_FRONTEND=noninteractive apt-get build-dep -y -qq --no-install-recommends ./src >/dev/null'
getent_builder="$(in_chroot getent passwd builder || true)"
[ -n "$getent_builder" ] || in_chroot useradd --create-home builder
in_chroot chown -R builder /build

step "dpkg-buildpackage as an unprivileged user"
heavy chroot "$chroot_dir" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
    DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:-}" \
    su builder -c 'cd /build/src && dpkg-buildpackage -us -uc -j2' >"$chroot_dir/build/build.log" 2>&1 ||
    { tail -40 "$chroot_dir/build/build.log"; exit 1; }

step "test tools (lintian, snmp, iproute2), not Build-Depends"
in_chroot sh -c 'DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    lintian snmp iproute2 >/dev/null'
mkdir -p "$chroot_dir/build/packages"
mv "$chroot_dir"/build/*.deb "$chroot_dir"/build/*.changes \
    "$chroot_dir"/build/*.dsc "$chroot_dir"/build/*.tar.* "$chroot_dir"/build/*.buildinfo \
    "$chroot_dir/build/packages/"

step "install, upgrade, autopkgtest's checks, purge"
heavy chroot "$chroot_dir" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
    bash /build/src/tests/packaging/check_packages.sh /build/packages

step "autopkgtest (chroot virtualisation server) on the built packages"
heavy autopkgtest --output-dir "$chroot_dir.autopkgtest" "$chroot_dir"/build/packages/tessaran_*.deb \
    "$chroot_dir"/build/packages/rmonprobe_*.deb "$chroot_dir/build/src" -- chroot "$chroot_dir" ||
    { echo "autopkgtest failed (its log: $chroot_dir.autopkgtest/log)"; exit 1; }
rm -rf "$chroot_dir.autopkgtest"
step "done"
