#!/usr/bin/env python3
"""A nodes file with bad lines: the console names each refused line with its file, line
number and reason on standard error, and once to the person in a message box (recorded
in script mode); the good lines are nodes all the same.

usage: console_nodes_file_test.py QUILLON WORK_DIR
"""
import os
import subprocess
import sys

NODES = """# nodes with faults
1 127.0.0.1:1161 2c public 1000 1 first
garbage
2 127.0.0.1:abc 2c public 1000 1 bad port
3 127.0.0.1 3 alice 1000 1 auth=SHA authpass=long-enough priv=AES privpass=1234567 short key
4 127.0.0.1 3 bob 1000 1 keys=missing.keys no keys file
5 127.0.0.1:1161 2c public 1000 1 last
"""


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def main():
    quillon, work = sys.argv[1], os.path.join(sys.argv[2], str(os.getpid()))
    os.makedirs(work, exist_ok=True)
    nodes = os.path.join(work, "nodes")
    with open(nodes, "w") as f:
        f.write(NODES)
    messages = os.path.join(work, "messages.txt")
    script = os.path.join(work, "nodes.script")
    with open(script, "w") as f:
        f.write("open first\nopen last\nmessages %s\nquit\n" % messages)
    env = dict(os.environ)
    env.pop("LANGUAGE", None)
    run = subprocess.run([quillon, "--nodes", nodes, "--script", script],
                         capture_output=True, text=True, timeout=60, env=env)
    if run.returncode != 0:
        fail("quillon exited with %d: %s%s" % (run.returncode, run.stdout, run.stderr))
    refused = [
        "%s:3: id \"garbage\" is not a whole number" % nodes,
        "%s:4: port \"abc\" is not a whole number" % nodes,
        "%s:5: privpass has 7 characters, fewer than 8" % nodes,
        "%s:6: keys file %s/missing.keys cannot be read" % (nodes, work),
    ]
    named = [line[len("quillon: "):] for line in run.stderr.splitlines()
             if line.startswith("quillon: " + nodes)]
    if named != refused:
        fail("standard error should name %r, named %r" % (refused, named))
    with open(messages, encoding="utf-8") as f:
        boxes = [line.rstrip("\n").split("\t") for line in f if line.startswith("Nodes file")]
    if len(boxes) != 1:
        fail("one message box should name the lines, got %r" % boxes)
    lines = boxes[0][1].split("\\n")
    if lines[1:] != refused:
        fail("the message box should list %r, listed %r" % (refused, lines))
    print("ok: %d refused lines named on standard error and in one message box" % len(refused))


if __name__ == "__main__":
    main()
