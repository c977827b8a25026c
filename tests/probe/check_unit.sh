#!/usr/bin/env bash
# rmonprobe's service unit passes systemd's own checks, with its ExecStart pointed at the
# built program (the installed path exists only after installation).
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
echo "ok: systemd-analyze verify finds nothing in the unit"
