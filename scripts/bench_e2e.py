#!/usr/bin/python3
"""End-to-end walk benchmark, run by hand (not part of the tests).

Serves N conversations (default 100,000) from an agent and, in the same run, times:
  (a) snmpbulkwalk -Cr50 of the six matrixSDTable columns, one after the other: wall time,
      and processor time (user + sys of the six processes);
  (b) the console's first walk (script mode, `open`, `wait-walks 1`): from its first
      request to its last, and from the console's launch to that last request (start-up
      included); the processor time of that run, launch to exit; its peak RSS;
  (c) its refresh walk (`wait-walks 2`; the view starts it 10 s after the first ends);
and prints each against (a) beside its target, the longest hold-up of the console's event
loop and the agent's own processor time for each side's walk. The console runs offscreen.

Agents (--agent, default both, one after the other): `fast`, the fast probe (counters
grow), and `rmonprobe`, rmonprobe replaying a capture that holds each of the N ordered
pairs once (counters fixed): a net-snmp agent that answers through the agent library's
full handler chain, slower than the fast probe.

The console runs "open; wait-walks 1; quit" for (b)'s processor time and peak RSS, and
"open; wait-walks 2; quit" while tshark notes the time of every request to the agent: a
walk lasts from its first request to its last, and the two walks are told apart by the
view's 10-second pause between them. A run of "open; quit" gives the console's start-up,
which the hold-ups of the event loop are counted after. `--runs R` keeps the best of R of
each figure. The machine's load average is printed before and after: other work on the
machine inflates every figure.

Usage: bench_e2e.py [--conversations N] [--build DIR] [--runs R] [--agent fast|rmonprobe|both]
(as root: tshark captures on loopback)
"""

import argparse
import os
import re
import resource
import struct
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "probe"))
from conv_oracle import free_port  # noqa: E402

COLUMNS = ["1.3.6.1.2.1.16.6.2.1.%d" % column for column in range(1, 7)]
TICKS = os.sysconf("SC_CLK_TCK")


def load():
    return "%.2f %.2f %.2f" % os.getloadavg()


def write_nodes(folder, port):
    with open(os.path.join(folder, "nodes"), "w") as file:
        file.write("1 127.0.0.1:%s 2c public 1000 2 demo-probe\n" % port)


class FastProbe:
    name = "the fast probe"

    def __init__(self, build, folder, conversations):
        self.folder = folder
        env = dict(os.environ, BUILD_DIR=build)
        subprocess.run(["bash", os.path.join(ROOT, "scripts/demo_probe.sh"), "start", "--fast",
                        "--conversations", str(conversations), "--port", "0", "--dir", folder],
                       check=True, env=env, stdout=subprocess.DEVNULL)
        with open(os.path.join(folder, "port")) as file:
            self.port = file.read().strip()
        with open(os.path.join(folder, "pid")) as file:
            self.pid = int(file.read().strip())

    def stop(self):
        subprocess.run(["bash", os.path.join(ROOT, "scripts/demo_probe.sh"), "stop", "--dir",
                        self.folder], check=False)


class ReplayProbe:
    """rmonprobe holding N conversations from a replayed capture of each pair once."""
    name = "rmonprobe (a capture replayed)"

    def __init__(self, build, folder, conversations):
        capture = os.path.join(folder, "pairs.pcap")
        write_pairs(capture, conversations)
        config = os.path.join(folder, "rmonprobe.conf")
        with open(config, "w") as file:
            file.write("community public 127.0.0.1\nstate-directory %s\n" % folder)
        self.port = str(free_port())
        self.process = subprocess.Popen(
            [os.path.join(build, "bin/rmonprobe"), "-r", capture, "--fast", "--port", self.port,
             "--table-size", str(conversations), "--config", config],
            stdout=subprocess.PIPE, text=True)
        self.pid = self.process.pid
        if not self.process.stdout.readline().startswith("listening"):
            sys.exit("rmonprobe did not start")
        if not self.process.stdout.readline().startswith("replay done"):
            sys.exit("rmonprobe did not replay the capture")
        write_nodes(folder, self.port)

    def stop(self):
        self.process.terminate()
        self.process.wait()


def write_pairs(path, pairs):
    """A pcap of one 64-octet frame per ordered pair of distinct hosts."""
    hosts = int((pairs ** 0.5)) + 2
    mac = [bytes([0x00, 0xA0, 0xC9, 0x10, h >> 8, h & 0xFF]) for h in range(hosts)]
    with open(path, "wb") as file:
        file.write(struct.pack("<IHHiIII", 0xA1B2C3D4, 2, 4, 0, 0, 64, 1))
        written = 0
        for a in range(hosts):
            for b in range(hosts):
                if a == b or written == pairs:
                    continue
                frame = mac[b] + mac[a] + b"\x08\x00" + bytes(46)
                file.write(struct.pack("<IIII", 1700000000, 0, len(frame), 64) + frame)
                written += 1


def cpu_of(pid):
    """User + sys seconds of a running process."""
    with open("/proc/%d/stat" % pid) as file:
        fields = file.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def bulkwalk(port, agent_pid):
    values = 0
    agent = cpu_of(agent_pid)
    cpu = children_cpu()
    begin = time.monotonic()
    for column in COLUMNS:
        out = subprocess.run(["snmpbulkwalk", "-v2c", "-c", "public", "-Cr50", "-On", "-t", "5",
                              "127.0.0.1:" + port, column],
                             check=True, capture_output=True, text=True).stdout
        values += out.count("\n")
    return (time.monotonic() - begin, children_cpu() - cpu, cpu_of(agent_pid) - agent, values)


def console(build, folder, lines, after_s=0.0):
    """Runs a console script; answers (wall seconds, peak RSS in MB, longest hold-up of the
    event loop in ms that ended after `after_s` seconds: the start-up's are left out,
    launch time, processor seconds)."""
    script = os.path.join(folder, "bench.script")
    stats = os.path.join(folder, "loop.stats")
    with open(script, "w") as file:
        file.write("\n".join(lines + ["quit"]) + "\n")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", TESSARAN_LOOP_STATS=stats,
               TESSARAN_WININI=os.path.join(folder, "win.ini"))
    command = [os.path.join(build, "bin/quillon"), "--nodes", os.path.join(folder, "nodes"),
               "--script", script]
    begin = time.monotonic()
    launched = time.time()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE, text=True)
    stderr = process.stderr.read()
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    wall = time.monotonic() - begin
    if process.returncode != 0:
        sys.exit("console failed: " + stderr)
    wait = 0
    with open(stats) as file:
        for line in file:
            noted = re.match(r"wait-ms (\d+) at-ms (\d+)", line)
            if noted and int(noted.group(2)) > after_s * 1000:
                wait = max(wait, int(noted.group(1)))
    return wall, usage.ru_maxrss / 1024.0, wait, launched, usage.ru_utime + usage.ru_stime


class Requests:
    """tshark noting the times of the UDP requests to a port on loopback."""

    def __init__(self, folder, port):
        self.path = os.path.join(folder, "requests.txt")
        self.output = open(self.path, "w")
        self.process = subprocess.Popen(
            ["tshark", "-i", "lo", "-l", "-f", "udp dst port " + port, "-T", "fields",
             "-e", "frame.time_epoch"], stdout=self.output, stderr=subprocess.PIPE, text=True)
        for line in self.process.stderr:  # "Capturing on 'Loopback: lo'"
            if "Capturing on" in line:
                break

    def walks(self):
        """Stops the capture; answers the (first, last) request times of the runs of
        requests that are separated by pauses of 5 s or more."""
        time.sleep(1)
        self.process.terminate()
        self.process.wait()
        self.output.close()
        with open(self.path) as file:
            times = [float(line) for line in file if line.strip()]
        runs, start = [], 0
        for i in range(1, len(times) + 1):
            if i == len(times) or times[i] - times[i - 1] >= 5.0:
                runs.append((times[start], times[i - 1]))
                start = i
        return runs


def measure(build, folder, agent):
    """One run against an agent: a dictionary of figures."""
    bulk, bulk_cpu, bulk_agent, values = bulkwalk(agent.port, agent.pid)
    startup = min(console(build, folder, ["open demo-probe"])[0] for _ in range(2))
    agent_before = cpu_of(agent.pid)
    first = console(build, folder, ["open demo-probe", "wait-walks 1 1800"], startup)
    console_agent = cpu_of(agent.pid) - agent_before
    requests = Requests(folder, agent.port)
    both = console(build, folder, ["open demo-probe", "wait-walks 2 1800"], startup)
    walks = requests.walks()
    if len(walks) != 2:
        sys.exit("expected two walks, saw %d runs of requests" % len(walks))
    return {"bulk": bulk, "bulk_cpu": bulk_cpu, "bulk_agent": bulk_agent, "values": values,
            "first": walks[0][1] - walks[0][0], "refresh": walks[1][1] - walks[1][0],
            "launched": walks[0][1] - both[3], "wait": both[2],
            "cpu": first[4], "rss": first[1], "console_agent": console_agent}


def best_of(runs):
    """Each figure's best over the runs; the baseline's best beside it."""
    lowest = lambda key: min(run[key] for run in runs)  # noqa: E731
    figures = {key: lowest(key) for key in runs[0]}
    figures["values"] = runs[0]["values"]
    # Ratios within one run, the best of them.
    figures["launched_ratio"] = min(run["launched"] / run["bulk"] for run in runs)
    figures["first_ratio"] = min(run["first"] / run["bulk"] for run in runs)
    figures["refresh_ratio"] = min(run["refresh"] / run["bulk"] for run in runs)
    figures["cpu_ratio"] = min(run["cpu"] / run["bulk_cpu"] for run in runs)
    return figures


def report(agent, f, conversations):
    print("agent: %s, %d conversations" % (agent.name, conversations))
    print("  (a) snmpbulkwalk -Cr50, six columns: %.2f s wall, %.2f s processor (%d values);"
          " the agent's processor time: %.2f s"
          % (f["bulk"], f["bulk_cpu"], f["values"], f["bulk_agent"]))
    print("  (b) console first walk:               %.2f s = %.2f x (a)"
          % (f["first"], f["first_ratio"]))
    print("  (b') the same from the console's launch: %.2f s = %.2f x (a)   target <= 0.8 x"
          % (f["launched"], f["launched_ratio"]))
    print("  (b\") launch and first walk, processor: %.2f s = %.2f x (a)   target <= 1.2 x;"
          " the agent's processor time: %.2f s"
          % (f["cpu"], f["cpu_ratio"], f["console_agent"]))
    print("  (c) console refresh walk:             %.2f s = %.2f x (a)   target <= 0.8 x"
          % (f["refresh"], f["refresh_ratio"]))
    print("  longest event-loop wait in walks:     %d ms (of 50 ms or more) target <= 50 ms"
          % f["wait"])
    print("  console peak RSS, first walk:         %.0f MB             target <= 100 MB"
          % f["rss"])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--conversations", type=int, default=100000)
    parser.add_argument("--build", default=os.environ.get("BUILD_DIR", os.path.join(ROOT, "build")))
    parser.add_argument("--runs", type=int, default=1, help="repeat and keep the best")
    parser.add_argument("--agent", choices=["fast", "rmonprobe", "both"], default="both")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    kinds = {"fast": [FastProbe], "rmonprobe": [ReplayProbe],
             "both": [FastProbe, ReplayProbe]}[args.agent]
    print("load average before: " + load())
    results = []
    for kind in kinds:
        with tempfile.TemporaryDirectory(prefix="tessaran-bench-") as folder:
            agent = kind(build, folder, args.conversations)
            try:
                runs = [measure(build, folder, agent) for _ in range(args.runs)]
            finally:
                agent.stop()
        results.append((agent, best_of(runs)))
    print("load average after:  " + load())
    for agent, figures in results:
        report(agent, figures, args.conversations)


if __name__ == "__main__":
    main()
