#!/usr/bin/env bash
# Builds the packages twice, in two folders of different names and path lengths, with
# different time zones, locales and umasks, without ccache, and compares every file the two
# builds made (binary and debug symbol packages, the source package): bit-identical, or the
# names of those that differ. Prints the time each build took. WORK picks the parent folder
# (default /var/tmp).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d "${WORK:-/var/tmp}/reproducible.XXXXXX")"
export CCACHE_DISABLE=1
# Each build also has its own time zone, locale and umask: none may show in the packages.
build() {
    local folder="$1" start
    shift
    start=$(date +%s)
    (umask "$1" && env TZ="$2" LC_ALL="$3" BUILD_DIR="$work/$folder" OUT="$work/$folder/out" \
        bash "$root/scripts/packages.sh" >/dev/null)
    echo "build in $work/$folder (umask $1, TZ=$2, LC_ALL=$3): $(($(date +%s) - start)) s"
}
build a 022 UTC0 C.UTF-8
build second-build-in-a-longer-folder 002 UTC-14 C
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
