#!/usr/bin/env python3
"""The graph commands in the console on a live demo probe of its own (the shared one
serves fixed counters, which give no rates): select three rows, open their Utilization
graph and the All window, and check what the console's graph engine made of the
plug-in's graph records: titles, one series per row (two for Packets) named after the
rows' pairs, instances built from the rows' addresses, and values that the probe
answered for every series of the Bytes graph.

usage: console_graphs_test.py QUILLON SOURCE_DIR WORK_DIR
"""
import os
import subprocess
import sys

DEVICE = "demo-probe"
UTILIZATION = "100 * (800*{matrixSDOctets}/({$time}*10000000))"
ALL = [("Utilization", [UTILIZATION]),
       ("Errors", ["({matrixSDErrors}/{matrixSDPkts})*100"]),
       ("Bytes", ["{matrixSDOctets}"]),
       ("Packets", ["{matrixSDPkts}", "{matrixSDErrors}"])]


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def instance(cells):
    dotted = lambda text: ".".join(str(int(b, 16)) for b in text.split(" "))
    return "%s.6.%s.6.%s" % (cells[0], dotted(cells[3]), dotted(cells[4]))


def read_graphs(path):
    """[(title, [(legend, instance, expression, [values])])] in the dump's order."""
    graphs = []
    with open(path) as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if fields[0] == "graph":
                graphs.append((fields[1], []))
            elif fields[0] == "series":
                graphs[-1][1].append((fields[2], fields[3], fields[4], []))
            elif fields[0] == "point":
                graphs[-1][1][-1][3].append(fields[2])
    return graphs


def expected_series(rows, expressions, names):
    pair = lambda cells: cells[1] + "->" + cells[2]
    return [(names(pair(cells), name), instance(cells), expression)
            for cells in rows for name, expression in expressions]


def run_console(quillon, source, work, script):
    probe_script = os.path.join(source, "scripts", "demo_probe.sh")
    probe = os.path.join(work, "probe")
    subprocess.run(["bash", probe_script, "start", "--port", "0", "--dir", probe], check=True,
                   capture_output=True, timeout=120)
    try:
        env = dict(os.environ, TESSARAN_GRAPH_INTERVAL="1",
                   TESSARAN_NODES=os.path.join(probe, "nodes"))
        return subprocess.run([quillon, "--script", script], capture_output=True, text=True,
                              timeout=150, env=env)
    finally:
        subprocess.run(["bash", probe_script, "stop", "--dir", probe], capture_output=True)


def main():
    quillon, source, work = sys.argv[1:4]
    os.makedirs(work, exist_ok=True)
    table, dump = os.path.join(work, "table.tsv"), os.path.join(work, "graphs.tsv")
    script = os.path.join(work, "graphs.script")
    with open(script, "w") as f:
        f.write("open %s\nwait-walks 2 60\nselect 0 1 2\ndump-table %s\ncommand 32779\n"
                "command 32783\ntab 2\nwait-graphs 2 60\ndump-graphs %s\nquit\n"
                % (DEVICE, table, dump))
    run = run_console(quillon, source, work, script)
    if run.returncode != 0:
        fail("quillon exited with %d: %s%s" % (run.returncode, run.stdout, run.stderr))
    with open(table) as f:
        rows = [line.rstrip("\n").split("\t") for line in f][1:4]
    graphs = read_graphs(dump)

    pair_only = lambda pair, name: pair
    with_pair = lambda pair, name: "%s  (%s)" % (name, pair)
    expected = [("Utilization for " + DEVICE,
                 expected_series(rows, [("Utilization", UTILIZATION)], pair_only))]
    for word, expressions in ALL:
        names = [word] if len(expressions) == 1 else ["Packets", "Errors"]
        legends = with_pair if word == "Packets" else pair_only
        expected.append(("%s for %s" % (word, DEVICE),
                         expected_series(rows, list(zip(names, expressions)), legends)))
    shown = [(title, [s[:3] for s in series]) for title, series in graphs]
    if shown != expected:
        fail("graphs %r, expected %r" % (shown, expected))
    for legend, _, _, values in graphs[3][1]:
        if not any(value != "-" for value in values):
            fail("no value for %s in %r" % (legend, values))
    print("ok: %d graphs, %d series" % (len(graphs), sum(len(s) for _, s in graphs)))


if __name__ == "__main__":
    main()
