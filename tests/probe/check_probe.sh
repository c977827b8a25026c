#!/usr/bin/env bash
# Checks of the demo probe, run by CTest:
#   check_probe.sh walk DIR SNMPREC   the fixture's agent (port in DIR/port) serves exactly
#                                     the matrix table of SNMPREC, over v2c and v1
#   check_probe.sh data ROOT          data/demo-*.snmprec and data/ethers match the generator
#   check_probe.sh live DIR SCRIPT    a live agent's counters grow between two reads
#   check_probe.sh cold DIR SCRIPT    the probe starts on a fixed port three times in a row
#                                     as on a first run: no compiled Python, CPU loaded
#   check_probe.sh fast DIR SCRIPT    the fast probe ($FAST_PROBE) serves N conversations in
#                                     both matrix tables, the same over v1 and v2c get-bulk
#                                     (but for the Counter64 objects v1 cannot carry);
#                                     its counters grow; it starts late on a fixed port
set -euo pipefail
python=/usr/bin/python3
matrix=1.3.6.1.2.1.16.6.2

# "oid value" lines as snmpwalk -On -Oq -Ox prints them, from a static snmprec file.
expected_matrix() {
    "$python" - "$1" <<'PY'
import sys
for line in open(sys.argv[1]):
    oid, tag, value = line.rstrip("\n").split("|", 2)
    if not oid.startswith("1.3.6.1.2.1.16.6.2."):
        continue
    if tag == "4x":
        value = '"%s "' % " ".join(value[i:i + 2] for i in range(0, len(value), 2)).upper()
    print(".%s %s" % (oid, value))
PY
}

walk() {
    local port version
    port="$(cat "$1/port")"
    for version in 2c 1; do
        if ! diff <(expected_matrix "$2") \
            <(snmpwalk -v"$version" -c public -On -Oq -Ox -t 2 -r 2 "127.0.0.1:$port" $matrix |
                grep -v -e 'No more variables' -e '^End of MIB'); then
            echo "v$version walk of $matrix differs from $2" >&2
            return 1
        fi
    done
}

data() {
    local tmp
    tmp="$(mktemp -d)"
    trap 'rm -rf "$tmp"' RETURN
    "$python" "$1/scripts/gen_probe_data.py" --variant live --out "$tmp/live" --ethers "$tmp/ethers"
    "$python" "$1/scripts/gen_probe_data.py" --variant static --out "$tmp/static"
    diff -q "$tmp/live" "$1/data/demo-live.snmprec"
    diff -q "$tmp/static" "$1/data/demo-static.snmprec"
    diff -q "$tmp/ethers" "$1/data/ethers"
}

counter() {
    snmpget -v2c -c public -Oqv -t 2 -r 1 "127.0.0.1:$(cat "$1/port")" "$2"
}

live() {
    # shellcheck disable=SC2064 # the stop command is fixed now, the locals are gone at exit
    trap "bash $(printf %q "$2") stop --dir $(printf %q "$1")" EXIT
    bash "$2" start --port 0 --dir "$1"
    # The first octets counter of the data that has a rate.
    local oid first now
    oid="$(grep -m1 "^$matrix.1.5.*numeric" "$1/data/public.snmprec" | cut -d'|' -f1)"
    first="$(counter "$1" "$oid")"
    for _ in $(seq 100); do
        now="$(counter "$1" "$oid")"
        if [ "$now" -gt "$first" ]; then
            return 0
        fi
        sleep 0.2
    done
    echo "$oid stayed at $first" >&2
    return 1
}

# A first run: Python finds no compiled files (an empty pycache prefix), snmpsimd finds no
# cache, both cores are busy, and the child waits a second before it execs snmpsimd, so
# the agent takes seconds between fork and answer.
load=()
cold() {
    local port
    # shellcheck disable=SC2064 # the stop command is fixed now, the locals are gone at exit
    trap "kill \${load[*]} 2>/dev/null || true; bash $(printf %q "$2") stop --dir $(printf %q "$1")" EXIT
    for _ in 1 2 3; do
        yes >/dev/null &
        load+=($!)
    done
    port="$("$python" -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
    for run in 1 2 3; do
        local prefix
        prefix="$(mktemp -d)"
        DEMO_PROBE_EXEC_DELAY=1 PYTHONPYCACHEPREFIX="$prefix" bash "$2" start --static --port "$port" --dir "$1" ||
            { echo "cold start $run failed" >&2; return 1; }
        snmpget -v2c -c public -Oqv -t 2 -r 1 "127.0.0.1:$port" 1.3.6.1.2.1.1.1.0 >/dev/null
        bash "$2" stop --dir "$1"
        rm -rf "$prefix"
    done
}

fast() {
    # shellcheck disable=SC2064 # the stop command is fixed now, the locals are gone at exit
    trap "bash $(printf %q "$2") stop --dir $(printf %q "$1")" EXIT
    bash "$2" start --fast --static --conversations 300 --port 0 --dir "$1"
    local port table rows
    port="$(cat "$1/port")"
    for table in 2 3; do
        rows="$(snmpwalk -v2c -c public -On "127.0.0.1:$port" "1.3.6.1.2.1.16.6.$table.1.3" | wc -l)"
        [ "$rows" = 300 ] || { echo "matrix table $table has $rows rows" >&2; return 1; }
    done
    if ! diff <(snmpwalk -v1 -c public -On -Ox "127.0.0.1:$port" 1.3.6.1.2.1.16.6 | grep -v "^End of MIB") \
        <(snmpbulkwalk -v2c -c public -Cr37 -On -Ox "127.0.0.1:$port" 1.3.6.1.2.1.16.6 |
            grep -v "No more variables\|Counter64"); then
        echo "v1 get-next and v2c get-bulk walks differ" >&2
        return 1
    fi
    # Live counters on a port chosen now, the child held back as on a cold machine.
    bash "$2" stop --dir "$1"
    port="$("$python" -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
    DEMO_PROBE_EXEC_DELAY=1 bash "$2" start --fast --conversations 300 --port "$port" --dir "$1"
    bash "$2" status --dir "$1" >/dev/null
    local oid first now
    oid="$(snmpgetnext -v2c -c public -On "127.0.0.1:$port" 1.3.6.1.2.1.16.6.2.1.5 | cut -d' ' -f1)"
    first="$(counter "$1" "$oid")"
    for _ in $(seq 50); do
        now="$(counter "$1" "$oid")"
        [ "$now" -gt "$first" ] && return 0
        sleep 0.2
    done
    echo "$oid stayed at $first" >&2
    return 1
}

"$@"
