#!/usr/bin/python3
"""How long the console's event loop is held up while SNMPv3 agents do not answer, run by
hand (not part of the tests).

Five UDP sockets that read and never answer stand for five unreachable agents. The console
opens five SNMPv3 nodes on them (authPriv, time-out 1 s, one retry), then, in the same
run, five SNMPv2c nodes on them (the baseline: their requests have always gone out through
the event loop). Each run lasts long enough for two walks of every node (the view walks
again ten seconds after a walk failed); the longest hold-up of the event loop
($TESSARAN_LOOP_STATS, host/console/loop_watch.h) after start-up is printed for each run,
with the ratio of the two. The machine's load average is printed before and after.

Usage: v3_discovery_bench.py [--build DIR] [--seconds S] [--runs R]
"""

import argparse
import os
import re
import socket
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
NODES = 5
KEYS = "auth=SHA-256 authpass=auth-phrase-256 priv=AES privpass=priv-phrase-aes"


def load():
    return "%.2f %.2f %.2f" % os.getloadavg()


def silent_agents():
    """NODES bound UDP sockets on loopback that never answer (kept open by the caller)."""
    sockets = []
    for _ in range(NODES):
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.bind(("127.0.0.1", 0))
        sockets.append(s)
    return sockets


def longest_wait(build, folder, agents, version, seconds):
    """The longest hold-up of the console's event loop in ms, start-up left out."""
    nodes = os.path.join(folder, "nodes-v%s" % version)
    with open(nodes, "w") as f:
        for n, agent in enumerate(agents, 1):
            address = "127.0.0.1:%d" % agent.getsockname()[1]
            security = "3 operator 1000 1 " + KEYS if version == "3" else "2c public 1000 1"
            f.write("%d %s %s silent-%d\n" % (n, address, security, n))
    script = os.path.join(folder, "bench.script")
    with open(script, "w") as f:
        f.write("".join("open silent-%d\n" % n for n in range(1, NODES + 1)))
        f.write("wait %d\nquit\n" % seconds)
    stats = os.path.join(folder, "loop.stats")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", TESSARAN_LOOP_STATS=stats,
               TESSARAN_WININI=os.path.join(folder, "win.ini"))
    result = subprocess.run([os.path.join(build, "bin/quillon"), "--nodes", nodes, "--script",
                             script], env=env, capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit("console failed: " + result.stderr)
    longest = 0
    with open(stats) as f:
        for line in f:
            # Hold-ups of the first second are the console's start-up, the same for both.
            noted = re.match(r"wait-ms (\d+) at-ms (\d+)", line)
            if noted and int(noted.group(2)) > 1000:
                longest = max(longest, int(noted.group(1)))
    return longest


def text(wait):
    """LoopWatch notes hold-ups of 50 ms and more: 0 means none reached 50 ms."""
    return "%d ms" % wait if wait else "under 50 ms (none noted)"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--seconds", type=int, default=26)
    parser.add_argument("--runs", type=int, default=1)
    options = parser.parse_args()
    print("load before: " + load())
    agents = silent_agents()
    with tempfile.TemporaryDirectory() as folder:
        best = {}
        for _ in range(options.runs):
            for version in ("2c", "3"):
                wait = longest_wait(options.build, folder, agents, version, options.seconds)
                best[version] = min(best.get(version, wait), wait)
    print("five silent SNMPv2c nodes (baseline): longest hold-up %s" % text(best["2c"]))
    print("five silent SNMPv3 nodes: longest hold-up %s" % text(best["3"]))
    if best["2c"]:
        print("ratio v3/v2c: %.2f" % (best["3"] / best["2c"]))
    print("load after: " + load())


if __name__ == "__main__":
    main()
