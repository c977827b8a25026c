#!/usr/bin/env bash
# Configures and builds the project. BUILD_DIR picks the build tree (default: build);
# TESSARAN_SANITIZE=1 builds with AddressSanitizer and UndefinedBehaviorSanitizer;
# TESSARAN_FUZZ=1 builds only the libFuzzer targets of fuzz/, with clang. Arguments go to
# `cmake --build`: `--target programs` builds only what the console and the probes need.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
sanitize="${TESSARAN_SANITIZE:-0}"
[ "$sanitize" = 1 ] && san=ON || san=OFF
fuzz=(-DTESSARAN_FUZZ=OFF)
targets=("$@")
if [ "${TESSARAN_FUZZ:-0}" = 1 ]; then
    fuzz=(-DTESSARAN_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
    targets=(--target fuzzers)
fi
# ccache, when installed, shares compiled objects between build trees and checkouts: paths
# are made relative to the checkout's parent, and the build folder (which -g would hash)
# is left out of the key.
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$root")}"
    export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARAN_SANITIZE=$san \
    "${fuzz[@]}" "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
