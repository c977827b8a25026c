#!/usr/bin/python3
"""Writes snmpsim data (.snmprec) for a demo RMON-1 probe watching a small LAN.

The probe answers the MIB-II system and interfaces groups, the RMON-1
matrixControlTable and matrixSDTable (two matrix indexes, one per monitored
interface). Hosts carry real vendor prefixes from the IEEE registry so that name
conversion has something to find; a few are named in an ethers file.

Variants:
  live    counters grow with snmpsim's numeric variation module (the default)
  static  fixed counters, for exact comparisons in tests
Any size: --conversations N (hosts grow with it so that the pairs stay unique).

Usage:
  gen_probe_data.py [--variant live|static] [--conversations N] [--hosts N] [--seed S]
                    [--out FILE] [--ethers FILE]
"""

import argparse
import math
import random
import sys

MATRIX_CONTROL = (1, 3, 6, 1, 2, 1, 16, 6, 1, 1)
MATRIX_SD = (1, 3, 6, 1, 2, 1, 16, 6, 2, 1)
SYSTEM = (1, 3, 6, 1, 2, 1, 1)
INTERFACES = (1, 3, 6, 1, 2, 1, 2)

# snmprec tags (BER type numbers).
INTEGER, OCTETS, OID, COUNTER32, GAUGE32, TIMETICKS = "2", "4", "6", "65", "66", "67"

# Vendor prefixes present in Debian's ieee-data (oui.txt), weighted like an
# office LAN: many PCs, a few switches, servers, printers and phones.
VENDORS = [
    ("00A0C9", 4), ("001B21", 4), ("3CFDFE", 3), ("001CC0", 3),  # Intel
    ("00000C", 2), ("001AA1", 2),  # Cisco
    ("001422", 3), ("180373", 3),  # Dell
    ("0017A4", 2), ("3CD92B", 2),  # Hewlett Packard
    ("000393", 3),  # Apple
    ("000585", 1),  # Juniper
    ("B827EB", 1),  # Raspberry Pi
    ("008077", 1),  # Brother (printer)
    ("0000AA", 1),  # Xerox (printer)
    ("005056", 2),  # VMware guests
]

# Hosts from the registry's smaller blocks: an MA-M (/28) and an MA-S (/36)
# assignment, so that the longest prefix is the one that names them.
BLOCK_HOSTS = ["208593B45678", "70B3D5F2F123"]

BROADCAST = "FFFFFFFFFFFF"
MDNS = "01005E0000FB"

# Names for the ethers file: the first hosts of the generated list. One holds a comma and
# quotes, so that every CSV export of names must quote it.
NAMED = ["gateway", "fileserver", "printer-2f", "build-01", "mail", "dns-1", "nas",
         'voip-gw,"lab"']


def make_hosts(count, rng):
    weights = [w for _, w in VENDORS]
    prefixes = [p for p, _ in VENDORS]
    hosts = list(BLOCK_HOSTS)
    seen = set(hosts)
    while len(hosts) < count:
        mac = rng.choices(prefixes, weights)[0] + "%06X" % rng.randrange(1 << 24)
        if mac not in seen:
            seen.add(mac)
            hosts.append(mac)
    # A stable shuffled order; the first ones get names in the ethers file.
    rng.shuffle(hosts)
    return hosts


def make_pairs(hosts, count, rng):
    """Distinct (index, src, dst) triples; index 1 carries about two thirds."""
    n = len(hosts)
    first = (count * 2 + 2) // 3
    pairs = []
    for index, wanted in ((1, first), (2, count - first)):
        space = n * (n - 1)
        for k in sorted(rng.sample(range(space), min(wanted, space))):
            s, d = divmod(k, n - 1)
            d += d >= s
            pairs.append((index, hosts[s], hosts[d]))
    # Some hosts talk to broadcast and multicast: ARP and mDNS.
    for i in range(min(6, len(pairs) // 40)):
        pairs[-1 - i] = (pairs[-1 - i][0], pairs[-1 - i][1], BROADCAST if i % 2 else MDNS)
    return sorted(set(pairs))


def counters(rng, live, with_errors):
    """One conversation's packets, octets and errors: (initial, rate per second)."""
    pkts = int(math.exp(rng.uniform(math.log(20), math.log(2_000_000))))
    size = rng.choice([64, 90, 180, 576, 1100, 1460, 1514])
    octets = min(pkts * size, 3_500_000_000)
    errors = rng.randrange(1, max(2, pkts // 200)) if with_errors else 0
    if not live or rng.random() < 0.15:  # idle conversations stay put
        return [(pkts, 0.0), (octets, 0.0), (errors, 0.0)]
    pkt_rate = round(rng.uniform(0.2, 300.0), 1)
    err_rate = round(pkt_rate * rng.uniform(0.01, 0.05), 2) if with_errors else 0.0
    return [(pkts, pkt_rate), (octets, round(pkt_rate * size, 1)), (errors, err_rate)]


def counter(initial, rate):
    if rate == 0:
        return (COUNTER32, str(initial))
    # numeric: value = initial + rate * seconds since the agent started; wraps at 2^32.
    return (COUNTER32 + ":numeric", "initial=%d,rate=%s,wrap=1" % (initial, rate))


def mac_oid(mac):
    return tuple(int(mac[i : i + 2], 16) for i in range(0, 12, 2))


def matrix_records(pairs, rng, live):
    records = []
    for index, src, dst in pairs:
        inst = (index, 6) + mac_oid(src) + (6,) + mac_oid(dst)
        values = counters(rng, live, rng.random() < 0.05)
        records.append((MATRIX_SD + (1,) + inst, OCTETS + "x", src.lower()))
        records.append((MATRIX_SD + (2,) + inst, OCTETS + "x", dst.lower()))
        records.append((MATRIX_SD + (3,) + inst, INTEGER, str(index)))
        records.append((MATRIX_SD + (4,) + inst,) + counter(*values[0]))
        records.append((MATRIX_SD + (5,) + inst,) + counter(*values[1]))
        records.append((MATRIX_SD + (6,) + inst,) + counter(*values[2]))
    return records


def control_records(pairs):
    records = []
    for index in (1, 2):
        size = sum(1 for p in pairs if p[0] == index)
        records += [
            (MATRIX_CONTROL + (1, index), INTEGER, str(index)),
            (MATRIX_CONTROL + (2, index), OID, "1.3.6.1.2.1.2.2.1.1.%d" % index),
            (MATRIX_CONTROL + (3, index), INTEGER, str(size)),
            (MATRIX_CONTROL + (4, index), TIMETICKS, "0"),
            (MATRIX_CONTROL + (5, index), OCTETS, "monitor"),
            (MATRIX_CONTROL + (6, index), INTEGER, "1"),
        ]
    return records


def system_records(live):
    uptime = (TIMETICKS + ":numeric", "initial=4321000,rate=100") if live else (TIMETICKS, "4321000")
    return [
        (SYSTEM + (1, 0), OCTETS, "Tessaran demo RMON probe, 2 x 100BASE-TX"),
        (SYSTEM + (2, 0), OID, "1.3.6.1.4.1.8072.3.2.10"),
        (SYSTEM + (3, 0),) + uptime,
        (SYSTEM + (4, 0), OCTETS, "netops@example.com"),
        (SYSTEM + (5, 0), OCTETS, "demo-probe"),
        (SYSTEM + (6, 0), OCTETS, "Wiring closet 2F"),
        (SYSTEM + (7, 0), INTEGER, "72"),
    ]


def interface_records():
    records = [(INTERFACES + (1, 0), INTEGER, "2")]
    for i in (1, 2):
        entry = INTERFACES + (2, 1)
        records += [
            (entry + (1, i), INTEGER, str(i)),
            (entry + (2, i), OCTETS, "eth%d" % (i - 1)),
            (entry + (3, i), INTEGER, "6"),
            (entry + (5, i), GAUGE32, "100000000"),
            (entry + (6, i), OCTETS + "x", "00a0c9e0000%d" % i),
            (entry + (8, i), INTEGER, "1"),
        ]
    return records


def ethers_lines(hosts):
    lines = ["# Names of demo LAN hosts, ethers(5) format: address name"]
    for mac, name in zip(hosts, NAMED):
        lines.append("%s %s" % (":".join(mac[i : i + 2].lower() for i in range(0, 12, 2)), name))
    return lines


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    ap.add_argument("--variant", choices=["live", "static"], default="live")
    ap.add_argument("--conversations", type=int, default=250)
    ap.add_argument("--hosts", type=int, default=40)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--out", default="-", help="snmprec file to write (default stdout)")
    ap.add_argument("--ethers", help="also write an ethers file naming a few hosts")
    args = ap.parse_args()

    rng = random.Random(args.seed)
    # Enough hosts that every index has room for its share of distinct pairs.
    hosts = make_hosts(max(args.hosts, math.isqrt(args.conversations) + 3), rng)
    pairs = make_pairs(hosts, args.conversations, rng)
    live = args.variant == "live"
    records = system_records(live) + interface_records() + control_records(pairs)
    records += matrix_records(pairs, rng, live)
    records.sort(key=lambda r: r[0])

    out = sys.stdout if args.out == "-" else open(args.out, "w")
    with out:
        for oid, tag, value in records:
            out.write("%s|%s|%s\n" % (".".join(map(str, oid)), tag, value))
    if args.ethers:
        with open(args.ethers, "w") as f:
            f.write("\n".join(ethers_lines(hosts)) + "\n")


if __name__ == "__main__":
    main()
