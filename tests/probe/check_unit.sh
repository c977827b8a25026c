#!/usr/bin/env bash
# rmonprobe's service unit passes systemd's own checks, with its ExecStart pointed at the
# built program (the installed path exists only after installation), and its exposure as
# systemd-analyze security rates it (offline) is at most 2.0.
# usage: check_unit.sh UNIT RMONPROBE
set -euo pipefail
unit="$1"
binary="$2"
command -v systemd-analyze >/dev/null || { echo "skipped: no systemd-analyze"; exit 77; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The manual page is installed with the package; the check would run man for it.
sed -e "s|/usr/sbin/rmonprobe|$binary|" -e '/^Documentation=/d' "$unit" >"$work/rmonprobe.service"
out="$(systemd-analyze verify "$work/rmonprobe.service" 2>&1)" || true
if [ -n "$out" ]; then
    echo "FAIL: systemd-analyze verify: $out"
    exit 1
fi
exposure="$(systemd-analyze security --offline=true --threshold=20 "$work/rmonprobe.service" 2>&1 |
    tail -1)" || { echo "FAIL: exposure above 2.0: $exposure"; exit 1; }
echo "ok: systemd-analyze verify finds nothing in the unit; ${exposure#→ }"
