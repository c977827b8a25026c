#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (clang, ASan, UBSan) in build-fuzz and runs each
# for SECONDS seconds (default 10), starting from its seed corpus fuzz/corpus/TARGET.
# Inputs a run finds are kept in build-fuzz/fuzz-corpus/TARGET (the checked-in seeds are
# not touched); an input that fails is written to build-fuzz/fuzz-findings/ and ends the
# script with its log.
# FUZZ_SEED=N makes a run reproducible: libFuzzer's seed N, FUZZ_RUNS inputs per target
# (default 20000, SECONDS still bounding each), and only the checked-in seeds as the
# starting corpus, so a failure belongs to the code, not to an earlier run. CI uses it;
# runs with a random seed stay for by hand.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (TARGET: a folder name of fuzz/corpus)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-10}"
shift || true
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
BUILD_DIR="$build" TESSARAN_FUZZ=1 bash "$root/scripts/build.sh"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for dir in "$root"/fuzz/corpus/*/; do
        targets+=("$(basename "$dir")")
    done
fi
fixed=()
if [ -n "${FUZZ_SEED:-}" ]; then
    fixed=(-seed="$FUZZ_SEED" -runs="${FUZZ_RUNS:-20000}")
fi
findings="$build/fuzz-findings"
mkdir -p "$findings"
for target in "${targets[@]}"; do
    corpus="$build/fuzz-corpus/$target"
    log="$build/fuzz-$target.log"
    [ -n "${FUZZ_SEED:-}" ] && rm -rf "$corpus"
    mkdir -p "$corpus"
    if ! "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 \
        -print_final_stats=1 -artifact_prefix="$findings/$target-" "${fixed[@]}" \
        "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "fuzz.sh: fuzz_$target failed; the input is in $findings" >&2
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz_$target: ${runs:-?} runs in ${seconds} s, no fault"
done
