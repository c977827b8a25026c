#!/usr/bin/env bash
# Builds the Debian source package tessaran and its binary packages tessaran and rmonprobe
# (with their debug symbols) with dpkg-buildpackage into OUT (default build-deb/packages).
# The source is the tree's files as they stand (uncommitted changes too), copied to
# BUILD_DIR/tessaran-VERSION (default build-deb); the version is debian/changelog's.
# SOURCE_ONLY=1 makes the source package alone. Install with
# `apt-get install ./build-deb/packages/*.deb`.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-deb}"
out="${OUT:-$build/packages}"
bash "$root/scripts/setup.sh"
version="$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)"
upstream="${version%-*}"
epoch="$(dpkg-parsechangelog -l "$root/debian/changelog" -S Timestamp)"
source="$build/tessaran-$upstream"

rm -rf "$source" "$build"/tessaran_* "$out"
mkdir -p "$source" "$out"
git -C "$root" ls-files -z --cached --others --exclude-standard |
    (cd "$root" && while IFS= read -r -d '' file; do [ -f "$file" ] && printf '%s\0' "$file"; done) |
    (cd "$root" && tar --null -T - -cf -) | tar -xf - -C "$source"
# Modes as git knows them (644, or 755 for programs; folders 755), whatever the umask of the
# checkout and of this build: both source tarballs carry them.
chmod -R u+rwX,go+rX,go-w "$source"
# The upstream tarball: the tree without debian/, its order, times and owners fixed.
tar --sort=name --mtime="@$epoch" --owner=0 --group=0 --numeric-owner --exclude=debian \
    -C "$build" -cf - "tessaran-$upstream" | xz -9 >"$build/tessaran_$upstream.orig.tar.xz"

if command -v ccache >/dev/null && [ -z "${CCACHE_DISABLE:-}" ]; then
    export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
    export CCACHE_BASEDIR="$source" CCACHE_NOHASHDIR=true
fi
what=(-j"$(nproc)")
[ -n "${SOURCE_ONLY:-}" ] && what=(-S -d)
(cd "$source" && dpkg-buildpackage -us -uc "${what[@]}" >"$build/build.log" 2>&1) ||
    { tail -40 "$build/build.log"; echo "packages.sh: dpkg-buildpackage failed (log: $build/build.log)"; exit 1; }
mv "$build"/tessaran_"$upstream".orig.tar.xz "$build"/*_"$version"[._]* "$out"/
ls "$out"
