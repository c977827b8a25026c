#!/usr/bin/env bash
# Configures and builds the project. BUILD_DIR picks the build tree (default: build);
# TESSARAN_SANITIZE=1 builds with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
sanitize="${TESSARAN_SANITIZE:-0}"
[ "$sanitize" = 1 ] && san=ON || san=OFF
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARAN_SANITIZE=$san >/dev/null
cmake --build "$build" -j "$(nproc)"
