#!/usr/bin/env bash
# Builds the packages in a clean Debian 12 chroot that holds only the build-essential set and
# debian/control's Build-Depends (debootstrap from MIRROR, default the Debian archive), as an
# unprivileged user, then installs, checks and purges them there with
# tests/packaging/check_packages.sh. Prints the time of each step. Root; the chroot is made in
# CHROOT (default a new folder under /var/tmp) and removed at the end unless KEEP=1;
# DEBOOTSTRAP_ONLY=1 stops after debootstrap.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
mirror="${MIRROR:-http://deb.debian.org/debian}"
chroot_dir="${CHROOT:-$(mktemp -d /var/tmp/tessaran-chroot.XXXXXX)}"
[ "$(id -u)" = 0 ] || { echo "clean_build.sh: needs root (debootstrap, chroot)"; exit 1; }
bash "$root/scripts/setup.sh"
step_start=$(date +%s)
step() { echo "== $1 ($(($(date +%s) - step_start)) s since the start)"; }
in_chroot() { chroot "$chroot_dir" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }
cleanup() {
    umount "$chroot_dir/proc" "$chroot_dir/dev/pts" 2>/dev/null || true
    [ -n "${KEEP:-}" ] || rm -rf "$chroot_dir"
}
trap cleanup EXIT

# A chroot debootstrapped before (KEEP=1 DEBOOTSTRAP_ONLY=1) is used as it is.
if [ ! -f "$chroot_dir/etc/debian_version" ]; then
    step "debootstrap --variant=buildd bookworm from $mirror"
    debootstrap --variant=buildd bookworm "$chroot_dir" "$mirror" >"$chroot_dir.log" 2>&1 ||
        { tail -20 "$chroot_dir.log"; exit 1; }
    rm -f "$chroot_dir.log"
fi
[ -z "${DEBOOTSTRAP_ONLY:-}" ] || exit 0
step "source package"
SOURCE_ONLY=1 BUILD_DIR="$chroot_dir.source" OUT="$chroot_dir.source/out" bash "$root/scripts/packages.sh" >/dev/null

mount -t proc proc "$chroot_dir/proc"
mount -t devpts devpts "$chroot_dir/dev/pts"
cp /etc/resolv.conf "$chroot_dir/etc/resolv.conf"
mkdir -p "$chroot_dir/build"
cp "$chroot_dir.source/out"/* "$chroot_dir/build/"
rm -rf "$chroot_dir.source"

step "Build-Depends"
in_chroot sh -c 'cd /build && dpkg-source -x tessaran_*.dsc src >/dev/null &&
    DEBIAN_FRONTEND=noninteractive apt-get build-dep -y -qq --no-install-recommends ./src >/dev/null'
in_chroot useradd --create-home builder
in_chroot chown -R builder /build

step "dpkg-buildpackage as an unprivileged user"
in_chroot su builder -c 'cd /build/src && dpkg-buildpackage -us -uc -j2' >"$chroot_dir/build/build.log" 2>&1 ||
    { tail -40 "$chroot_dir/build/build.log"; exit 1; }

step "install, upgrade, autopkgtest's checks, purge"
in_chroot sh -c 'DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    lintian snmp iproute2 >/dev/null'
mkdir -p "$chroot_dir/build/packages"
mv "$chroot_dir"/build/*.deb "$chroot_dir"/build/*.ddeb "$chroot_dir"/build/*.changes \
    "$chroot_dir"/build/*.dsc "$chroot_dir"/build/*.tar.* "$chroot_dir"/build/*.buildinfo \
    "$chroot_dir/build/packages/"
in_chroot bash /build/src/tests/packaging/check_packages.sh /build/packages
step "done"
