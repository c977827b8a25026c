#!/usr/bin/env python3
"""rmonprobe's counts against Wireshark: every capture in CAPTURES is replayed as fast as it
can be read, and matrixSDTable and matrixDSTable, walked with snmpbulkwalk, must hold for
every pair and direction the frames tshark -z conv,eth counts, its bytes plus 4 octets of
FCS a frame (Counter32: modulo 2^32), and as errors the frames under 64 octets with their
FCS (the same statistics over frame.len < 60). Then the table-size limit, replayed at the
recorded pace, against the least-recently-used rule applied to tshark's list of frames, and
the files that are no whole capture. etherStatsTable against the same frames' lengths and
destinations as tshark lists them; its data source is the served ifTable row.

usage: check_rmonprobe.py RMONPROBE CAPTURES_DIR
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import conv_oracle as oracle  # noqa: E402
from probe_harness import fail  # noqa: E402


ETHER_STATS_ENTRY = "1.3.6.1.2.1.16.1.1.1"
IF_ENTRY = "1.3.6.1.2.1.2.2.1"
# etherStatsTable's counter columns, by column number.
COUNTERS = {3: "drops", 4: "octets", 5: "packets", 6: "broadcast", 7: "multicast", 8: "crc",
            9: "undersize", 10: "oversize", 11: "fragments", 12: "jabbers", 13: "collisions",
            14: "64", 15: "65-127", 16: "128-255", 17: "256-511", 18: "512-1023",
            19: "1024-1518"}
BUCKETS = [(64, 64), (65, 127), (128, 255), (256, 511), (512, 1023), (1024, 1518)]


def ether_statistics(capture):
    """etherStatsTable's counters after RMON-1 of the frames tshark lists: octets with the
    FCS the file lacks; runts (under 64 octets) are undersize and not good; frames over
    1518 octets are oversize; no frame has a bad FCS, so CRC errors, fragments and jabbers
    stay 0."""
    out = subprocess.run(["tshark", "-n", "-r", capture, "-T", "fields", "-e", "frame.len",
                          "-e", "eth.dst"], capture_output=True, text=True, check=True).stdout
    counts = {name: 0 for name in COUNTERS.values()}
    for line in out.splitlines():
        length, destination = line.split("\t")
        octets = int(length) + oracle.FCS
        counts["packets"] += 1
        counts["octets"] += octets
        good = octets >= 64
        broadcast = destination == "ff:ff:ff:ff:ff:ff"
        counts["broadcast"] += good and broadcast
        counts["multicast"] += good and not broadcast and int(destination[:2], 16) & 1
        counts["undersize"] += octets < 64
        counts["oversize"] += octets > 1518
        for low, high in BUCKETS:
            counts["%d" % low if low == high else "%d-%d" % (low, high)] += low <= octets <= high
    return {name: count % oracle.WRAP for name, count in counts.items()}


def check_statistics(name, capture, stats, interfaces):
    expected = ether_statistics(capture)
    row = {int(oid[len(ETHER_STATS_ENTRY) + 1:].split(".")[0]): value for oid, value in stats
           if oid.endswith(".1")}
    served = {COUNTERS[column]: int(value) for column, value in row.items() if column in COUNTERS}
    if served != expected:
        fail("%s: etherStatsTable %s, expected %s" % (name, served, expected))
    interface = {int(oid[len(IF_ENTRY) + 1:].split(".")[0]): value for oid, value in interfaces
                 if oid.endswith(".1")}
    if row.get(2) != ".1.3.6.1.2.1.2.2.1.1.1" or interface.get(1) != "1" or interface.get(3) != "6":
        fail("%s: etherStatsDataSource %s, ifTable row %s" % (name, row.get(2), interface))
    print("ok: %s, etherStatsTable agrees with tshark: %s" % (name, served))


def check_against_tshark(binary, capture):
    frames = oracle.tshark_conversations(capture)
    runts = oracle.tshark_conversations(capture, "frame.len < 60")
    probe = oracle.Probe(binary, capture, "--fast")
    try:
        probe.wait_replay()
        sd = oracle.matrix(probe.agent(), oracle.SD_ENTRY)
        ds = oracle.matrix(probe.agent(), oracle.DS_ENTRY)
        control = oracle.control(probe.agent())
        stats = oracle.snmpwalk(probe.agent(), ETHER_STATS_ENTRY)
        interfaces = oracle.snmpwalk(probe.agent(), IF_ENTRY)
    finally:
        probe.stop()
    name = os.path.basename(capture)
    check_statistics(name, capture, stats, interfaces)
    if set(sd) != set(frames):
        fail("%s: pairs only tshark has %s, only the agent %s"
             % (name, sorted(set(frames) - set(sd)), sorted(set(sd) - set(frames))))
    for pair, (count, shown) in sorted(frames.items()):
        packets, octets, errors = sd[pair]
        if packets != count % oracle.WRAP or not oracle.octets_agree(shown, count, octets):
            fail("%s %s: agent %d frames %d octets, tshark %d frames %s"
                 % (name, pair, packets, octets, count, shown))
        if errors != runts.get(pair, (0, ""))[0]:
            fail("%s %s: %d errors, tshark %d frames under 60 bytes"
                 % (name, pair, errors, runts.get(pair, (0, ""))[0]))
    if ds != sd:
        fail("%s: matrixDSTable differs from matrixSDTable" % name)
    if control.get(3) != str(len(sd)) or control.get(4) != "0":
        fail("%s: control row %r for %d conversations" % (name, control, len(sd)))
    print("ok: %s, %d directions of %d frames agree with tshark (%d with runts)"
          % (name, len(sd), sum(c for c, _ in frames.values()), len(runts)))
    return frames


def least_recently_used(capture, size):
    """{pair: [frames, octets]} that a table of `size` conversations holds after the
    capture, by the frames and lengths tshark lists."""
    out = subprocess.run(["tshark", "-n", "-r", capture, "-T", "fields", "-e", "eth.src",
                          "-e", "eth.dst", "-e", "frame.len"], capture_output=True, text=True,
                         check=True).stdout
    table = {}  # insertion order is recency order: the oldest first
    for line in out.splitlines():
        source, destination, length = line.split("\t")
        counts = table.pop((source, destination), None)
        if counts is None:
            counts = [0, 0]
            if len(table) == size:
                del table[next(iter(table))]
        counts[0] += 1
        counts[1] += int(length) + oracle.FCS
        table[(source, destination)] = counts
    return table


def check_table_size(binary, capture, size):
    expected = least_recently_used(capture, size)
    probe = oracle.Probe(binary, capture, "--table-size", str(size))
    try:
        probe.wait_replay()
        sd = oracle.matrix(probe.agent(), oracle.SD_ENTRY)
        control = oracle.control(probe.agent())
        uptime = subprocess.run(["snmpget", "-v2c", "-c", "public", "-Ovt", probe.agent(),
                                 "1.3.6.1.2.1.1.3.0"], capture_output=True, text=True,
                                check=True).stdout.strip()
    finally:
        probe.stop()
    kept = {pair: counts[:2] for pair, counts in sd.items()}
    if kept != expected:
        fail("table of %d: kept %s, expected %s" % (size, sorted(kept), sorted(expected)))
    deleted = int(control.get(4, "0"))
    if control.get(3) != str(size) or not 0 < deleted <= int(uptime):
        fail("table of %d: control row %r, sysUpTime %s" % (size, control, uptime))
    print("ok: a table of %d keeps the most recent pairs; last deletion at %d of %s"
          % (size, deleted, uptime))


def check_refused(binary, capture, message):
    run = subprocess.run([binary, "-r", capture, "--fast", "--port", str(oracle.free_port())],
                         capture_output=True, text=True, timeout=30)
    if run.returncode != 1 or message not in run.stderr:
        fail("%s: status %d, stderr %r" % (capture, run.returncode, run.stderr))
    print("ok: %s refused: %s" % (os.path.basename(capture), run.stderr.strip()))


def main():
    binary, captures = sys.argv[1:3]
    mixed = os.path.join(captures, "mixed.pcap")
    pairs = check_against_tshark(binary, mixed)
    destinations = {destination for _, destination in pairs}
    if not {"ff:ff:ff:ff:ff:ff", "01:00:5e:00:00:fb", "33:33:00:00:00:01"} <= destinations:
        fail("mixed.pcap lacks broadcast or multicast destinations")
    tagged = subprocess.run(["tshark", "-n", "-r", mixed, "-Y", "vlan"], capture_output=True,
                            text=True, check=True).stdout
    if len(tagged.splitlines()) < 10:
        fail("mixed.pcap lacks VLAN-tagged frames")
    check_against_tshark(binary, os.path.join(captures, "wrap.pcap"))
    check_table_size(binary, mixed, 10)
    check_refused(binary, os.path.join(captures, "truncated.pcap"), "cut short")
    check_refused(binary, os.path.join(captures, "not-a-capture.pcap"), "not a readable capture")


if __name__ == "__main__":
    main()
