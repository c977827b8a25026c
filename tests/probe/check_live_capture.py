#!/usr/bin/env python3
"""rmonprobe counting a live interface: a few frames sent over a quiet veth pair must be in
matrixSDTable, exactly, within a second of being sent; then a few more. The interface's
ifTable row says what Linux says of it. Frames of every size bucket follow; the
high-capacity tables (etherStatsHighCapacityTable, matrixSDHighCapacityTable) and their
32-bit counterparts must agree with what tshark captured on the same interface. Then, with
the probe stopped (SIGSTOP), more frames than the capture's buffer holds: every frame sent
is either counted or in etherStatsDropEvents. Needs root (to add the veth pair); otherwise
it reports the skip and exits 77.

usage: check_live_capture.py RMONPROBE
"""
import os
import signal
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import conv_oracle as oracle  # noqa: E402
from probe_harness import fail  # noqa: E402

SOURCE = "02:00:00:00:0a:01"
BURST_SOURCE = "02:00:00:00:0a:03"  # the frames of every size the tshark comparison takes
DESTINATION = "02:00:00:00:0a:02"
DEADLINE = 1.0  # seconds from sending to the count
# Frame sizes without the FCS at both edges of every etherStats size bucket.
SIZES = [60, 61, 123, 124, 251, 252, 507, 508, 1019, 1020, 1514]
BUCKET_ENDS = [64, 127, 255, 511, 1023, 1518]


def frame(size=60, source=SOURCE):
    address = lambda text: bytes.fromhex(text.replace(":", ""))  # noqa: E731
    return (address(DESTINATION) + address(source) + b"\x88\xb5").ljust(size, b"\0")


class Tshark:
    """tshark capturing an interface into a file until stopped."""

    def __init__(self, interface):
        self.file = tempfile.NamedTemporaryFile(suffix=".pcapng", delete=False).name
        self.process = subprocess.Popen(["tshark", "-n", "-i", interface, "-w", self.file],
                                        stderr=subprocess.PIPE, text=True)
        line = ""
        while "Capturing on" not in line:
            line = self.process.stderr.readline()
            if not line:
                raise RuntimeError("tshark did not start capturing")

    def frames(self):
        """[(length on the wire without FCS, source, destination)] of the capture, stopped."""
        time.sleep(0.2)
        self.process.send_signal(signal.SIGINT)
        self.process.wait(10)
        out = subprocess.run(["tshark", "-n", "-r", self.file, "-T", "fields", "-e", "frame.len",
                              "-e", "eth.src", "-e", "eth.dst"], capture_output=True, text=True,
                             check=True).stdout
        os.unlink(self.file)
        return [(int(length), source, destination)
                for length, source, destination in (line.split("\t") for line in out.splitlines())]


def ether_counts(agent):
    """{column: count} of etherStatsHighCapacityEntry and of etherStatsEntry's counters."""
    wide = {int(oid.split(".")[-2]): int(value) for oid, value in
            oracle.snmpwalk(agent, "1.3.6.1.2.1.16.1.7.1")}
    narrow = {int(oid.split(".")[-2]): int(value) for oid, value in
              oracle.snmpwalk(agent, "1.3.6.1.2.1.16.1.1.1") if value.isdigit()}
    return wide, narrow


def check_high_capacity(agent, frames, before):
    """What the burst from BURST_SOURCE added to the 64-bit and 32-bit counts against
    tshark's frames of it (each with its 4-octet FCS); tshark may miss frames sent while it
    starts, so earlier frames are left out."""
    octets = [length + oracle.FCS for length, source, _ in frames if source == BURST_SOURCE]
    pair = octets
    buckets = [sum(1 for n in octets if (BUCKET_ENDS[i - 1] if i else 0) < n <= end)
               for i, end in enumerate(BUCKET_ENDS)]
    wide, narrow_now = ether_counts(agent)
    ether_hc = {column: count - before[0].get(column, 0) for column, count in wide.items()}
    ether = {column: count - before[1].get(column, 0) for column, count in narrow_now.items()}
    expected = {2: len(octets), 4: sum(octets)}
    expected.update({6 + 2 * i: count for i, count in enumerate(buckets)})
    expected.update({column: 0 for column in range(1, 17, 2)})  # no counter wrapped
    if any(ether_hc.get(column) != value for column, value in expected.items()):
        fail("etherStatsHighCapacityEntry %s, tshark says %s" % (ether_hc, expected))
    narrow = {5: len(octets), 4: sum(octets)}
    narrow.update({14 + i: count for i, count in enumerate(buckets)})
    if any(ether.get(column) != value for column, value in narrow.items()):
        fail("etherStatsEntry %s, tshark says %s" % (ether, narrow))
    matrix = {}
    for oid, value in oracle.snmpwalk(agent, "1.3.6.1.2.1.16.6.5.1"):
        arcs = oid[len("1.3.6.1.2.1.16.6.5.1") + 1:].split(".")
        if (oracle.mac_of(arcs[3:9]), oracle.mac_of(arcs[10:16])) == (BURST_SOURCE, DESTINATION):
            matrix[int(arcs[0])] = int(value)
    if matrix != {1: 0, 2: len(pair), 3: 0, 4: sum(pair)}:
        fail("matrixSDHighCapacityEntry of %s to %s: %s, tshark says %d frames, %d octets"
             % (BURST_SOURCE, DESTINATION, matrix, len(pair), sum(pair)))
    print("ok: high-capacity tables agree with tshark: %d frames, %d octets, buckets %s"
          % (len(octets), sum(octets), buckets))


def counted(agent):
    return oracle.matrix(agent, oracle.SD_ENTRY).get((SOURCE, DESTINATION), [0])[0]


def send_and_wait(sender, agent, frames, total):
    for _ in range(frames):
        sender.send(frame())
    sent = time.monotonic()
    seen = counted(agent)
    while seen != total and time.monotonic() - sent < DEADLINE:
        time.sleep(0.05)
        seen = counted(agent)
    waited = time.monotonic() - sent
    if seen != total:
        fail("%d of %d frames counted %.2f s after sending" % (seen, total, waited))
    print("ok: %d frames counted %.2f s after sending" % (total, waited))


def check_interface(agent, name):
    entry = "1.3.6.1.2.1.2.2.1"
    row = {int(oid[len(entry) + 1:].split(".")[0]): value.strip()
           for oid, value in oracle.snmpwalk(agent, entry)}
    with open("/sys/class/net/%s/address" % name) as f:
        address = f.read().strip().replace(":", " ").upper()
    expected = {2: name.encode().hex(" ").upper(), 3: "6", 4: "1500", 6: address, 7: "1", 8: "1"}
    if any(row.get(column) != value for column, value in expected.items()):
        fail("ifTable row %s, expected %s" % (row, expected))
    print("ok: ifTable row of %s" % name)


def ether_counter(agent, column):
    value = oracle.snmpwalk(agent, "1.3.6.1.2.1.16.1.1.1.%d" % column)[0][1]
    return int(value)


def check_drops(sender, probe, total):
    """The buffer (32 MB) holds some 200,000 frames of 64 bytes captured."""
    flood = 400000
    probe.process.send_signal(signal.SIGSTOP)
    try:
        data = frame()
        for _ in range(flood):
            sender.send(data)
    finally:
        probe.process.send_signal(signal.SIGCONT)
    time.sleep(DEADLINE)
    packets, drops = ether_counter(probe.agent(), 5), ether_counter(probe.agent(), 3)
    if packets + drops != total + flood or drops == 0:
        fail("%d frames sent: %d counted, %d dropped" % (total + flood, packets, drops))
    print("ok: %d frames sent with the probe stopped: %d counted, %d dropped"
          % (total + flood, packets, drops))


def main():
    if os.geteuid() != 0:
        print("SKIP: adding a veth pair needs root")
        sys.exit(77)
    veth = oracle.QuietVeth()
    probe = oracle.Probe(sys.argv[1], veth.names[0], source="-i")
    try:
        probe.wait_listening()
        tshark = Tshark(veth.names[0])
        sender = socket.socket(socket.AF_PACKET, socket.SOCK_RAW)
        sender.bind((veth.names[1], 0))
        time.sleep(0.2)  # the capture is open once the agent answers; let the link settle
        send_and_wait(sender, probe.agent(), 5, 5)
        send_and_wait(sender, probe.agent(), 3, 8)
        check_interface(probe.agent(), veth.names[0])
        before = ether_counts(probe.agent())
        for size in SIZES * 3:
            sender.send(frame(size, BURST_SOURCE))
        total = 8 + 3 * len(SIZES)
        time.sleep(DEADLINE)
        check_high_capacity(probe.agent(), tshark.frames(), before)
        check_drops(sender, probe, total)
    finally:
        probe.stop()
        veth.remove()


if __name__ == "__main__":
    main()
