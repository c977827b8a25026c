#!/usr/bin/env python3
"""The console in script mode on the demo probe: open the node, let two walks end, dump
the Matrix table, and compare it line by line with the table that expected_table derives
from snmpwalk and the same name sources.

usage: console_walk_test.py QUILLON EXPECTED_TABLE PROBE_DIR ETHERS REGISTRY_DIR WORK_DIR
"""
import os
import subprocess
import sys


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def main():
    quillon, expected_table, probe_dir, ethers, registry, work = sys.argv[1:7]
    os.makedirs(work, exist_ok=True)
    table = os.path.join(work, "table.tsv")
    script = os.path.join(work, "walk.script")
    with open(script, "w") as f:
        f.write("open demo-probe\nwait-walks 2 60\ndump-table %s\nquit\n" % table)
    env = dict(os.environ, TESSARAN_ETHERS=ethers, TESSARAN_IEEE_DATA=registry)
    run = subprocess.run([quillon, "--script", script], capture_output=True, text=True,
                         timeout=120, env=env)
    if run.returncode != 0:
        fail("quillon exited with %d: %s%s" % (run.returncode, run.stdout, run.stderr))

    with open(os.path.join(probe_dir, "port")) as f:
        agent = "127.0.0.1:" + f.read().strip()
    expected = subprocess.run([expected_table, agent, ethers, registry], check=True,
                              capture_output=True, text=True).stdout.splitlines()
    with open(table) as f:
        shown = f.read().splitlines()
    if len(expected) < 2:
        fail("snmpwalk found no conversation")
    if shown[0] != expected[0]:
        fail("header %r, expected %r" % (shown[0], expected[0]))
    if len(shown) != len(expected):
        fail("%d rows shown for %d conversations: a walk added or lost rows"
             % (len(shown) - 1, len(expected) - 1))
    for number, (cells, wanted) in enumerate(zip(shown[1:], expected[1:])):
        if cells != wanted:
            fail("row %d: shown %r, expected %r" % (number, cells, wanted))
    print("ok: %d rows match the agent" % (len(shown) - 1))


if __name__ == "__main__":
    main()
