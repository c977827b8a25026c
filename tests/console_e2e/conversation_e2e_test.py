#!/usr/bin/env python3
"""The conversation window end to end, in the console's script mode on the demo probe:
select four rows of one matrix index, open Conversations, link two pairs by dragging
(the second with Ctrl), ask for the Bytes graph through the window's own menu, wait for
points, and check the pairs chosen, the addresses handed to the view, the graph's
instances and legends, and that the window's walks of matrixSDOctets reached the probe:
one per ordered node pair and pass, each starting at its pair's instance. The probe is
its own, serving the live data set (a graph needs its uptime and counters to move).

usage: conversation_e2e_test.py QUILLON SOURCE_DIR WORK_DIR
"""
import os
import subprocess
import sys

OCTETS = "1.3.6.1.2.1.16.6.2.1.5"
BYTES = 32781
CONVERSATIONS = 32784
NODES = ""


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def run_script(quillon, work, name, lines):
    script = os.path.join(work, name + ".script")
    with open(script, "w") as f:
        f.write("\n".join(lines + ["quit"]) + "\n")
    run = subprocess.run([quillon, "--script", script], capture_output=True, text=True,
                         timeout=150, env=dict(os.environ, TESSARAN_NODES=NODES))
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
    """Display rows of the first index that has count rows, and every row's cells."""
    with open(table_path) as f:
        rows = [line.rstrip("\n").split("\t") for line in f][1:]
    by_index = {}
    for number, cells in enumerate(rows):
        by_index.setdefault(cells[0], []).append(number)
    for numbers in by_index.values():
        if len(numbers) >= count:
            return numbers[:count], rows
    fail("no index has %d rows" % count)


def conversation_pairs(rows, selected):
    """Two source and destination name pairs of the selected rows: conversations the probe
    counts, so that their graph gets values."""
    pairs = []
    for number in selected:
        pair = (rows[number][1], rows[number][2])
        if pair[0] != pair[1] and pair not in pairs:
            pairs.append(pair)
    if len(pairs) < 2:
        fail("the selected rows hold fewer than two conversations: %r" % pairs)
    return pairs[:2]


def walk_starts(log_path, offset):
    """How often the probe saw each identifier since offset: asked by a client (values
    empty), or named in a get-bulk answer. Walks of one column share their get-bulk
    read-ahead, so a walk that starts on a row another walk's answer holds is answered
    without asking the probe."""
    with open(log_path, errors="replace") as f:
        f.seek(offset)
        text = f.read()
    starts = {}
    for line in text.splitlines():
        if line.startswith("Request var-binds: ") and "=<>" in line:
            names = [line[len("Request var-binds: "):].split("=<>")[0]]
        elif line.startswith("Response var-binds: "):
            names = set(var.split("=<")[0] for var in line[len("Response var-binds: "):].split(", "))
        else:
            continue
        for oid in names:
            starts[oid] = starts.get(oid, 0) + 1
    return starts


def check_graph(path, index, pairs):
    """One Bytes graph with one series per pair, in order: the pair's instance and its
    source->destination legend, and points."""
    titles, series, points = [], [], 0
    with open(path) as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if fields[0] == "graph":
                titles.append(fields[1])
            elif fields[0] == "series":
                series.append((fields[2], fields[3].lstrip(".")))
            elif fields[0] == "point":
                points += 1
    if len(titles) != 1 or not titles[0].startswith("Bytes for "):
        fail("graphs %r" % titles)
    expected = [("%s->%s" % pair, "%s.6.%s.6.%s" % (index, pair[0], pair[1])) for pair in pairs]
    if series != expected:
        fail("graph series %r, expected %r" % (series, expected))
    if points < 2 * len(pairs):
        fail("%d points in the graph" % points)


def main():
    global NODES
    quillon, source_dir, work = sys.argv[1:4]
    os.makedirs(work, exist_ok=True)
    probe_script = os.path.join(source_dir, "scripts", "demo_probe.sh")
    probe_dir = os.path.join(work, "probe")
    subprocess.run(["bash", probe_script, "start", "--port", "0", "--dir", probe_dir],
                   check=True, capture_output=True, timeout=120)
    NODES = os.path.join(probe_dir, "nodes")
    try:
        check_conversations(quillon, probe_dir, work)
    finally:
        subprocess.run(["bash", probe_script, "stop", "--dir", probe_dir], timeout=60)


def check_conversations(quillon, probe_dir, work):
    table = os.path.join(work, "table.tsv")
    opened = os.path.join(work, "opened.tsv")
    linked = os.path.join(work, "linked.tsv")
    graphs = os.path.join(work, "graphs.tsv")

    run_script(quillon, work, "table", ["open demo-probe", "wait-walks 1 90",
                                        "dump-table " + table])
    selected, rows = first_rows_of_one_index(table, 4)
    first, second = conversation_pairs(rows, selected)
    select = "select " + " ".join(str(r) for r in selected)
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
        "drag %s %s" % first,
        "drag %s %s ctrl" % second,
        "screenshot-active " + os.path.join(work, "conversation.png"),
        "menu %d" % BYTES,
        "dump-conversation " + linked,
        # Two points take one graph interval (5 s): the window's second pass starts too.
        "wait-graphs 2 60",
        "wait 1",
        "dump-graphs " + graphs,
        "screenshot-active " + os.path.join(work, "graph.png"),
    ])
    dump = read_dump(linked)
    chosen = [tuple(pair) for pair in dump["pair"]]
    if chosen != [first, second]:
        fail("pairs chosen %r, dragged %r" % (chosen, [first, second]))
    expected_sent = [address[n] for n in first + second]
    if [s[0] for s in dump["sent"]] != expected_sent:
        fail("addresses handed to the view %r, expected %r" % (dump["sent"], expected_sent))

    index = dump["index"]
    check_graph(graphs, index, [(address[first[0]], address[first[1]]),
                                (address[second[0]], address[second[1]])])
    starts = walk_starts(log, offset)
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
