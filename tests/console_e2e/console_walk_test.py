#!/usr/bin/env python3
"""The console in script mode on the demo probe: open the node, let two walks end,
dump the Matrix table, and compare every row with the matrix table as snmpwalk reads
it from the same agent. Names come from the names file, else the IEEE registry's
vendor with the address's last three bytes, else the address itself.

usage: console_walk_test.py QUILLON PROBE_DIR SOURCE_DIR WORK_DIR
"""
import csv
import os
import subprocess
import sys

MATRIX_ENTRY = ".1.3.6.1.2.1.16.6.2.1."
TITLES = ["Index", "Source", "Destination", "Source", "Destination", "Bytes", "Packets",
          "Errors"]
REGISTRIES = [("oui36.csv", 9), ("mam.csv", 7), ("oui.csv", 6)]  # longest prefix first


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def short_vendor(organisation):
    """The first blank-separated word that has letters or digits, at most 8 of them."""
    for word in organisation.split(" "):
        kept = "".join(c for c in word if c.isascii() and c.isalnum())[:8]
        if kept:
            return kept
    return ""


def load_registry(folder):
    registry = {}
    for name, digits in REGISTRIES:
        path = os.path.join(folder, name)
        if not os.path.exists(path):
            continue
        with open(path, newline="", encoding="utf-8", errors="replace") as f:
            for row in csv.DictReader(f):
                prefix = row.get("Assignment", "").strip().upper()
                if len(prefix) == digits:
                    registry.setdefault((digits, prefix), short_vendor(row["Organization Name"]))
    return registry


def load_ethers(path):
    names = {}
    with open(path) as f:
        for line in f:
            fields = line.split("#")[0].split()
            if len(fields) >= 2:
                names.setdefault(fields[0].upper().replace(":", " "), fields[1])
    return names


def expected_name(address, ethers, registry):
    if address in ethers:
        return ethers[address]
    digits = address.replace(" ", "")
    for _, length in REGISTRIES:
        vendor = registry.get((length, digits[:length]))
        if vendor:
            tail = ":".join(address.split(" ")[3:]).lower()
            return vendor + "_" + tail
    return address


def walk_matrix(port):
    output = subprocess.run(
        ["snmpwalk", "-v2c", "-c", "public", "-On", "-Oq", "-Oe", "-t", "2",
         "127.0.0.1:" + port, MATRIX_ENTRY[:-3]],
        check=True, capture_output=True, text=True).stdout
    rows = {}
    for line in output.splitlines():
        oid, _, value = line.partition(" ")
        # The walk's last line repeats the last name with the end-of-view notice.
        if not oid.startswith(MATRIX_ENTRY) or value.startswith("No more variables"):
            continue
        column, _, instance = oid[len(MATRIX_ENTRY):].partition(".")
        rows.setdefault(instance, {})[int(column)] = value.strip().strip('"')
    return rows


def conversation(instance, columns):
    parts = [int(p) for p in instance.split(".")]
    index, source, destination = parts[0], parts[2:8], parts[9:15]
    text = lambda octets: " ".join("%02X" % b for b in octets)
    return [str(index), text(source), text(destination), columns[5], columns[4], columns[6]]


def instance_key(instance):
    return [int(p) for p in instance.split(".")]


def main():
    quillon, probe_dir, source_dir, work = sys.argv[1:5]
    os.makedirs(work, exist_ok=True)
    table = os.path.join(work, "table.tsv")
    script = os.path.join(work, "walk.script")
    with open(script, "w") as f:
        f.write("open demo-probe\nwait-walks 2 60\ndump-table %s\nquit\n" % table)
    run = subprocess.run([quillon, "--script", script], capture_output=True, text=True,
                         timeout=120)
    if run.returncode != 0:
        fail("quillon exited with %d: %s%s" % (run.returncode, run.stdout, run.stderr))

    with open(os.path.join(probe_dir, "port")) as f:
        port = f.read().strip()
    walked = walk_matrix(port)
    if not walked:
        fail("snmpwalk found no conversation")
    ethers = load_ethers(os.path.join(source_dir, "data", "ethers"))
    registry = load_registry(os.environ.get("TESSARAN_IEEE_DATA", "/usr/share/ieee-data"))

    with open(table) as f:
        lines = [line.rstrip("\n").split("\t") for line in f]
    if lines[0] != TITLES:
        fail("header %r" % lines[0])
    shown = lines[1:]
    if len(shown) != len(walked):
        fail("%d rows shown for %d conversations: a walk added or lost rows"
             % (len(shown), len(walked)))
    for number, (cells, instance) in enumerate(
            zip(shown, sorted(walked, key=instance_key))):
        index, source, destination, octets, packets, errors = conversation(
            instance, walked[instance])
        expected = [index, expected_name(source, ethers, registry),
                    expected_name(destination, ethers, registry), source, destination,
                    octets, packets, errors]
        if cells != expected:
            fail("row %d: shown %r, expected %r" % (number, cells, expected))
    print("ok: %d rows match the agent" % len(shown))


if __name__ == "__main__":
    main()
