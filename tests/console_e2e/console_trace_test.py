#!/usr/bin/env python3
"""The trace channel on the demo probe: TESSARAN_TRACE=walk,bogus makes the console write
each walk's start and its end (same walk, node, rows, reason) to standard error, nothing of
the channels it did not name, and names the word that is no channel.

usage: console_trace_test.py QUILLON WORK_DIR
"""
import os
import re
import subprocess
import sys

LINE = re.compile(r"^trace (\w+) \d\d:\d\d:\d\d\.\d\d\d (.*)$")
STARTED = re.compile(r"^(walk 0x[0-9a-f]+) started: node 1, a whole table$")
ENDED = re.compile(r"^(walk 0x[0-9a-f]+) ended: node 1, (\d+) rows in \d+ ms, "
                   r"at the end of its column$")


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def main():
    quillon, work = sys.argv[1], os.path.join(sys.argv[2], str(os.getpid()))
    os.makedirs(work, exist_ok=True)
    script = os.path.join(work, "trace.script")
    with open(script, "w") as f:
        f.write("open demo-probe\nwait-walks 1 60\nquit\n")
    env = dict(os.environ, TESSARAN_TRACE="walk,bogus")
    run = subprocess.run([quillon, "--script", script], capture_output=True, text=True,
                         timeout=120, env=env)
    if run.returncode != 0:
        fail("quillon exited with %d: %s%s" % (run.returncode, run.stdout, run.stderr))
    if "TESSARAN_TRACE: no channel bogus" not in run.stderr:
        fail("the word that is no channel is not named: %s" % run.stderr)
    traced = [LINE.match(line) for line in run.stderr.splitlines() if line.startswith("trace ")]
    if any(match is None or match.group(1) != "walk" for match in traced):
        fail("only the walk channel should write: %s" % run.stderr)
    started = {m.group(1) for m in (STARTED.match(t.group(2)) for t in traced) if m}
    ended = [m for m in (ENDED.match(t.group(2)) for t in traced) if m]
    complete = [m for m in ended if m.group(1) in started and int(m.group(2)) > 0]
    if not complete:
        fail("no walk traced from its start to its end: %s" % run.stderr)
    print("ok: %d walks traced from start to end" % len(complete))


if __name__ == "__main__":
    main()
