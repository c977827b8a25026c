#!/usr/bin/env bash
# Builds the packages twice, in two folders of different names and path lengths, without
# ccache, and compares every file the two builds made (binary and debug symbol packages, the
# source package): bit-identical, or the names of those that differ. Prints the time each
# build took. WORK picks the parent folder (default /var/tmp).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d "${WORK:-/var/tmp}/reproducible.XXXXXX")"
export CCACHE_DISABLE=1
for folder in a "second-build-in-a-longer-folder"; do
    start=$(date +%s)
    BUILD_DIR="$work/$folder" OUT="$work/$folder/out" bash "$root/scripts/packages.sh" >/dev/null
    echo "build in $work/$folder: $(($(date +%s) - start)) s"
done
differing=0
for file in "$work/a/out"/*; do
    name="$(basename "$file")"
    case "$name" in *.buildinfo | *.changes) continue ;; esac # they name the build's times
    if cmp -s "$file" "$work/second-build-in-a-longer-folder/out/$name"; then
        echo "identical: $name"
    else
        echo "DIFFERENT: $name"
        differing=$((differing + 1))
    fi
done
[ "$differing" = 0 ] || { echo "FAIL: $differing files differ (diffoscope shows how); kept in $work"; exit 1; }
rm -rf "$work"
echo "ok: two builds in different folders made bit-identical packages"
