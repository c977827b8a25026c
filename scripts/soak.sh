#!/usr/bin/env bash
# Soak: the console, offscreen, on the live demo probe for MINUTES minutes (default 30): it
# walks the probe every 10 s and polls a Utilization graph of three conversations and the
# conversation window of four rows. Prints the console's resident set size (VmRSS) every
# minute, then the growth from the first minute to the last. The console and the probe run
# from their own folder and port, beside any other probe.
# Usage: scripts/soak.sh [MINUTES]   (build first: scripts/build.sh; BUILD_DIR picks the tree)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
minutes="${1:-30}"
build="${BUILD_DIR:-$root/build}"
work="$(mktemp -d "${TMPDIR:-/tmp}/tessaran-soak.XXXXXX")"
chmod 755 "$work" # snmpsimd drops to an unprivileged user that writes its cache here
console=""

finish() {
    [ -n "$console" ] && kill "$console" 2>/dev/null || true
    bash "$root/scripts/demo_probe.sh" stop --dir "$work/probe" >/dev/null 2>&1 || true
}
trap finish EXIT

bash "$root/scripts/demo_probe.sh" start --port 0 --dir "$work/probe" >/dev/null
cat >"$work/soak.script" <<SCRIPT
open demo-probe
wait-walks 1 90
select 0 1 2
command 32779
sort Index
select 0 1 2 3
command 32784
drag #0 #1
wait $((minutes * 60 + 30))
quit
SCRIPT
TESSARAN_NODES="$work/probe/nodes" QT_QPA_PLATFORM=offscreen \
    "$build/bin/quillon" --script "$work/soak.script" >"$work/console.log" 2>&1 &
console=$!

rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$console/status" 2>/dev/null; }
first=""
last=""
echo "minute  rss_kb"
for ((minute = 1; minute <= minutes; minute++)); do
    sleep 60
    last="$(rss)"
    if [ -z "$last" ]; then
        echo "soak.sh: the console ended early; its log:" >&2
        cat "$work/console.log" >&2
        exit 1
    fi
    first="${first:-$last}"
    printf '%6d  %s\n' "$minute" "$last"
done
echo "soak.sh: RSS ${first} kB after the first minute, ${last} kB after $minutes;" \
    "growth $((last - first)) kB"
