#!/usr/bin/env python3
"""What the console tells a person and a developer, in one run on the demo probe:

- a nodes file with bad lines: each refused line is named with its file, line number and
  reason on standard error and once in a message box (recorded in script mode), and the
  good line is a node all the same (the demo probe, opened and walked);
- TESSARAN_TRACE=walk,bogus: each walk's start and end (same walk, node, rows, reason) on
  standard error, nothing of the channels not named, and the word that is no channel named.

usage: console_diagnostics_test.py QUILLON WORK_DIR     ($TESSARAN_NODES: the demo probe's)
"""
import os
import re
import subprocess
import sys

BAD_LINES = """garbage
2 127.0.0.1:abc 2c public 1000 1 bad port
3 127.0.0.1 3 alice 1000 1 auth=SHA authpass=long-enough priv=AES privpass=1234567 short key
4 127.0.0.1 3 bob 1000 1 keys=missing.keys no keys file
"""
TRACE = re.compile(r"^trace (\w+) \d\d:\d\d:\d\d\.\d\d\d (.*)$")
STARTED = re.compile(r"^(walk 0x[0-9a-f]+) started: node 1, a whole table$")
ENDED = re.compile(r"^(walk 0x[0-9a-f]+) ended: node 1, (\d+) rows in \d+ ms, "
                   r"at the end of its column$")


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def write_nodes(work):
    """The demo probe's node on line 2, the bad lines from line 3 on."""
    with open(os.environ["TESSARAN_NODES"]) as f:
        probe = [line for line in f if line.strip() and not line.startswith("#")][0]
    nodes = os.path.join(work, "nodes")
    with open(nodes, "w") as f:
        f.write("# a good line and bad ones\n" + probe + BAD_LINES)
    return nodes


def check_refusals(nodes, work, stderr, messages):
    refused = [
        "%s:3: id \"garbage\" is not a whole number" % nodes,
        "%s:4: port \"abc\" is not a whole number" % nodes,
        "%s:5: privpass has 7 characters, fewer than 8" % nodes,
        "%s:6: keys file %s/missing.keys cannot be read" % (nodes, work),
    ]
    named = [line[len("quillon: "):] for line in stderr.splitlines()
             if line.startswith("quillon: " + nodes)]
    if named != refused:
        fail("standard error should name %r, named %r" % (refused, named))
    with open(messages, encoding="utf-8") as f:
        boxes = [line.rstrip("\n").split("\t") for line in f if line.startswith("Nodes file")]
    if len(boxes) != 1 or boxes[0][1].split("\\n")[1:] != refused:
        fail("one message box should list %r, got %r" % (refused, boxes))


def check_trace(stderr):
    if "TESSARAN_TRACE: no channel bogus" not in stderr:
        fail("the word that is no channel is not named: %s" % stderr)
    traced = [TRACE.match(line) for line in stderr.splitlines() if line.startswith("trace ")]
    if any(match is None or match.group(1) != "walk" for match in traced):
        fail("only the walk channel should write: %s" % stderr)
    started = {m.group(1) for m in (STARTED.match(t.group(2)) for t in traced) if m}
    ended = [m for m in (ENDED.match(t.group(2)) for t in traced) if m]
    if not [m for m in ended if m.group(1) in started and int(m.group(2)) > 0]:
        fail("no walk traced from its start to its end: %s" % stderr)


def main():
    quillon, work = sys.argv[1], os.path.join(sys.argv[2], str(os.getpid()))
    os.makedirs(work, exist_ok=True)
    nodes = write_nodes(work)
    messages = os.path.join(work, "messages.txt")
    script = os.path.join(work, "diagnostics.script")
    with open(script, "w") as f:
        f.write("open demo-probe\nwait-walks 1 60\nmessages %s\nquit\n" % messages)
    env = dict(os.environ, TESSARAN_TRACE="walk,bogus")
    env.pop("LANGUAGE", None)
    run = subprocess.run([quillon, "--nodes", nodes, "--script", script],
                         capture_output=True, text=True, timeout=120, env=env)
    if run.returncode != 0:
        fail("quillon exited with %d: %s%s" % (run.returncode, run.stdout, run.stderr))
    check_refusals(nodes, work, run.stderr, messages)
    check_trace(run.stderr)
    print("ok: refused lines named, walks traced from start to end")


if __name__ == "__main__":
    main()
