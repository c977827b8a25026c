#!/usr/bin/env python3
"""rmonprobe's SNMPv3 engine over restarts: with a writable state directory the engine ID
stays the same and snmpEngineBoots rises by one at each start, snmpEngineTime counts from
the start, and the SNMPv3 user answers after each restart (its keys follow the kept engine
ID). Without a usable state directory the probe says so once in its log and keeps a
stable engine ID all the same, with a boots count that still rises.

usage: check_engine_identity.py RMONPROBE CAPTURE WORK_DIR
"""
import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import conv_oracle as oracle  # noqa: E402
from probe_harness import LoggedProbe, fail  # noqa: E402

ENGINE = "1.3.6.1.6.3.10.2.1"
V3 = ["-v3", "-u", "mon", "-l", "authPriv", "-a", "SHA-256", "-A", "authpass123", "-x", "AES",
      "-X", "privpass123"]
SYS_NAME = "1.3.6.1.2.1.1.5.0"


def get(agent, oid, security=("-v2c", "-c", "public"), hexadecimal=False):
    """The value of one get as text without blanks (octets in hex if asked), or None."""
    result = subprocess.run(["snmpget", "-On", "-Oqv", "-t", "2", "-r", "1"] +
                            (["-Ox"] if hexadecimal else []) +
                            list(security) + [agent, oid], capture_output=True, text=True)
    return "".join(result.stdout.split()).strip('"') if result.returncode == 0 else None


def start(binary, capture, work, state, port):
    """One start: (engine ID hex, boots, time, max message size, its log)."""
    config = os.path.join(work, "rmonprobe.conf")
    with open(config, "w") as f:
        f.write("community public 127.0.0.1\nuser mon SHA-256 authpass123 AES privpass123\n"
                "state-directory %s\n" % state)
    probe = LoggedProbe([binary, "-r", capture, "--fast", "--port", str(port), "--config",
                         config])
    agent = "127.0.0.1:%d" % port
    try:
        values = [get(agent, "%s.%d.0" % (ENGINE, arc), hexadecimal=arc == 1)
                  for arc in (1, 2, 3, 4)]
        if None in values:
            fail("the snmpEngine group is not served: %s" % values)
        if get(agent, SYS_NAME, V3) != "rmonprobe":
            fail("the SNMPv3 user is refused after a start")
    finally:
        probe.stop()
    log = probe.text()
    engine = values[0].lower()
    return engine, int(values[1]), int(values[2]), int(values[3]), log


def check_kept(binary, capture, work):
    state = os.path.join(work, "state")
    os.makedirs(state)
    port = oracle.free_port()
    starts = [start(binary, capture, work, state, port) for _ in range(3)]
    engines = {engine for engine, _, _, _, _ in starts}
    if len(engines) != 1:
        fail("the engine ID changed over restarts: %s" % sorted(engines))
    boots = [boots for _, boots, _, _, _ in starts]
    if boots != [1, 2, 3]:
        fail("snmpEngineBoots over three starts: %s" % boots)
    for engine, count, seconds, size, log in starts:
        if not 0 <= seconds <= 5:
            fail("snmpEngineTime %d s just after a start" % seconds)
        if not 484 <= size <= 65507:
            fail("snmpEngineMaxMessageSize %d is not between SNMP's 484 and UDP's 65507" % size)
        if "SNMPv3 engine ID %s, boots %d" % (engine, count) not in log:
            fail("the log does not name the engine served:\n" + log)
    with open(os.path.join(state, "engine")) as f:
        kept = f.read()
    if kept != "engine-id %s\nboots 3\n" % engines.pop():
        fail("the state file holds %r" % kept)
    print("ok: engine ID kept, boots 1, 2, 3 over three starts, time from the start")


def check_unkept(binary, capture, work):
    # A file where the directory should be: nothing can be kept under it.
    blocked = os.path.join(work, "blocked")
    open(blocked, "w").close()
    state = os.path.join(blocked, "state")
    port = oracle.free_port()
    first = start(binary, capture, work, state, port)
    time.sleep(1.1)  # the boots count comes from the clock, in seconds
    second = start(binary, capture, work, state, port)
    if first[0] != second[0]:
        fail("without a state directory the engine ID changed: %s, %s" % (first[0], second[0]))
    if second[1] <= first[1]:
        fail("without a state directory boots did not rise: %d, %d" % (first[1], second[1]))
    for log in (first[4], second[4]):
        said = re.findall(r"engine state not kept \(%s: [^)]+\)" % re.escape(state), log)
        if len(said) != 1:
            fail("the missing state directory is said %d times:\n%s" % (len(said), log))
    print("ok: without a state directory, said once; stable engine ID, boots still rising")


def main():
    binary, capture, work = sys.argv[1:4]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    check_kept(binary, capture, work)
    check_unkept(binary, capture, work)


if __name__ == "__main__":
    main()
