#!/usr/bin/env python3
"""The node window's status line and the CSV export, in the console's script mode on a
probe of its own. The console opens the probe and exports the table through its File menu
(compared with dump-table); the test then stops the probe and the status line must say
"not answering since HH:MM:SS (time-out)"; the probe is started again on the same port and
the line must come back to the conversation count and the last walk by itself.

usage: console_status_test.py QUILLON SOURCE_DIR WORK_DIR
"""
import csv
import os
import re
import subprocess
import sys
import time

# The Matrix view's columns as its table reports them: shown ones first in the CSV, then
# the hidden address pair.
CSV_ORDER = [0, 1, 2, 5, 6, 7, 3, 4]


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def wait_for_lines(path, count, console, seconds=150):
    """The file once it holds count lines; fails when the console ends first."""
    deadline = time.time() + seconds
    while time.time() < deadline:
        if os.path.exists(path):
            with open(path) as f:
                lines = f.read().splitlines()
            if len(lines) >= count:
                return lines
        if console.poll() is not None:
            fail("the console ended early (%d): %s" % (console.returncode, log_text(path)))
        time.sleep(0.2)
    fail("no %s after %d s" % (path, seconds))


def log_text(near):
    """The console's output, logged beside the file it was to write."""
    with open(os.path.join(os.path.dirname(near), "console.log"), errors="replace") as f:
        return f.read()


def touch(path):
    open(path, "w").close()


def check_csv(csv_path, table_path):
    with open(csv_path, "rb") as f:
        raw = f.read()
    if not raw.endswith(b"\r\n") or raw.replace(b"\r\n", b"").count(b"\n"):
        fail("CSV lines must end with CRLF")
    with open(csv_path, newline="") as f:
        records = list(csv.reader(f))
    with open(table_path) as f:
        table = [line.rstrip("\n").split("\t") for line in f]
    titles = [table[0][c] + (" address" if c in (3, 4) else "") for c in CSV_ORDER]
    if records[0] != titles:
        fail("CSV titles %r, expected %r" % (records[0], titles))
    if len(records) != len(table) or len(table) < 2:
        fail("CSV has %d records, the table %d lines" % (len(records), len(table)))
    for number, (record, cells) in enumerate(zip(records[1:], table[1:])):
        if record != [cells[c] for c in CSV_ORDER]:
            fail("CSV row %d %r, table %r" % (number, record, cells))
    # data/ethers names one host with a comma and quotes: the export must have quoted it.
    if not any("," in cell and '"' in cell for record in records for cell in record):
        fail("no name with a comma and a quote in the CSV")
    return len(table) - 1


def main():
    quillon, source_dir, work = sys.argv[1:4]
    os.makedirs(work, exist_ok=True)
    for name in os.listdir(work):
        if name.endswith((".txt", ".csv", ".tsv")) or name in ("stopped", "restarted"):
            os.remove(os.path.join(work, name))
    probe = os.path.join(source_dir, "scripts", "demo_probe.sh")
    probe_dir = os.path.join(work, "probe")
    subprocess.run(["bash", probe, "start", "--static", "--port", "0", "--dir", probe_dir],
                   check=True, timeout=120)
    try:
        with open(os.path.join(probe_dir, "port")) as f:
            port = f.read().strip()
        run(quillon, probe, probe_dir, port, work)
    finally:
        subprocess.run(["bash", probe, "stop", "--dir", probe_dir], timeout=60)


def run(quillon, probe, probe_dir, port, work):
    path = lambda name: os.path.join(work, name)
    script = path("status.script")
    with open(script, "w") as f:
        f.write("\n".join([
            "open demo-probe",
            "wait-status answering 90",
            "export-csv " + path("table.csv"),
            "dump-table " + path("table.tsv"),
            "dump-status " + path("answering.txt"),
            "wait-file %s 120" % path("stopped"),
            "wait-status not-answering 90",
            "dump-status " + path("silent.txt"),
            "wait-file %s 120" % path("restarted"),
            "wait-status answering 90",
            "dump-status " + path("recovered.txt"),
            "quit", ""]))
    env = dict(os.environ, TESSARAN_NODES=os.path.join(probe_dir, "nodes"))
    with open(path("console.log"), "w") as log:
        console = subprocess.Popen([quillon, "--script", script], env=env, stdout=log,
                                   stderr=subprocess.STDOUT)
    try:
        answering = wait_for_lines(path("answering.txt"), 2, console)
        rows = check_csv(path("table.csv"), path("table.tsv"))
        subprocess.run(["bash", probe, "stop", "--dir", probe_dir], check=True, timeout=60)
        touch(path("stopped"))
        silent = wait_for_lines(path("silent.txt"), 2, console)
        subprocess.run(["bash", probe, "start", "--static", "--port", port, "--dir", probe_dir],
                       check=True, timeout=120)
        touch(path("restarted"))
        recovered = wait_for_lines(path("recovered.txt"), 2, console)
        console.wait(timeout=60)
    finally:
        if console.poll() is None:
            console.kill()
            console.wait()
    if console.returncode != 0:
        fail("quillon exited with %d: %s" % (console.returncode, log_text(script)))

    walked = r"^%d conversations; last walk ended at \d\d:\d\d:\d\d, took \d+\.\d s$" % rows
    for name, lines in (("answering", answering), ("recovered", recovered)):
        if not re.match(walked, lines[0]) or lines[1] != "answering":
            fail("%s: status %r, expected %r" % (name, lines, walked))
    silent_text = r"^%d conversations; not answering since \d\d:\d\d:\d\d \(time-out\)$" % rows
    if not re.match(silent_text, silent[0]) or silent[1] != "not-answering":
        fail("stopped probe: status %r, expected %r" % (silent, silent_text))
    print("ok: %d rows exported; %s / %s / %s" % (rows, answering[0], silent[0], recovered[0]))


if __name__ == "__main__":
    main()
