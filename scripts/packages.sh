#!/usr/bin/env bash
# Builds the Debian packages tessaran and rmonprobe into OUT (default: build-deb/packages):
# a tree of its own (BUILD_DIR, default build-deb) configured for an installed system
# (prefix /usr, data and catalogs read from there), with Debian's hardening flags, then
# CPack's DEB generator. Install with `apt-get install ./build-deb/packages/*.deb`.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-deb}"
out="${OUT:-$build/packages}"
bash "$root/scripts/setup.sh"
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$root")}"
    export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# Debian's build flags (fortify, stack protector, relro, now) on top of the project's own.
export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CFLAGS CXXFLAGS LDFLAGS
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_INSTALL_PREFIX=/usr -DTESSARAN_SYSTEM_INSTALL=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target programs package_files
mkdir -p "$out"
(cd "$build" && cpack -G DEB >/dev/null)
mv "$build"/*.deb "$out"/
ls "$out"/*.deb
