#!/usr/bin/env python3
"""rmonprobe as a standard manager sees it. With root, on a quiet veth pair with 35 frames of
known sizes (else replaying a capture file):
- a walk of the whole agent with the standard MIB modules of tests/data/mibs loaded: no
  value of the wrong type, none outside its range, enumeration or size, and every object
  docs/rmonprobe.md lists as served is there (objects of modules not shipped here are
  checked by their numeric names and types);
- etherStats's size buckets count the frames sent, in 32 and 64 bits;
- exceptions (noSuchObject, noSuchInstance) and refused sets (notWritable, noCreation) as
  RFC 3416 gives them, each refused set counted in snmpInBadCommunityUses and logged.

usage: check_conformance.py RMONPROBE CAPTURE MIBDIR DOCS
"""
import os
import re
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import conv_oracle as oracle  # noqa: E402
from probe_harness import fail  # noqa: E402

MODULES = "SNMPv2-MIB:IF-MIB:RMON-MIB:SNMP-FRAMEWORK-MIB:SNMP-USER-BASED-SM-MIB"
# Sizes on the wire without the FCS, sent three times each: six frames in each bucket, five
# in the one of 64 octets with two broadcasts added.
SIZES = [60, 61, 123, 124, 251, 252, 507, 508, 1019, 1020, 1514]
BUCKETS = [5, 6, 6, 6, 6, 6]  # etherStatsPkts64Octets to etherStatsPkts1024to1518Octets
RANGE32 = (0, 2**32 - 1)
RANGE64 = (0, 2**64 - 1)
BAD_COMMUNITY_USES = "1.3.6.1.2.1.11.5.0"


def unshipped():
    """{numeric prefix: (name, type, range)} of the objects served from HC-RMON-MIB and
    RMON2-MIB, whose module texts are not shipped: their types as RFC 3273 and 4502 give."""
    objects = {"1.3.6.1.2.1.16.19.1": ("probeCapabilities", "Hex-STRING", None),
               "1.3.6.1.2.1.16.19.16": ("hcRMONCapabilities", "Hex-STRING", None)}
    names = ["Pkts", "Octets"] + ["Pkts%sOctets" % s for s in
                                  ("64", "65to127", "128to255", "256to511", "512to1023",
                                   "1024to1518")]
    for i, name in enumerate(names):
        objects["1.3.6.1.2.1.16.1.7.1.%d" % (2 * i + 1)] = \
            ("etherStatsHighCapacityOverflow" + name, "Counter32", RANGE32)
        objects["1.3.6.1.2.1.16.1.7.1.%d" % (2 * i + 2)] = \
            ("etherStatsHighCapacity" + name, "Counter64", RANGE64)
    for table, arc in (("SD", 5), ("DS", 6)):
        for i, name in enumerate(["Pkts", "Octets"]):
            objects["1.3.6.1.2.1.16.6.%d.1.%d" % (arc, 2 * i + 1)] = \
                ("matrix%sHighCapacityOverflow%s" % (table, name), "Counter32", RANGE32)
            objects["1.3.6.1.2.1.16.6.%d.1.%d" % (arc, 2 * i + 2)] = \
                ("matrix%sHighCapacity%s" % (table, name), "Counter64", RANGE64)
    return objects


def net_snmp(tool, mibs, *args):
    return subprocess.run([tool, "-M", mibs, "-m", MODULES] + list(args), capture_output=True,
                          text=True)


def walk(agent, mibs):
    """[(numeric name, type, value text)] of the whole agent."""
    out = net_snmp("snmpbulkwalk", mibs, "-v2c", "-c", "public", "-On", "-Oe", "-OU", "-Ot",
                   "-Ox", agent, ".1").stdout
    rows = []
    for line in out.splitlines():
        name, _, rest = line.partition(" = ")
        if not rest:
            rows[-1] = (rows[-1][0], rows[-1][1], rows[-1][2] + " " + line.strip())
            continue
        kind, _, value = rest.partition(": ")
        rows.append((name.lstrip("."), kind, value.strip()))
    return rows


def definitions(names, mibs):
    """{numeric name: (object name, SYNTAX text or None)} from the loaded modules."""
    out = net_snmp("snmptranslate", mibs, "-Td", *["." + n for n in names]).stdout
    # Each definition ends with its "::= { ... }" line; descriptions hold blank lines.
    blocks = re.split(r"^::= .*$", out, flags=re.M)
    result = {}
    for name, block in zip(names, blocks):
        lines = block.strip().splitlines()
        label = lines[0].split("::")[-1].split(".")[0]
        syntax = next((l.split("\t", 1)[1].strip() for l in lines if l.strip().startswith("SYNTAX")),
                      None)
        result[name] = (label, syntax)
    return result


def allowed(syntax, value):
    """None if `value` fits SYNTAX, else why not."""
    enum = re.match(r"INTEGER \{(.*)\}", syntax)
    if enum:
        numbers = {int(n) for n in re.findall(r"\((\d+)\)", enum.group(1))}
        return None if int(value) in numbers else "not in the enumeration"
    ranges = re.search(r"\(([-\d. |]+)\)\s*$", syntax)
    if not ranges:
        return None
    if syntax.startswith("OCTET STRING"):
        number = len(value.split()) if value not in ('""', "") else 0
    elif re.match(r"-?\d+$", value):
        number = int(value)
    else:
        return None
    for part in ranges.group(1).split("|"):
        low, _, high = part.strip().partition("..")
        if int(low) <= number <= int(high or low):
            return None
    return "%d outside %s" % (number, ranges.group(1))


def served_in_docs(docs):
    """The object names in backticks of docs/rmonprobe.md's section on the objects served."""
    with open(docs) as f:
        text = f.read()
    section = text.split("## Objects served", 1)[1].split("\n## ", 1)[0]
    rows = [line for line in section.splitlines() if line.startswith("| ")]
    return {name for row in rows for name in re.findall(r"`([a-z][a-zA-Z0-9]+)`", row)}


def check_walk(agent, mibs, docs):
    rows = walk(agent, mibs)
    if len(rows) < 100:
        fail("the walk of the whole agent gave %d objects" % len(rows))
    extra = unshipped()
    known = definitions([n for n, _, _ in rows], mibs)
    seen, problems = set(), []
    for name, kind, value in rows:
        if kind.startswith("Wrong Type"):
            problems.append("%s: %s: %s" % (name, kind, value))
            continue
        prefix = next((p for p in extra if name.startswith(p + ".")), None)
        if prefix:
            label, want, limits = extra[prefix]
            if kind != want:
                problems.append("%s (%s): %s, should be %s" % (name, label, kind, want))
            elif limits and not limits[0] <= int(value) <= limits[1]:
                problems.append("%s (%s): %s out of range" % (name, label, value))
            seen.add(label)
            continue
        label, syntax = known[name]
        if syntax is None:
            problems.append("%s (%s): no object of the loaded modules" % (name, label))
            continue
        why = allowed(syntax, value)
        if why:
            problems.append("%s (%s = %s): %s" % (name, label, value, why))
        seen.add(label)
    missing = sorted(served_in_docs(docs) - seen)
    if missing:
        problems.append("listed in the docs as served, absent: " + ", ".join(missing))
    if problems:
        fail("the walk with the standard modules:\n  " + "\n  ".join(problems))
    print("ok: %d objects walked, each of its module's type and range; all %d documented "
          "objects present" % (len(rows), len(served_in_docs(docs))))
    return {name: value for name, _, value in rows}


def check_buckets(values):
    for column, expected in enumerate(BUCKETS):
        narrow = int(values["1.3.6.1.2.1.16.1.1.1.%d.1" % (14 + column)])
        wide = int(values["1.3.6.1.2.1.16.1.7.1.%d.1" % (6 + 2 * column)])
        if narrow != expected or wide != expected:
            fail("size bucket %d: %d and %d (64 bits) of %d frames"
                 % (column, narrow, wide, expected))
    print("ok: the size buckets count the %d frames sent, in 32 and 64 bits" % sum(BUCKETS))


def answer(agent, mibs, command, oid, *value):
    result = net_snmp(command, mibs, "-v2c", "-c", "public", "-On", "-t", "2", "-r", "0", agent,
                      oid, *value)
    return result.stdout + result.stderr


def check_exceptions(agent, mibs, values, probe):
    if_index = next(v for n, v in values.items() if n.startswith("1.3.6.1.2.1.2.2.1.1."))
    sd_row = next(n for n in values if n.startswith("1.3.6.1.2.1.16.6.2.1.4."))
    sd_instance = sd_row[len("1.3.6.1.2.1.16.6.2.1.4."):]
    get_cases = [
        ("1.3.6.1.2.1.16.6.2.1.7." + sd_instance, "No Such Object"),  # no such column
        ("1.3.6.1.2.1.16.6.2.1.4.1.6.9.9.9.9.9.9.6.8.8.8.8.8.8", "No Such Instance"),
        ("1.3.6.1.2.1.2.2.1.23." + if_index, "No Such Object"),
        ("1.3.6.1.2.1.2.2.1.9.999999", "No Such Instance"),  # ifLastChange, no such row
        ("1.3.6.1.2.1.1.7.0", "INTEGER: 72"),  # sysServices
        ("1.3.6.1.2.1.1.7.1", "No Such Instance"),
        ("1.3.6.1.2.1.1.10.0", "No Such Object"),
        ("1.3.6.1.2.1.16.1.1.1.22.1", "No Such Object"),
        ("1.3.6.1.2.1.16.1.1.1.5.99", "No Such Instance"),
        ("1.3.6.1.4.1.99999.1.0", "No Such Object"),  # nothing registered there
    ]
    set_cases = [
        ("1.3.6.1.2.1.16.1.1.1.20.1", "s", "me", "notWritable"),  # etherStatsOwner
        ("1.3.6.1.2.1.16.1.1.1.21.1", "i", "4", "notWritable"),  # etherStatsStatus
        ("1.3.6.1.2.1.16.1.1.1.21.77", "i", "2", "noCreation"),  # a new etherStats row
        ("1.3.6.1.2.1.16.1.1.1.2.77", "o", "1.3.6.1.2.1.2.2.1.1.1", "noCreation"),
        ("1.3.6.1.2.1.16.6.1.1.6.9", "i", "2", "noCreation"),  # a new matrixControl row
        ("1.3.6.1.2.1.16.6.1.1.5.1", "s", "me", "notWritable"),
        ("1.3.6.1.2.1.16.6.1.1.3.9", "i", "2", "notWritable"),  # read-only column, new row
        ("1.3.6.1.2.1.2.2.1.7." + if_index, "i", "2", "notWritable"),  # ifAdminStatus
        ("1.3.6.1.2.1.31.1.1.1.18." + if_index, "s", "uplink", "notWritable"),  # ifAlias
        ("1.3.6.1.2.1.1.4.0", "s", "someone", "notWritable"),  # sysContact
        ("1.3.6.1.6.3.1.1.6.1.0", "i", "0", "notWritable"),  # snmpSetSerialNo
    ]
    problems = []
    for oid, expected in get_cases:
        text = answer(agent, mibs, "snmpget", oid)
        if expected not in text:
            problems.append("get %s: %r, expected %r" % (oid, text.strip(), expected))
    before = int(answer(agent, mibs, "snmpget", "-Oqv", BAD_COMMUNITY_USES).split()[-1])
    for oid, kind, value, expected in set_cases:
        text = answer(agent, mibs, "snmpset", oid, kind, value)
        if "Reason: " + expected not in text:
            problems.append("set %s: %r, expected %s" % (oid, text.strip(), expected))
    after = int(answer(agent, mibs, "snmpget", "-Oqv", BAD_COMMUNITY_USES).split()[-1])
    if after - before != len(set_cases):
        problems.append("snmpInBadCommunityUses rose by %d after %d refused sets"
                        % (after - before, len(set_cases)))
    if problems:
        fail("exceptions and refused sets:\n  " + "\n  ".join(problems))
    probe.wait_log(r"refused a request from .*: bad community use")
    print("ok: %d gets answered with the right exception, %d sets refused as RFC 3416 gives "
          "and counted" % (len(get_cases), len(set_cases)))


class LoggingProbe(oracle.Probe):
    """A probe whose log lines are read as they come."""

    def wait_log(self, pattern, timeout=5):
        deadline = time.time() + timeout
        text = ""
        while time.time() < deadline:
            text += self.log_lines()
            if re.search(pattern, text):
                return
            time.sleep(0.1)
        fail("no log line %r in %r" % (pattern, text))


def send_frames(interface):
    sender = socket.socket(socket.AF_PACKET, socket.SOCK_RAW)
    sender.bind((interface, 0))
    source = bytes.fromhex("02000000c001")
    for size in SIZES * 3:
        sender.send((bytes.fromhex("02000000c002") + source + b"\x88\xb5").ljust(size, b"\0"))
    for _ in range(BUCKETS[0] - 3):
        sender.send((b"\xff" * 6 + source + b"\x88\xb5").ljust(60, b"\0"))
    sender.close()


def main():
    binary, capture, mibs, docs = sys.argv[1:5]
    live = os.geteuid() == 0
    veth = oracle.QuietVeth("tsk") if live else None
    probe = LoggingProbe(binary, veth.names[0] if live else capture, source="-i" if live else "-r")
    try:
        probe.wait_listening()
        if live:
            time.sleep(0.2)
            send_frames(veth.names[1])
            time.sleep(0.5)
        else:
            print("not root: replaying %s instead of a live veth" % capture)
            time.sleep(1)
        values = check_walk(probe.agent(), mibs, docs)
        if live:
            check_buckets(values)
        check_exceptions(probe.agent(), mibs, values, probe)
    finally:
        probe.stop()
        if veth:
            veth.remove()


if __name__ == "__main__":
    main()
