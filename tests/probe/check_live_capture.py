#!/usr/bin/env python3
"""rmonprobe counting a live interface: a few frames sent over a quiet veth pair must be in
matrixSDTable, exactly, within a second of being sent; then a few more. The interface's
ifTable row says what Linux says of it. Then, with the probe stopped (SIGSTOP), more frames
than the capture's buffer holds: every frame sent is either counted or in
etherStatsDropEvents. Needs root (to add
the veth pair); otherwise it reports the skip and exits 77.

usage: check_live_capture.py RMONPROBE
"""
import os
import signal
import socket
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import conv_oracle as oracle  # noqa: E402

SOURCE = "02:00:00:00:0a:01"
DESTINATION = "02:00:00:00:0a:02"
DEADLINE = 1.0  # seconds from sending to the count


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def frame():
    address = lambda text: bytes.fromhex(text.replace(":", ""))  # noqa: E731
    return (address(DESTINATION) + address(SOURCE) + b"\x88\xb5").ljust(60, b"\0")


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
        sender = socket.socket(socket.AF_PACKET, socket.SOCK_RAW)
        sender.bind((veth.names[1], 0))
        time.sleep(0.2)  # the capture is open once the agent answers; let the link settle
        send_and_wait(sender, probe.agent(), 5, 5)
        send_and_wait(sender, probe.agent(), 3, 8)
        check_interface(probe.agent(), veth.names[0])
        check_drops(sender, probe, 8)
    finally:
        probe.stop()
        veth.remove()


if __name__ == "__main__":
    main()
