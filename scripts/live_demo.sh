#!/usr/bin/env bash
# The live demo: a small Ethernet of network namespaces on this machine, real traffic on it,
# rmonprobe counting it on the bridge and the console watching rmonprobe.
#
#   live_demo.sh [--seconds N] [--port N]
#
# Builds a bridge (tsrd-br0) and five hosts (namespaces tsrd-h1 .. tsrd-h5, addresses
# 10.77.0.1 .. 5, fixed MAC addresses named in data/live_demo.ethers), each sending
# (scripts/live_traffic.py): bulk UDP that swells, fades and moves between peers, small
# packets, broadcasts and multicasts. rmonprobe captures on the bridge (a promiscuous bridge
# port sees every frame it forwards) and serves on 127.0.0.1:PORT (default: a free port).
# With a display the console opens on the probe, and the demo ends when it is closed.
# Without one the console runs scripts/live_demo.script offscreen and writes screenshots
# (table, Utilization graph, All window, conversation window), the table and the graphs'
# points into OUT (default out/live in the repository); --seconds (default 60) is how long
# the traffic runs before that script starts. Needs root (namespaces, capture).
# Everything it made is removed on exit, Ctrl-C included.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
out="${OUT:-$root/out/live}"
python=/usr/bin/python3
seconds=60
port=0
while [ $# -gt 0 ]; do
    case "$1" in
        --seconds) seconds="$2"; shift ;;
        --port) port="$2"; shift ;;
        *) sed -n '2,19p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
    esac
    shift
done
[ "$(id -u)" = 0 ] || { echo "live_demo.sh: run as root (namespaces and capture)" >&2; exit 2; }
for program in rmonprobe quillon; do
    [ -x "$build/bin/$program" ] || { echo "live_demo.sh: build first (scripts/build.sh)" >&2; exit 2; }
done

bridge=tsrd-br0
macs=(00:05:85:4c:00:01 00:03:93:4c:00:02 00:1b:21:4c:00:03 00:1a:a1:4c:00:04 3c:d9:2b:4c:00:05)
hosts=${#macs[@]}
work="$(mktemp -d "${TMPDIR:-/tmp}/tessaran-live.XXXXXX")"
pids=()

cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    for ((i = 1; i <= hosts; i++)); do
        ip netns del "tsrd-h$i" 2>/dev/null || true
    done
    ip link del "$bridge" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The network: one veth pair per host, its outer end a port of the bridge. IPv6 is off so
# that the table shows the demo's own traffic (and ARP), not neighbour discovery.
cleanup_stale() {
    for ((i = 1; i <= hosts; i++)); do
        ip netns del "tsrd-h$i" 2>/dev/null || true
    done
    ip link del "$bridge" 2>/dev/null || true
}
cleanup_stale
ip link add "$bridge" type bridge
sysctl -qw "net.ipv6.conf.$bridge.disable_ipv6=1"
ip link set "$bridge" up
for ((i = 1; i <= hosts; i++)); do
    ns="tsrd-h$i"
    ip netns add "$ns"
    ip netns exec "$ns" sysctl -qw net.ipv6.conf.all.disable_ipv6=1
    ip link add "tsrd-v$i" type veth peer name eth0 netns "$ns"
    ip -n "$ns" link set eth0 address "${macs[$((i - 1))]}"
    ip -n "$ns" addr add "10.77.0.$i/24" brd 10.77.0.255 dev eth0
    ip -n "$ns" link set lo up
    ip -n "$ns" link set eth0 up
    ip -n "$ns" route add 224.0.0.0/4 dev eth0
    sysctl -qw "net.ipv6.conf.tsrd-v$i.disable_ipv6=1"
    ip link set "tsrd-v$i" master "$bridge" up
done

# The probe first, so that it counts from the first frame.
if [ "$port" = 0 ]; then
    port="$("$python" -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
fi
# Its configuration file: the bridge, loopback only, a community for walks by hand and the
# SNMPv3 user the console walks as.
cat >"$work/rmonprobe.conf" <<EOF
interface $bridge
listen 127.0.0.1:$port
community public 127.0.0.1/32
user demo SHA-256 demo-auth-key AES demo-priv-key
EOF
"$build/bin/rmonprobe" --config "$work/rmonprobe.conf" >"$work/probe.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
    grep -q "^listening" "$work/probe.log" && break
    kill -0 "${pids[0]}" 2>/dev/null || { cat "$work/probe.log" >&2; exit 1; }
    sleep 0.1
done
echo "live_demo.sh: rmonprobe on $bridge answers on 127.0.0.1:$port" \
    "(snmpwalk -v2c -c public 127.0.0.1:$port 1.3.6.1.2.1.16.6, or -v3 -u demo -l authPriv" \
    "-a SHA-256 -A demo-auth-key -x AES -X demo-priv-key)"

# The traffic: every host receives on one socket and talks to all the others.
for ((i = 1; i <= hosts; i++)); do
    peers=()
    for ((j = 1; j <= hosts; j++)); do
        [ "$j" = "$i" ] || peers+=("10.77.0.$j")
    done
    ip netns exec "tsrd-h$i" "$python" "$root/scripts/live_traffic.py" sink &
    pids+=($!)
    ip netns exec "tsrd-h$i" "$python" "$root/scripts/live_traffic.py" talk "10.77.0.$i" \
        "${peers[@]}" &
    pids+=($!)
done

{
    echo "# The live demo's probe (scripts/live_demo.sh); format in data/nodes."
    echo "1 127.0.0.1:$port 3 demo 1000 2 keys=demo.keys live-probe"
} >"$work/nodes"
printf 'auth=SHA-256\nauthpass=demo-auth-key\npriv=AES\nprivpass=demo-priv-key\n' \
    >"$work/demo.keys"
export TESSARAN_NODES="$work/nodes"
export TESSARAN_ETHERS="$root/data/live_demo.ethers"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    "$build/bin/quillon" --open live-probe --graph-interval 2
    exit 0
fi

mkdir -p "$out"
echo "live_demo.sh: traffic for $seconds s, then the console's script writes into $out"
sleep "$seconds"
sed "s|\${OUT}|$out|g" "$root/scripts/live_demo.script" >"$work/live_demo.script"
QT_QPA_PLATFORM=offscreen "$build/bin/quillon" --script "$work/live_demo.script" \
    --graph-interval 2
cp "$work/probe.log" "$out/probe.log"
echo "live_demo.sh: wrote $out/console.png, $out/utilization.png, $out/all.png," \
    "$out/conversation.png, $out/conversation-graph.png, $out/table.tsv and $out/graphs.tsv"
