#!/usr/bin/env python3
"""rmonprobe's start and stop as a service meets them:
- with no interface named it starts, serves its tables empty and says once how to name one;
- an interface named before it exists is counted once it appears: its matrix row, its
  ifTable row, its frames (a veth pair made after the start; root, else this part is
  skipped);
- SIGTERM ends it within 0.5 s, six captures open, with status 0 and a log line saying
  it stopped and why.

usage: check_probe_lifecycle.py RMONPROBE
"""
import os
import re
import socket
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import conv_oracle as oracle  # noqa: E402
from probe_harness import LoggedProbe, fail, run  # noqa: E402

SYS_DESCR = "1.3.6.1.2.1.1.1.0"
MATRIX = "1.3.6.1.2.1.16.6"
CONTROL_SOURCE = "1.3.6.1.2.1.16.6.1.1.2"
SD_PACKETS = "1.3.6.1.2.1.16.6.2.1.4"
IF_DESCR = "1.3.6.1.2.1.2.2.1.2."
FRAMES = 40


def walk(agent, oid):
    out = run("snmpbulkwalk", "-v2c", "-c", "public", "-On", "-t", "2", "-r", "1", agent, oid).stdout
    return [line for line in out.splitlines() if line.startswith(".1.3") and "No Such" not in line]


def stop_within(probe, seconds):
    """Ends the probe with SIGTERM; fails if that took longer than `seconds` or its last log
    line does not say why it stopped. The time it took."""
    took = probe.stop()
    if took > seconds:
        fail("SIGTERM: ended after %.2f s: %s" % (took, probe.text()))
    if not re.search(r"stopped on SIGTERM\n$", probe.text()):
        fail("no last log line saying it stopped on SIGTERM: " + probe.text())
    return took


def write_config(work, port, interfaces):
    path = os.path.join(work, "rmonprobe.conf")
    with open(path, "w") as config:
        config.write("listen 127.0.0.1:%d\ncommunity public 127.0.0.0/8\n" % port)
        config.writelines("interface %s\n" % name for name in interfaces)
    return path


def check_unconfigured(binary, work):
    port = oracle.free_port()
    agent = "127.0.0.1:%d" % port
    probe = LoggedProbe([binary, "--config", write_config(work, port, [])])
    if "RMON probe" not in run("snmpget", "-v2c", "-c", "public", "-Oqv", agent, SYS_DESCR).stdout:
        fail("unconfigured rmonprobe does not answer")
    if walk(agent, MATRIX):
        fail("matrix objects served with no interface named")
    time.sleep(0.5)
    advice = re.findall(r"no interface to count: .*interface line of .*rmonprobe.conf, then "
                        r"reload", probe.text())
    if len(advice) != 1:
        fail("the log says %d times how to name an interface: %s" % (len(advice), probe.text()))
    took = stop_within(probe, 0.5)
    print("ok: with no interface named it serves empty tables and says once how to name one; "
          "SIGTERM ended it in %.0f ms" % (took * 1000))


def send_frames(name, count):
    with socket.socket(socket.AF_PACKET, socket.SOCK_RAW) as raw:
        raw.bind((name, 0))
        frame = bytes.fromhex("020000000002" "020000000001" "88b5") + bytes(46)
        for _ in range(count):
            raw.send(frame)


def check_interface_appears(binary, work):
    tag = "%d" % (os.getpid() % 100000)
    counted, peer = "tpl" + tag, "tpm" + tag
    port = oracle.free_port()
    agent = "127.0.0.1:%d" % port
    probe = LoggedProbe([binary, "--config",
                         write_config(work, port, ["lo"] * 2 + [counted] + ["lo"] * 3)])
    try:
        probe.wait_log(r"interface %s does not exist yet; counting it once it appears" % counted)
        run("ip", "link", "add", counted, "type", "veth", "peer", "name", peer)
        for name in (counted, peer):
            run("ip", "link", "set", name, "up")
        probe.wait_log(r"interface %s appeared" % counted)
        probe.wait_log(r"counting interface %s \(ifIndex \d+\) in matrix index 6" % counted)
        index = open("/sys/class/net/%s/ifindex" % counted).read().strip()
        sources = [line.split()[-1] for line in walk(agent, CONTROL_SOURCE)]
        if len(sources) != 6 or not sources[5].endswith(".2.2.1.1." + index):
            fail("matrixControlDataSource values %s: the sixth does not name ifIndex.%s"
                 % (sources, index))
        if run("snmpget", "-v2c", "-c", "public", "-Oqv", agent, IF_DESCR + index).stdout.strip() \
                .strip('"') != counted:
            fail("no ifTable row %s for %s" % (index, counted))
        send_frames(peer, FRAMES)
        time.sleep(0.5)
        pairs = walk(agent, SD_PACKETS + ".6")
        if sum(int(line.split()[-1]) for line in pairs) < FRAMES:
            fail("the frames sent on %s were not counted: %s" % (counted, pairs))
        took = stop_within(probe, 0.5)
    finally:
        probe.kill()
        run("ip", "link", "del", counted, check=False)
    print("ok: an interface named before it existed is counted once it appears; SIGTERM "
          "with six captures open ended it in %.0f ms" % (took * 1000))


def main():
    binary = sys.argv[1]
    with tempfile.TemporaryDirectory() as work:
        check_unconfigured(binary, work)
        if os.geteuid() != 0:
            print("skipped: an interface appearing needs root to make a veth pair")
            sys.exit(77)
        check_interface_appears(binary, work)


if __name__ == "__main__":
    main()
