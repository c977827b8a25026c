#!/usr/bin/env python3
"""The conversation window end to end, in the console's script mode on the demo probe:
select four rows of one matrix index, open Conversations, link two pairs by dragging
(the second with Ctrl), ask for the Bytes graph through the window's own menu, and check
the pairs chosen, the addresses handed to the view, and that the window's walks of
matrixSDOctets reached the probe: one per ordered node pair and pass, each starting at
its pair's instance.

usage: conversation_e2e_test.py QUILLON PROBE_DIR WORK_DIR
"""
import os
import subprocess
import sys

OCTETS = "1.3.6.1.2.1.16.6.2.1.5"
BYTES = 32781
CONVERSATIONS = 32784


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def run_script(quillon, work, name, lines):
    script = os.path.join(work, name + ".script")
    with open(script, "w") as f:
        f.write("\n".join(lines + ["quit"]) + "\n")
    run = subprocess.run([quillon, "--script", script], capture_output=True, text=True,
                         timeout=150)
    if run.returncode != 0:
        fail("%s: quillon exited with %d: %s%s" % (name, run.returncode, run.stdout, run.stderr))


def read_dump(path):
    dump = {"index": "", "node": [], "pair": [], "sent": []}
    with open(path) as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if fields[0] == "index":
                dump["index"] = fields[1]
            elif fields[0] in dump:
                dump[fields[0]].append(fields[1:])
    return dump


def first_rows_of_one_index(table_path, count):
    """Display rows of the first index that has count rows."""
    with open(table_path) as f:
        rows = [line.rstrip("\n").split("\t") for line in f][1:]
    by_index = {}
    for number, cells in enumerate(rows):
        by_index.setdefault(cells[0], []).append(number)
    for numbers in by_index.values():
        if len(numbers) >= count:
            return numbers[:count]
    fail("no index has %d rows" % count)


def walk_starts(log_path, offset):
    """Requests the probe logged since offset, as asked by a client (values empty)."""
    with open(log_path, errors="replace") as f:
        f.seek(offset)
        text = f.read()
    starts = {}
    for line in text.splitlines():
        if not line.startswith("Request var-binds: ") or "=<>" not in line:
            continue
        oid = line[len("Request var-binds: "):].split("=<>")[0]
        starts[oid] = starts.get(oid, 0) + 1
    return starts


def main():
    quillon, probe_dir, work = sys.argv[1:4]
    os.makedirs(work, exist_ok=True)
    table = os.path.join(work, "table.tsv")
    opened = os.path.join(work, "opened.tsv")
    linked = os.path.join(work, "linked.tsv")

    run_script(quillon, work, "table", ["open demo-probe", "wait-walks 1 90",
                                        "dump-table " + table])
    rows = first_rows_of_one_index(table, 4)
    select = "select " + " ".join(str(r) for r in rows)
    opening = ["open demo-probe", "wait-walks 1 90", select, "command %d" % CONVERSATIONS]
    run_script(quillon, work, "opened", opening + ["dump-conversation " + opened])
    nodes = read_dump(opened)["node"]
    if len(nodes) < 4:
        fail("%d nodes for four rows: %r" % (len(nodes), nodes))
    names = [node[0] for node in nodes]
    address = {node[0]: node[1] for node in nodes}

    log = os.path.join(probe_dir, "log")
    offset = os.path.getsize(log)
    run_script(quillon, work, "linked", opening + [
        "drag %s %s" % (names[0], names[1]),
        "drag %s %s ctrl" % (names[2], names[3]),
        "menu %d" % BYTES,
        # One more pass of the window's walks, five seconds after the first.
        "wait 6",
        "dump-conversation " + linked,
        "screenshot " + os.path.join(work, "conversation.png"),
    ])
    dump = read_dump(linked)
    chosen = [tuple(pair) for pair in dump["pair"]]
    if chosen != [(names[0], names[1]), (names[2], names[3])]:
        fail("pairs chosen %r" % chosen)
    expected_sent = [address[n] for n in names[:4]]
    if [s[0] for s in dump["sent"]] != expected_sent:
        fail("addresses handed to the view %r, expected %r" % (dump["sent"], expected_sent))

    starts = walk_starts(log, offset)
    index = dump["index"]
    missing = []
    for first in names:
        for second in names:
            if first == second:
                continue
            oid = "%s.%s.6.%s.6.%s" % (OCTETS, index, address[first], address[second])
            if starts.get(oid, 0) < 2:
                missing.append("%s>%s: %d" % (first, second, starts.get(oid, 0)))
    if missing:
        fail("walks of ordered pairs that did not reach the probe twice: %s" % missing)
    print("ok: %d nodes, pairs %r, %d ordered pairs walked in two passes"
          % (len(names), chosen, len(names) * (len(names) - 1)))


if __name__ == "__main__":
    main()
