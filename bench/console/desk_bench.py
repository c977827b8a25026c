#!/usr/bin/python3
"""A desk of probes, run by hand (not part of the tests): one console with P node windows
(default 20) open at once, each node a fast probe of its own serving N conversations
(default 5,000; counters grow every second), for S seconds (default 120) after the last
window opened. The baseline, in the same run: one console with one such node for the same
time.

Each console runs offscreen in script mode: it opens the nodes one after another, then
writes `dump-nodes` once a second. A node's walk ended at the dump's time less the seconds
its line gives since the last one, so the dumps give every walk's end. Printed, each
figure beside its target:

  - the longest time between two walk ends of one node, the last one to the run's end
    included (<= 12 s);
  - the longest hold-up of the console's event loop after every node's first walk ended
    ($TESSARAN_LOOP_STATS, host/console/loop_watch.h; <= 50 ms);
  - the console's peak RSS (<= 150 MB);
  - its processor time (user + sys) over the S seconds, as a share of one core (<= 25 %);

and the ratios to the baseline (processor time over P times the one node's). The load
average is printed before and after: other work on the machine inflates every figure.

Usage: desk_bench.py [--probes P] [--conversations N] [--seconds S] [--build DIR]
"""

import argparse
import glob
import os
import platform
import re
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TICKS = os.sysconf("SC_CLK_TCK")
GAP_TARGET_S, HOLD_UP_TARGET_MS, RSS_TARGET_MB, CPU_TARGET = 12.0, 50, 150, 0.25


def load():
    return "%.2f %.2f %.2f" % os.getloadavg()


def machine():
    with open("/proc/meminfo") as f:
        memory = int(re.search(r"MemTotal:\s+(\d+)", f.read()).group(1)) / 1024 ** 2
    system = platform.system()
    if os.path.exists("/etc/os-release"):
        with open("/etc/os-release") as f:
            system = re.search(r'PRETTY_NAME="([^"]*)"', f.read()).group(1)
    return "%d-core %s, %.0f GiB, %s" % (os.cpu_count(), platform.machine(), memory, system)


def start_probes(build, folder, count, conversations):
    """Starts the fast probes; writes the nodes file naming them probe-01 ... and answers
    their folders."""
    env = dict(os.environ, BUILD_DIR=build)
    lines, folders = [], []
    for number in range(1, count + 1):
        probe = os.path.join(folder, "probe-%02d" % number)
        subprocess.run(["bash", os.path.join(ROOT, "scripts/demo_probe.sh"), "start", "--fast",
                        "--conversations", str(conversations), "--port", "0", "--dir", probe],
                       check=True, env=env, stdout=subprocess.DEVNULL)
        with open(os.path.join(probe, "port")) as f:
            port = f.read().strip()
        lines.append("%d 127.0.0.1:%s 2c public 1000 2 probe-%02d" % (number, port, number))
        folders.append(probe)
    with open(os.path.join(folder, "nodes"), "w") as f:
        f.write("\n".join(lines) + "\n")
    return folders


def stop_probes(folders):
    for probe in folders:
        subprocess.run(["bash", os.path.join(ROOT, "scripts/demo_probe.sh"), "stop", "--dir",
                        probe], check=False)


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime, stime


class Run:
    """One console opening `nodes` nodes and dumping them once a second for `seconds`."""

    def __init__(self, build, folder, name, nodes, seconds):
        self.folder = os.path.join(folder, name)
        os.makedirs(self.folder)
        self.dumps = os.path.join(self.folder, "nodes-%04d.tsv")
        lines = ["open probe-%02d" % number for number in range(1, nodes + 1)]
        for second in range(seconds + 1):
            lines += ["dump-nodes " + self.dumps % second, "wait 1"]
        lines[-1] = "quit"
        script = os.path.join(self.folder, "desk.script")
        with open(script, "w") as f:
            f.write("\n".join(lines) + "\n")
        self.stats = os.path.join(self.folder, "loop.stats")
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", TESSARAN_LOOP_STATS=self.stats,
                   TESSARAN_WININI=os.path.join(folder, "win.ini"))
        self.launched = time.time()
        with open(os.path.join(self.folder, "console.log"), "w") as log:
            console = subprocess.Popen(
                [os.path.join(build, "bin/quillon"), "--nodes", os.path.join(folder, "nodes"),
                 "--script", script], env=env, stdout=log, stderr=subprocess.STDOUT)
        while not os.path.exists(self.dumps % 0) and console.poll() is None:
            time.sleep(0.05)
        self.opened = time.time()
        cpu_at_open = cpu_seconds(console.pid) if console.poll() is None else 0
        _, status, usage = os.wait4(console.pid, 0)
        if status != 0:
            with open(os.path.join(self.folder, "console.log")) as f:
                sys.exit("%s: the console failed: %s" % (name, f.read()))
        self.window = time.time() - self.opened
        self.cpu = usage.ru_utime + usage.ru_stime - cpu_at_open
        self.rss_mb = usage.ru_maxrss / 1024.0
        self.read_walks()

    def read_walks(self):
        """Every node's walk ends, from the dumps: {node: [end time, ...]}, the last dump's
        time."""
        self.ends = {}
        self.last_dump = 0
        for path in sorted(glob.glob(os.path.join(self.folder, "nodes-*.tsv"))):
            at = os.stat(path).st_mtime
            self.last_dump = max(self.last_dump, at)
            with open(path) as f:
                for line in f.read().splitlines():
                    _, node, walks, ago, _ = line.split("\t")
                    ends = self.ends.setdefault(node, {})
                    if ago != "-" and int(walks) not in ends:
                        ends[int(walks)] = at - float(ago)
        self.ends = {node: [ends[w] for w in sorted(ends)] for node, ends in self.ends.items()}

    def longest_gap(self):
        """The longest time between a node's walk ends, or from its last to the last dump;
        with its node."""
        gaps = []
        for node, ends in self.ends.items():
            if not ends:
                return float("inf"), node
            spans = [b - a for a, b in zip(ends, ends[1:])] + [self.last_dump - ends[-1]]
            gaps.append((max(spans), node))
        return max(gaps)

    def first_walks_s(self):
        """Seconds from the launch until every node's first walk had ended."""
        return max(ends[0] for ends in self.ends.values()) - self.launched

    def walks(self):
        return sum(len(ends) for ends in self.ends.values())

    def longest_hold_up_ms(self, after_s):
        """The longest hold-up (of 50 ms or more: shorter ones are not noted) that ended
        after `after_s` seconds; 0 when none."""
        longest = 0
        with open(self.stats) as f:
            for line in f:
                noted = re.match(r"wait-ms (\d+) at-ms (\d+)", line)
                if noted and int(noted.group(2)) > after_s * 1000:
                    longest = max(longest, int(noted.group(1)))
        return longest

    def longest_hold_up_overall_ms(self):
        with open(self.stats) as f:
            return int(re.search(r"longest-wait-ms (\d+)", f.read()).group(1))


def verdict(met):
    return "met" if met else "NOT MET"


def report(args, desk, one):
    gap, gap_node = desk.longest_gap()
    one_gap, _ = one.longest_gap()
    hold = desk.longest_hold_up_ms(desk.first_walks_s())
    one_hold = one.longest_hold_up_ms(one.first_walks_s())
    share, one_share = desk.cpu / desk.window, one.cpu / one.window
    print("%d probes x %d conversations, %.0f s after the last window opened; baseline: one "
          "console with one such node" % (args.probes, args.conversations, desk.window))
    print("walks ended: %d (%d nodes); baseline %d" % (desk.walks(), len(desk.ends),
                                                       one.walks()))
    print("every node's first walk ended %.1f s after the launch; baseline %.1f s"
          % (desk.first_walks_s(), one.first_walks_s()))
    rows = [
        ("longest between a node's walk ends", "%.1f s (%s)" % (gap, gap_node),
         "%.1f s" % one_gap, "", "<= %.0f s" % GAP_TARGET_S, gap <= GAP_TARGET_S),
        ("longest event-loop hold-up after the first walks",
         "%d ms" % hold if hold else "under 50 ms",
         "%d ms" % one_hold if one_hold else "under 50 ms", "",
         "<= %d ms" % HOLD_UP_TARGET_MS, hold <= HOLD_UP_TARGET_MS),
        ("peak RSS", "%.0f MB" % desk.rss_mb, "%.0f MB" % one.rss_mb,
         "%.2f x" % (desk.rss_mb / one.rss_mb), "<= %d MB" % RSS_TARGET_MB,
         desk.rss_mb <= RSS_TARGET_MB),
        ("processor time, share of one core", "%.1f %% (%.1f s)" % (100 * share, desk.cpu),
         "%.1f %% (%.1f s)" % (100 * one_share, one.cpu),
         "%.2f x %d nodes" % (share / (args.probes * one_share), args.probes)
         if one_share else "-", "<= %.0f %%" % (100 * CPU_TARGET), share <= CPU_TARGET),
    ]
    print("%-50s %-20s %-16s %-16s %-10s" % ("figure", "measured", "baseline", "ratio",
                                             "target"))
    for name, measured, baseline, ratio, target, met in rows:
        print("%-50s %-20s %-16s %-16s %-10s %s" % (name, measured, baseline, ratio, target,
                                                    verdict(met)))
    print("longest event-loop hold-up in the whole run (opening and first walks included): "
          "%d ms" % desk.longest_hold_up_overall_ms())


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--probes", type=int, default=20)
    parser.add_argument("--conversations", type=int, default=5000)
    parser.add_argument("--seconds", type=int, default=120)
    parser.add_argument("--build", default=os.environ.get("BUILD_DIR", os.path.join(ROOT, "build")))
    parser.add_argument("--keep", help="a folder to keep the dumps and logs in")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    print("machine: " + machine())
    print("date: " + time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()))
    print("load average before: " + load())
    folder = args.keep or tempfile.mkdtemp(prefix="tessaran-desk-")
    os.makedirs(folder, exist_ok=True)
    probes = []
    try:
        probes = start_probes(build, folder, args.probes, args.conversations)
        one = Run(build, folder, "one", 1, args.seconds)
        desk = Run(build, folder, "desk", args.probes, args.seconds)
    finally:
        stop_probes(probes)
    print("load average after:  " + load())
    report(args, desk, one)
    if not args.keep:
        subprocess.run(["rm", "-rf", folder], check=False)


if __name__ == "__main__":
    main()
