#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test with Qt's offscreen platform. The
# sanitizer half (TESSARAN_SANITIZE=1) then runs every fuzz target for FUZZ_SECONDS
# seconds (default 10; 0 skips them) in its own clang tree (scripts/fuzz.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
build="${BUILD_DIR:-$root/build}"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300
if [ "${TESSARAN_SANITIZE:-0}" = 1 ] && [ "${FUZZ_SECONDS:-10}" != 0 ]; then
    bash "$root/scripts/fuzz.sh" "${FUZZ_SECONDS:-10}"
fi
