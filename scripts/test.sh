#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the tests with Qt's offscreen platform: every
# test but the long ones (CTest label `slow`: the full soak and the like), which CI runs as
# a stage of its own (.ci/run); TESSARAN_SLOW=1 runs those too. BUILD_DIR picks the build
# tree, TESSARAN_SANITIZE=1 builds it with ASan and UBSan.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
build="${BUILD_DIR:-$root/build}"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
select=(-LE slow)
[ "${TESSARAN_SLOW:-0}" = 1 ] && select=()
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300 "${select[@]}"
