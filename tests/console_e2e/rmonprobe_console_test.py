#!/usr/bin/env python3
"""The console on rmonprobe: the probe replays a capture file, the console in script mode
walks it twice and dumps its Matrix table. The table must equal what expected_table derives
from snmpwalk, and its Bytes and Packets must be Wireshark's Ethernet conversation
statistics of the same file (bytes plus 4 octets of FCS a frame), one row per direction.

usage: rmonprobe_console_test.py QUILLON EXPECTED_TABLE RMONPROBE CAPTURE ETHERS REGISTRY WORK
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "probe"))
import conv_oracle as oracle  # noqa: E402


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def console_table(quillon, agent, ethers, registry, work):
    nodes = os.path.join(work, "nodes")
    with open(nodes, "w") as f:
        f.write("1 %s 2c public 2000 2 rmon-probe\n" % agent)
    table = os.path.join(work, "table.tsv")
    script = os.path.join(work, "walk.script")
    with open(script, "w") as f:
        f.write("open rmon-probe\nwait-walks 2 60\ndump-table %s\nquit\n" % table)
    env = dict(os.environ, TESSARAN_NODES=nodes, TESSARAN_ETHERS=ethers,
               TESSARAN_IEEE_DATA=registry)
    run = subprocess.run([quillon, "--script", script], capture_output=True, text=True,
                         timeout=120, env=env)
    if run.returncode != 0:
        fail("quillon exited with %d: %s%s" % (run.returncode, run.stdout, run.stderr))
    with open(table) as f:
        return f.read().splitlines()


def address(text):
    """"00 05 85 C9 65 A5" as tshark writes it: 00:05:85:c9:65:a5."""
    return text.replace(" ", ":").lower()


def main():
    quillon, expected_table, rmonprobe, capture, ethers, registry, work = sys.argv[1:8]
    os.makedirs(work, exist_ok=True)
    probe = oracle.Probe(rmonprobe, capture, "--fast")
    try:
        probe.wait_replay()
        shown = console_table(quillon, probe.agent(), ethers, registry, work)
        expected = subprocess.run([expected_table, probe.agent(), ethers, registry], check=True,
                                  capture_output=True, text=True).stdout.splitlines()
    finally:
        probe.stop()
    if shown != expected:
        fail("the console's table differs from snmpwalk's:\n%s\n---\n%s"
             % ("\n".join(shown[:5]), "\n".join(expected[:5])))
    directions = oracle.tshark_conversations(capture)
    seen = set()
    for line in shown[1:]:
        cells = line.split("\t")
        pair = (address(cells[3]), address(cells[4]))
        octets, packets = int(cells[5]), int(cells[6])
        frames, bytes_shown = directions.get(pair, (0, ""))
        if packets != frames or not oracle.octets_agree(bytes_shown, frames, octets):
            fail("row %s: %d bytes %d packets, tshark %d frames %s"
                 % (pair, octets, packets, frames, bytes_shown))
        seen.add(pair)
    if seen != set(directions):
        fail("the table lacks %s" % sorted(set(directions) - seen))
    print("ok: %d rows of the console agree with snmpwalk and tshark" % len(seen))


if __name__ == "__main__":
    main()
