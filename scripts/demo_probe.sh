#!/usr/bin/env bash
# Starts and stops the demo RMON probe: snmpsimd serving generated matrix data on loopback,
# or with --fast the fast probe (tessaran_fast_probe, net-snmp's agent library).
#
#   demo_probe.sh start [--static|--live] [--fast] [--conversations N] [--data FILE] [--port N]
#                       [--dir D] [--nodes FILE] [--wait SECONDS]
#   demo_probe.sh stop  [--dir D]
#   demo_probe.sh status [--dir D]
#
# start   serves data/demo-live.snmprec (counters grow), or data/demo-static.snmprec with
#         --static, or a generated data set of N conversations with --conversations N
#         (live unless --static), or any FILE with --data. Community "public", SNMP v1 and
#         v2c, on 127.0.0.1:PORT (default 1161; 0 picks a free port). Waits until the agent
#         answers, then prints "pid PID port PORT". A probe already running from D is
#         stopped first.
#         Measured: snmpsimd answers about 800 (live) to 1,400 (static) values a second, so
#         one column of 100,000 conversations takes one to two minutes to walk.
# --fast  serves N generated conversations (default 1000) from the fast probe instead, its
#         counters growing every second unless --static; no --data. It answers get-bulk at
#         network speed: a column of 100,000 conversations in under a second. The binary
#         is $FAST_PROBE, else bin/tessaran_fast_probe of $BUILD_DIR (default build/).
# stop    stops the probe started from D.
# D       holds the pid, port, log, data copy, snmpsimd's cache and a nodes file naming
#         the probe "demo-probe" (default ${TMPDIR:-/tmp}/tessaran-probe).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
python=/usr/bin/python3
command="${1:-}"
shift || true
dir="${TMPDIR:-/tmp}/tessaran-probe"
port=1161
variant=live
conversations=""
data=""
fast=0
nodes=""
wait_seconds=60

while [ $# -gt 0 ]; do
    case "$1" in
        --static) variant=static ;;
        --live) variant=live ;;
        --fast) fast=1 ;;
        --conversations) conversations="$2"; shift ;;
        --data) data="$2"; shift ;;
        --port) port="$2"; shift ;;
        --dir) dir="$2"; shift ;;
        --nodes) nodes="$2"; shift ;;
        --wait) wait_seconds="$2"; shift ;;
        *) echo "demo_probe.sh: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

fast_probe="${FAST_PROBE:-${BUILD_DIR:-$root/build}/bin/tessaran_fast_probe}"

# The pid in D/pid, if that process is still the probe serving D (a pid may be reused,
# and other probes run beside this one): snmpsimd reading D/data, or the fast probe
# running in D.
running_pid() {
    local pid
    pid="$(cat "$dir/pid" 2>/dev/null)" || return 1
    [ -n "$pid" ] || return 1
    if tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null |
        grep -qF -- "snmpsimd --data-dir=$dir/data "; then
        echo "$pid"
        return 0
    fi
    # The binary may have been rebuilt since: its path as launched is compared, not the file.
    [ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" = "$(cd "$dir" && pwd -P)" ] &&
        [ "$(tr '\0' '\n' <"/proc/$pid/cmdline" 2>/dev/null | head -n 1)" = \
            "$(cat "$dir/binary" 2>/dev/null)" ] || return 1
    echo "$pid"
}

stop_probe() {
    local pid
    if pid="$(running_pid)"; then
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$pid" 2>/dev/null || true
    fi
    rm -f "$dir/pid"
}

free_port() {
    "$python" -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

prepare_data() {
    rm -rf "$dir/data" "$dir/cache"
    mkdir -p "$dir/data" "$dir/cache"
    # snmpsimd drops to nobody when started as root: it must read the data and write the cache.
    chmod 755 "$dir" "$dir/data"
    chmod 777 "$dir/cache"
    local target="$dir/data/public.snmprec"
    if [ -n "$data" ]; then
        cp "$data" "$target"
    elif [ -n "$conversations" ]; then
        "$python" "$root/scripts/gen_probe_data.py" --variant "$variant" \
            --conversations "$conversations" --out "$target"
    else
        cp "$root/data/demo-$variant.snmprec" "$target"
    fi
    chmod 644 "$target"
}

# A nodes file for the host database naming this probe (format described in data/nodes).
write_nodes() {
    local file="${nodes:-$dir/nodes}"
    {
        echo "# id address version community timeout-ms retries name"
        echo "1 127.0.0.1:$1 2c public 1000 2 demo-probe"
    } >"$file"
}

answers() {
    snmpget -v2c -c public -t 1 -r 0 -Oqv "127.0.0.1:$1" 1.3.6.1.2.1.1.1.0 >/dev/null 2>&1
}

# Launches snmpsimd on port $1 and waits until it answers; returns 1 if it never does.
launch() {
    local user_args=()
    if [ "$(id -u)" = 0 ]; then
        user_args=(--process-user=nobody --process-group=nogroup)
    fi
    # Own session and no inherited descriptors: ctest must not wait for the agent to exit.
    # DEMO_PROBE_EXEC_DELAY (seconds) holds the child back before it execs snmpsimd, as a
    # cold, loaded machine does; the first-run test uses it.
    if [ "$fast" = 1 ]; then
        local fast_args=(--port "$1" --conversations "${conversations:-1000}")
        [ "$variant" = static ] && fast_args+=(--static)
        echo "$fast_probe" >"$dir/binary"
        setsid sh -c 'sleep "$0"; cd "$1" && shift && exec "$@"' "${DEMO_PROBE_EXEC_DELAY:-0}" \
            "$dir" "$fast_probe" "${fast_args[@]}" </dev/null >"$dir/log" 2>&1 &
    else
        setsid sh -c 'sleep "$0"; exec snmpsimd "$@"' "${DEMO_PROBE_EXEC_DELAY:-0}" \
            --data-dir="$dir/data" --cache-dir="$dir/cache" --v2c-arch \
            --agent-udpv4-endpoint="127.0.0.1:$1" "${user_args[@]}" \
            </dev/null >"$dir/log" 2>&1 &
    fi
    local pid=$!
    echo "$pid" >"$dir/pid"
    # Checked by pid, not by command line: on a cold machine the child may not have
    # exec'd the agent yet, and Python takes seconds to compile snmpsimd before it answers.
    local deadline=$((SECONDS + wait_seconds))
    while [ $SECONDS -lt $deadline ]; do
        kill -0 "$pid" 2>/dev/null || return 1
        answers "$1" && return 0
        sleep 0.2
    done
    return 1
}

# Ends the agent that launch started, whether or not it got as far as exec'ing snmpsimd.
kill_launched() {
    local pid
    pid="$(cat "$dir/pid" 2>/dev/null)" || return 0
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null || true
    rm -f "$dir/pid"
}

start_probe() {
    stop_probe
    mkdir -p "$dir"
    if [ "$fast" = 1 ]; then
        [ -z "$data" ] || { echo "demo_probe.sh: --fast serves no --data" >&2; return 2; }
        [ -x "$fast_probe" ] || { echo "demo_probe.sh: build $fast_probe first" >&2; return 2; }
    else
        prepare_data
    fi
    local attempt chosen
    for attempt in 1 2 3; do
        chosen="$port"
        [ "$port" = 0 ] && chosen="$(free_port)"
        if launch "$chosen"; then
            echo "$chosen" >"$dir/port"
            write_nodes "$chosen"
            echo "pid $(cat "$dir/pid") port $chosen"
            return 0
        fi
        kill_launched
        # A fixed port is tried again: a start that failed on a loaded machine may succeed.
        sleep 1
    done
    echo "demo_probe.sh: the probe did not answer on 127.0.0.1:$chosen (attempt $attempt)" >&2
    tail -n 20 "$dir/log" >&2 || true
    return 1
}

case "$command" in
    start) start_probe ;;
    stop) stop_probe ;;
    status)
        if pid="$(running_pid)"; then
            echo "pid $pid port $(cat "$dir/port")"
        else
            echo "not running"
            exit 1
        fi
        ;;
    *) sed -n '2,25p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
esac
