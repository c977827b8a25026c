#!/usr/bin/env python3
"""Live graphs end to end: the console on its own demo probe (counters grow) selects three
conversations, opens their Utilization and Bytes graphs, waits for three points per
series and dumps the graphs; every dumped value is checked against the expression
recomputed from raw counters that snmpget reads independently. Then All must open one
window of four tabs (Utilization, Errors, Bytes, Packets). Every graph's title and series
(legend, instance, expression) must follow the selected rows of the table: one series per
row, two for Packets, named after the row's pair, at the instance its addresses make.

The demo probe's counters grow at a constant rate (snmpsim's numeric variation), so the
rate snmpget measures over the whole run is the rate behind every point. Tolerance: 3 %
of the expected value plus what two counter units and one uptime tick change it.

usage: console_graphs_test.py QUILLON SOURCE_DIR WORK_DIR
"""
import os
import subprocess
import sys
import time

DEVICE = "demo-probe"
UPTIME = "1.3.6.1.2.1.1.3.0"
COLUMNS = {"matrixSDPkts": "1.3.6.1.2.1.16.6.2.1.4", "matrixSDOctets": "1.3.6.1.2.1.16.6.2.1.5",
           "matrixSDErrors": "1.3.6.1.2.1.16.6.2.1.6"}
UTILIZATION = "100 * (800*{matrixSDOctets}/({$time}*10000000))"
BYTES = "{matrixSDOctets}"
INTERVAL_SECONDS = 2
RELATIVE_TOLERANCE = 0.03
# The expressions of each category's series, per conversation.
CATEGORIES = [("Utilization", [UTILIZATION]), ("Errors", ["({matrixSDErrors}/{matrixSDPkts})*100"]),
              ("Bytes", [BYTES]), ("Packets", ["{matrixSDPkts}", "{matrixSDErrors}"])]


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def snmpget(port, oids):
    output = subprocess.run(
        ["snmpget", "-v2c", "-c", "public", "-On", "-Oq", "-Ot", "-t", "2", "127.0.0.1:" + port]
        + oids, check=True, capture_output=True, text=True).stdout
    values = {}
    for line in output.splitlines():
        oid, _, value = line.partition(" ")
        values[oid.lstrip(".")] = int(value)
    return values


def read_dump(path):
    """[{title, series: [{index, legend, instance, expression, points: [(t, v, dt)]}]}]"""
    graphs = []
    with open(path) as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if fields[0] == "graph":
                graphs.append({"title": fields[1], "series": []})
            elif fields[0] == "series":
                graphs[-1]["series"].append({"index": int(fields[1]), "legend": fields[2],
                                             "instance": fields[3], "expression": fields[4],
                                             "points": []})
            elif fields[0] == "point":
                graphs[-1]["series"][-1]["points"].append(tuple(fields[1:4]))
    return graphs


def expected(expression, rate, interval):
    """The expression's value for an octet rate (per hundredth) over an interval."""
    octets = rate * interval
    if expression == UTILIZATION:
        return 100 * (800 * octets / (interval * 10000000)), 100 * 800 * 2 / (interval * 1e7)
    if expression == BYTES:
        return octets, 2 + rate
    fail("unexpected expression %r" % expression)


def check_graph(graph, rates):
    for series in graph["series"]:
        values = [p for p in series["points"] if p[1] != "-"]
        if len(values) < 3:
            fail("%s, series %d: %d values" % (graph["title"], series["index"], len(values)))
        rate = rates[series["instance"]]
        for time, value, interval in values:
            interval = int(interval)
            if abs(interval - INTERVAL_SECONDS * 100) > INTERVAL_SECONDS * 50:
                fail("%s: interval %d hundredths for a %d s poll" % (graph["title"], interval,
                                                                      INTERVAL_SECONDS))
            want, slack = expected(series["expression"], rate, interval)
            if abs(float(value) - want) > RELATIVE_TOLERANCE * want + slack:
                fail("%s, %s at %s: %s, recomputed %.6g" % (graph["title"], series["legend"],
                                                           time, value, want))
    return sum(len(s["points"]) for s in graph["series"])


def instance(cells):
    dotted = lambda text: ".".join(str(int(b, 16)) for b in text.split(" "))
    return "%s.6.%s.6.%s" % (cells[0], dotted(cells[3]), dotted(cells[4]))


def expected_graph(word, rows):
    """(title, [(legend, instance, expression)]) of a category's graph of the rows."""
    expressions = dict(CATEGORIES)[word]
    names = [word] if len(expressions) == 1 else ["Packets", "Errors"]
    series = []
    for cells in rows:
        pair = cells[1] + "->" + cells[2]
        for name, expression in zip(names, expressions):
            legend = "%s  (%s)" % (name, pair) if word == "Packets" else pair
            series.append((legend, instance(cells), expression))
    return "%s for %s" % (word, DEVICE), series


def check_shapes(graphs, rows):
    words = ["Utilization", "Bytes"] + [name for name, _ in CATEGORIES]
    want = [expected_graph(word, rows) for word in words]
    shown = [(g["title"], [(s["legend"], s["instance"], s["expression"]) for s in g["series"]])
             for g in graphs]
    if shown != want:
        fail("graphs %r, expected %r" % (shown, want))


def category(graph):
    """The category whose expressions the graph's series carry, one conversation after
    another."""
    expressions = [s["expression"] for s in graph["series"]]
    for name, per_conversation in CATEGORIES:
        if expressions and expressions == per_conversation * (len(expressions) // len(per_conversation)):
            return name
    return "?"


def octet_rates(instances, before, after):
    rates = {}
    for instance in instances:
        oid = COLUMNS["matrixSDOctets"] + "." + instance
        rates[instance] = (after[oid] - before[oid]) / (after[UPTIME] - before[UPTIME])
    return rates


def main():
    quillon, source_dir, work = sys.argv[1:4]
    probe_dir = os.path.join(work, "probe")
    os.makedirs(work, exist_ok=True)
    probe = os.path.join(source_dir, "scripts", "demo_probe.sh")
    subprocess.run(["bash", probe, "start", "--port", "0", "--dir", probe_dir], check=True,
                   capture_output=True)
    try:
        run(quillon, work, probe_dir)
    finally:
        subprocess.run(["bash", probe, "stop", "--dir", probe_dir], capture_output=True)


def run(quillon, work, probe_dir):
    with open(os.path.join(probe_dir, "port")) as f:
        port = f.read().strip()
    table = os.path.join(work, "table.tsv")
    first = os.path.join(work, "graphs.tsv")
    everything = os.path.join(work, "all.tsv")
    script = os.path.join(work, "graphs.script")
    with open(script, "w") as f:
        f.write("open demo-probe\nwait-walks 1 90\nselect 0 1 2\ndump-table %s\n"
                "command 32779\ncommand 32781\nwait-graphs 3 90\ndump-graphs %s\n"
                "command 32783\ntab 3\ntab 0\ndump-graphs %s\nscreenshot %s\nquit\n"
                % (table, first, everything, os.path.join(work, "all.png")))
    env = dict(os.environ, TESSARAN_NODES=os.path.join(probe_dir, "nodes"),
               QT_QPA_PLATFORM="offscreen")
    quillon_run = subprocess.run([quillon, "--script", script, "--graph-interval",
                                  str(INTERVAL_SECONDS)], capture_output=True, text=True,
                                 timeout=240, env=env)
    if quillon_run.returncode != 0:
        fail("quillon exited with %d: %s%s" % (quillon_run.returncode, quillon_run.stdout,
                                               quillon_run.stderr))
    graphs = read_dump(first)
    if [category(g) for g in graphs] != ["Utilization", "Bytes"]:
        fail("graphs %r" % graphs)
    instances = sorted({s["instance"] for g in graphs for s in g["series"]})
    if len(instances) != 3 or any(len(g["series"]) != 3 for g in graphs):
        fail("expected three conversations per graph: %r" % graphs)
    oids = [COLUMNS["matrixSDOctets"] + "." + i for i in instances]
    # Readings far enough apart for an exact rate: the counters grow linearly.
    before = snmpget(port, [UPTIME] + oids)
    time.sleep(4)
    after = snmpget(port, [UPTIME] + oids)
    rates = octet_rates(instances, before, after)
    points = sum(check_graph(g, rates) for g in graphs)

    with open(table) as f:
        rows = [line.rstrip("\n").split("\t") for line in f][1:4]
    check_shapes(read_dump(everything), rows)
    print("ok: %d points of %d graphs match snmpget; All opened four tabs; every series "
          "follows its row" % (points, len(graphs)))


if __name__ == "__main__":
    main()
