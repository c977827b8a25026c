#!/usr/bin/env bash
# The Debian packages as a package reviewer and a user meet them (root; exits 77 without):
#   check_packages.sh PACKAGES_DIR [BUILD_DIR]
# PACKAGES_DIR holds what scripts/packages.sh made (the .changes, the source and binary
# packages); BUILD_DIR, a build tree of the source: its expected_table derives the table the
# console must show from snmpwalk (without it, the row count is checked). lintian (pedantic, info tags too) finds no error or warning and every tag
# it still reports is explained in docs/packages.md. A previous build (these packages with a
# lower version) is installed, its rmonprobe.conf edited, and the packages upgraded to these:
# the edit stays. With the shipped configuration back, debian/tests/ runs as autopkgtest
# would; then both packages are purged and no file of theirs may be left. The rmonprobe user
# stays, as Debian keeps system users.
set -euo pipefail
packages="$(cd "$1" && pwd)"
expected=()
if [ $# -gt 1 ]; then
    expected=("$(cd "$2" && pwd)/bin/expected_table" 127.0.0.1:1161 /etc/tessaran/ethers
        /usr/share/ieee-data)
fi
root="$(cd "$(dirname "$0")/../.." && pwd)"
unit_link=/etc/systemd/system/multi-user.target.wants/rmonprobe.service
conf=/etc/rmonprobe/rmonprobe.conf
work="$(mktemp -d)"

fail() { echo "FAIL: $*" >&2; exit 1; }
cleanup() {
    apt-get purge -y -qq tessaran rmonprobe >/dev/null 2>&1 || true
    rm -rf "$work"
}

[ "$(id -u)" = 0 ] || { echo "SKIP: installing packages needs root"; exit 77; }
for package in tessaran rmonprobe; do
    if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q installed; then
        fail "$package is installed already; this test installs and purges its own"
    fi
done
trap cleanup EXIT
# Debian keeps system users after a purge: one left by an earlier install keeps its fields.
user_before="$(getent passwd rmonprobe || true)"
debs=("$packages"/tessaran_*.deb "$packages"/rmonprobe_*.deb)
version="$(dpkg-deb -f "${debs[1]}" Version)"

echo "== lintian --pedantic --info"
lintian --pedantic --info --fail-on error,warning "$packages"/tessaran_*.changes \
    >"$work/lintian" 2>&1 || { cat "$work/lintian"; fail "lintian found errors or warnings"; }
grep -v "running with root privileges" "$work/lintian" || true
for tag in $(awk '/^[IP]: / {print $3}' "$work/lintian" | sort -u); do
    grep -q "\`$tag\`" "$root/docs/packages.md" || fail "lintian tag $tag is not explained in docs/packages.md"
done

echo "== a previous build installed, its configuration edited, upgraded to $version"
for deb in "${debs[@]}"; do
    name="$(basename "$deb" .deb)"
    dpkg-deb -R "$deb" "$work/$name"
    sed -i "s/^Version: .*/Version: ${version%-*}-0~previous/" "$work/$name/DEBIAN/control"
    dpkg-deb --root-owner-group -b "$work/$name" "$work/previous-$name.deb" >/dev/null
done
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "$work"/previous-*.deb >/dev/null
echo 'contact "NOC desk #3"' >>"$conf"
apt-get install -y -qq -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold \
    "${debs[@]}" >/dev/null
[ "$(dpkg-query -W -f='${Version}' rmonprobe)" = "$version" ] || fail "not upgraded to $version"
grep -q '^contact "NOC desk #3"$' "$conf" || fail "the upgrade lost the edit of $conf"
/usr/sbin/rmonprobe --config "$conf" --check-config >/dev/null || fail "the edited $conf is refused"
dpkg-deb --fsys-tarfile "${debs[1]}" | tar -xOf - ".$conf" >"$conf"

echo "== installed"
/usr/bin/quillon --version | grep -qx "quillon ${version%-*}" || fail "quillon --version"
/usr/sbin/rmonprobe --version | grep -qx "rmonprobe ${version%-*}" || fail "rmonprobe --version"
if ldd /usr/bin/quillon /usr/lib/*/tessaran/*.so | grep -q "not found"; then
    fail "a library is not found without LD_LIBRARY_PATH"
fi
[ -n "$user_before" ] ||
    [ "$(getent passwd rmonprobe | cut -d: -f5 | cut -d, -f1)" = "Tessaran RMON probe" ] ||
    fail "the rmonprobe user has no GECOS: $(getent passwd rmonprobe)"
[ -L "$unit_link" ] || fail "rmonprobe.service is not enabled"
[ "$(stat -c '%U:%G %a' "$conf")" = "root:rmonprobe 640" ] || fail "$conf is $(stat -c '%U:%G %a' "$conf")"

echo "== autopkgtest's checks (debian/tests)"
chmod 755 "$work" # the probe's user reads the capture below it
export AUTOPKGTEST_TMP="$work"
bash "$root/debian/tests/probe-as-shipped"
bash "$root/debian/tests/console-walks-probe" "${expected[@]}"

echo "== purge"
files="$(for deb in "${debs[@]}"; do dpkg-deb -c "$deb"; done | awk '$1 !~ /^d/ {print substr($6, 2)}')"
mkdir -p /var/lib/rmonprobe # as systemd makes the unit's StateDirectory
apt-get purge -y -qq tessaran rmonprobe >/dev/null
for file in $files /etc/tessaran /etc/rmonprobe /var/lib/rmonprobe \
    /usr/lib/x86_64-linux-gnu/tessaran "$unit_link"; do
    if [ -e "$file" ] || [ -L "$file" ]; then fail "$file is left after the purge"; fi
done
dpkg-statoverride --list "$conf" >/dev/null && fail "a stat override is left"
getent passwd rmonprobe >/dev/null || fail "the rmonprobe user went with the purge"
trap - EXIT
rm -rf "$work"
echo "ok: lintian clean, upgraded with the edited configuration kept, autopkgtest's checks pass, purged without leftovers"
