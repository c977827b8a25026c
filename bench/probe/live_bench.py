#!/usr/bin/python3
"""rmonprobe counting a live interface at the fastest rate this machine can send.

Adds a quiet veth pair and sends FRAMES minimum-size frames over PAIRS source addresses
into one end with frame_generator (sendmmsg on a raw socket; the kernel's pktgen is used by
no part of this), first with nothing capturing (the baseline: the generator's top rate on
this link), then with `rmonprobe -i` on the other end, the probe pinned to one core and the
generator to the other. Meanwhile it reads etherStatsPkts every 10 ms over SNMP. Reports
the frames counted per second of wall time and per second of the capture thread's CPU, the
ratio to the baseline rate, etherStatsDropEvents (the capture's own drop count) and the
share of the frames sent that were counted. Needs root.

usage: live_bench.py [--rmonprobe BIN] [--generator BIN] [--frames N] [--pairs N]
"""
import argparse
import os
import socket
import subprocess
import sys
import threading
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "probe"))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import conv_oracle as oracle  # noqa: E402
from rmonprobe_bench import request  # noqa: E402

ETHER_STATS = [1, 3, 6, 1, 2, 1, 16, 1, 1, 1]
PACKETS, DROPS = 5, 3  # etherStatsPkts, etherStatsDropEvents


def tlvs(data):
    """[(tag, contents)] of the BER values one after another in `data`."""
    values, i = [], 0
    while i < len(data):
        tag, length, i = data[i], data[i + 1], i + 2
        if length & 0x80:
            size = length & 0x7F
            length, i = int.from_bytes(data[i:i + size], "big"), i + size
        values.append((tag, data[i:i + length]))
        i += length
    return values


def get_counter(sock, port, column):
    """The Counter32 etherStatsEntry.column.1, by an SNMPv2c get."""
    sock.sendto(request(0xA0, 1, ETHER_STATS + [column, 1]), ("127.0.0.1", port))
    message = tlvs(tlvs(sock.recv(65535))[0][1])
    varbinds = tlvs(tlvs(message[2][1])[3][1])
    return int.from_bytes(tlvs(varbinds[0][1])[1][1], "big")


class Poller(threading.Thread):
    """Reads etherStatsPkts every 10 ms until stopped; keeps (time, count)."""

    def __init__(self, port):
        super().__init__(daemon=True)
        self.port = port
        self.samples = []
        self.stopping = threading.Event()

    def run(self):
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
            s.settimeout(2.0)
            while not self.stopping.is_set():
                self.samples.append((time.monotonic(), get_counter(s, self.port, PACKETS)))
                time.sleep(0.01)

    def counting_seconds(self):
        """From the last sample before counting began to the first with the final count."""
        final = self.samples[-1][1]
        start = max(t for t, count in self.samples if count == 0)
        end = min(t for t, count in self.samples if count == final)
        return end - start


def generate(generator, interface, frames, pairs):
    out = subprocess.run(["taskset", "-c", "0", generator, interface, str(frames), str(pairs)],
                         capture_output=True, text=True, check=True).stdout.strip()
    words = out.split()
    return int(words[1]), float(words[-2]), out  # frames sent, frames/s, the line


def thread_cpu_seconds(pid):
    """The CPU time of the busiest thread of `pid` (the capture thread, when it counts)."""
    tick = os.sysconf("SC_CLK_TCK")
    busiest = 0
    for task in os.listdir("/proc/%d/task" % pid):
        with open("/proc/%d/task/%s/stat" % (pid, task)) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        busiest = max(busiest, int(fields[11]) + int(fields[12]))
    return busiest / tick


def wait_settled(poller, seconds=0.5, limit=30):
    """Waits until etherStatsPkts has not moved for `seconds`."""
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        time.sleep(seconds)
        recent = [count for t, count in poller.samples if t > time.monotonic() - seconds]
        if recent and min(recent) == max(recent) == poller.samples[-1][1]:
            return


def measure(args, veth):
    alone_sent, alone_rate, alone_line = generate(args.generator, veth.names[1], args.frames,
                                                  args.pairs)
    print("baseline, nothing capturing: " + alone_line)
    own = os.sched_getaffinity(0)
    os.sched_setaffinity(0, {1})  # the probe inherits the core
    probe = oracle.Probe(args.rmonprobe, veth.names[0], "--table-size",
                         str(max(10000, args.pairs)), source="-i")
    os.sched_setaffinity(0, own)
    try:
        probe.wait_listening()
        time.sleep(0.3)
        poller = Poller(probe.port)
        poller.start()
        cpu_before = thread_cpu_seconds(probe.process.pid)
        sent, rate, line = generate(args.generator, veth.names[1], args.frames, args.pairs)
        wait_settled(poller)
        poller.stopping.set()
        poller.join()
        cpu = thread_cpu_seconds(probe.process.pid) - cpu_before
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
            s.settimeout(2.0)
            drops = get_counter(s, probe.port, DROPS)
    finally:
        probe.stop()
    counted = poller.samples[-1][1]
    seconds = poller.counting_seconds()
    print("with rmonprobe capturing:    " + line)
    print("counted %d of %d frames sent (%.4f %%), etherStatsDropEvents %d"
          % (counted, sent, 100.0 * counted / sent, drops))
    print("counted %.0f frames/s of wall time (%.2f x the baseline's %.0f frames/s sent), "
          "%.0f frames/s of capture-thread CPU (%.2f s)"
          % (counted / seconds, counted / seconds / alone_rate, alone_rate,
             counted / cpu if cpu else 0.0, cpu))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rmonprobe", default=os.path.join(ROOT, "build", "bin", "rmonprobe"))
    parser.add_argument("--generator",
                        default=os.path.join(ROOT, "build", "bin", "frame_generator"))
    parser.add_argument("--frames", type=int, default=5000000)
    parser.add_argument("--pairs", type=int, default=1000)
    args = parser.parse_args()
    if os.geteuid() != 0:
        raise SystemExit("live_bench.py needs root (it adds a veth pair)")
    print("load average before: %s" % open("/proc/loadavg").read().strip())
    veth = oracle.QuietVeth("tb")
    try:
        measure(args, veth)
    finally:
        veth.remove()
    print("load average after: %s" % open("/proc/loadavg").read().strip())


if __name__ == "__main__":
    main()
