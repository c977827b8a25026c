#!/usr/bin/env python3
"""Several node windows in one console, in script mode, each node on a fast probe of its own
with its own number of conversations:

  1. three nodes opened one after another all walk, the two behind as the one in front:
     dump-nodes shows every node's walks rising, each window's table holds its own node's
     rows, the Window menu lists every node window;
  2. `open` of an open node brings its window forward: no second window, its walks go on
     counting;
  3. a node window closed (as its close box does) is gone from dump-nodes and the windows,
     the others walk on, and the node opens again: a new window whose view walks it.

usage: console_nodes_test.py QUILLON SOURCE_DIR WORK_DIR   (FAST_PROBE names the probe)
"""
import os
import shutil
import subprocess
import sys

NODES = {"alpha": 30, "beta": 40, "gamma": 50}  # name: conversations


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def read_nodes(path):
    """dump-nodes: {name: (walks, seconds ago or None, state)}, and the names in order."""
    nodes, order = {}, []
    with open(path) as f:
        for line in f.read().splitlines():
            kind, name, walks, ago, state = line.split("\t")
            if kind != "node":
                fail("%s: %r" % (path, line))
            nodes[name] = (int(walks), None if ago == "-" else float(ago), state)
            order.append(name)
    return nodes, order


def read_windows(path):
    """dump-windows: the children's titles, top first, and the active one's."""
    titles, active = [], None
    with open(path) as f:
        for line in f.read().splitlines():
            fields = line.split("\t")
            if fields[0] == "child":
                titles.append(fields[6])
                if fields[5].endswith("+active"):
                    active = fields[6]
    return titles, active


def table_rows(path):
    with open(path) as f:
        return len(f.read().splitlines()) - 1


def window_menu(path):
    """dump-menu-bar: the item texts of the Window menu (the bar's last popup)."""
    items = []
    with open(path) as f:
        for line in f.read().splitlines():
            fields = line.split("\t")
            if fields[0] == "menu":
                items = []
            else:
                items.append(fields[3])
    return items


def start_probes(source_dir, work):
    probe = os.path.join(source_dir, "scripts", "demo_probe.sh")
    lines = []
    for number, (name, conversations) in enumerate(NODES.items(), 1):
        folder = os.path.join(work, name)
        subprocess.run(["bash", probe, "start", "--fast", "--static", "--conversations",
                        str(conversations), "--port", "0", "--dir", folder],
                       check=True, timeout=120, stdout=subprocess.DEVNULL)
        with open(os.path.join(folder, "port")) as f:
            lines.append("%d 127.0.0.1:%s 2c public 1000 2 %s" % (number, f.read().strip(), name))
    with open(os.path.join(work, "nodes"), "w") as f:
        f.write("\n".join(lines) + "\n")


def stop_probes(source_dir, work):
    probe = os.path.join(source_dir, "scripts", "demo_probe.sh")
    for name in NODES:
        subprocess.run(["bash", probe, "stop", "--dir", os.path.join(work, name)], timeout=60)


def run_console(quillon, work):
    p = lambda name: os.path.join(work, name)
    script = [
        "open alpha", "open beta", "open gamma", "wait-walks 1 60", "wait 1",
        "dump-nodes " + p("nodes1.tsv"),
        "dump-table " + p("gamma.tsv"),
        "wait 11",
        "dump-nodes " + p("nodes2.tsv"),
        "dump-windows " + p("windows2.txt"),
        "dump-menu-bar " + p("bar2.txt"),
        "open alpha",
        "dump-windows " + p("windows3.txt"),
        "dump-nodes " + p("nodes3.tsv"),
        "dump-table " + p("alpha.tsv"),
        "close beta",
        "dump-windows " + p("windows4.txt"),
        "dump-nodes " + p("nodes4.tsv"),
        "open beta", "wait-walks 1 60",
        "dump-nodes " + p("nodes5.tsv"),
        "dump-table " + p("beta.tsv"),
        "quit"]
    with open(p("nodes.script"), "w") as f:
        f.write("\n".join(script) + "\n")
    with open(p("console.log"), "w") as log:
        result = subprocess.run([quillon, "--nodes", p("nodes"), "--script", p("nodes.script")],
                                stdout=log, stderr=subprocess.STDOUT, timeout=240)
    if result.returncode != 0:
        with open(p("console.log"), errors="replace") as f:
            fail("quillon exited with %d: %s" % (result.returncode, f.read()))


def check(work):
    p = lambda name: os.path.join(work, name)
    names = list(NODES)
    first, order = read_nodes(p("nodes1.tsv"))
    if order != names:
        fail("dump-nodes lists %r, expected %r" % (order, names))
    later, _ = read_nodes(p("nodes2.tsv"))
    for name in names:
        if first[name][0] < 1 or later[name][0] <= first[name][0]:
            fail("%s: walks %d then %d 11 s later; every open node walks"
                 % (name, first[name][0], later[name][0]))
        if later[name][1] is None or later[name][1] > 12 or later[name][2] != "answering":
            fail("%s: last walk %r s ago, state %s" % (name, later[name][1], later[name][2]))
    for table, name in (("gamma.tsv", "gamma"), ("alpha.tsv", "alpha")):
        if table_rows(p(table)) != NODES[name]:
            fail("%s's window shows %d rows, its node has %d"
                 % (name, table_rows(p(table)), NODES[name]))
    titles, active = read_windows(p("windows2.txt"))
    if sorted(t for t in titles if t in NODES) != names or active != "gamma":
        fail("windows %r, active %r: expected a window per node, gamma in front"
             % (titles, active))
    listed = window_menu(p("bar2.txt"))
    for title in titles:
        if not any(item.endswith(" " + title) for item in listed):
            fail("the Window menu %r does not list %s" % (listed, title))

    titles3, active3 = read_windows(p("windows3.txt"))
    forward, _ = read_nodes(p("nodes3.tsv"))
    if sorted(titles3) != sorted(titles) or active3 != "alpha":
        fail("open alpha again: windows %r, active %r; expected the same windows, alpha in "
             "front" % (titles3, active3))
    if forward["alpha"][0] < later["alpha"][0]:
        fail("open alpha again counted its walks afresh: %d after %d"
             % (forward["alpha"][0], later["alpha"][0]))

    titles4, _ = read_windows(p("windows4.txt"))
    closed, order4 = read_nodes(p("nodes4.tsv"))
    if "beta" in titles4 or order4 != ["alpha", "gamma"]:
        fail("close beta: windows %r, dump-nodes %r" % (titles4, order4))
    reopened, order5 = read_nodes(p("nodes5.tsv"))
    if order5 != names or reopened["beta"][0] < 1 or reopened["beta"][2] != "answering":
        fail("beta opened again: %r" % reopened)
    if table_rows(p("beta.tsv")) != NODES["beta"]:
        fail("beta opened again shows %d rows, expected %d"
             % (table_rows(p("beta.tsv")), NODES["beta"]))
    return later


def main():
    quillon, source_dir, work = sys.argv[1:4]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    start_probes(source_dir, work)
    try:
        run_console(quillon, work)
    finally:
        stop_probes(source_dir, work)
    later = check(work)
    print("ok: walks after 11 s %s; open brings forward; close and open again"
          % ", ".join("%s %d" % (name, later[name][0]) for name in NODES))


if __name__ == "__main__":
    main()
