#!/usr/bin/env python3
"""The console through restarts of its SNMPv3 agent: rmonprobe serves one capture to a USM
user, the console walks it over authPriv; the test restarts the probe on the same port,
first with another capture and the same state directory (the kept engine ID, boots one
higher), then with a new state directory (a new engine ID, as a probe that keeps none).
After each, the next walk, within one refresh interval, must succeed: the status line says
the walk ended after the restart and that the agent restarted, and the table holds every
conversation of the restarted probe as snmpbulkwalk -v3 reads them.

usage: console_v3_restart_test.py QUILLON EXPECTED_TABLE RMONPROBE CAPTURES ETHERS REGISTRY WORK
"""
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "probe"))
import conv_oracle as oracle  # noqa: E402

USER = "operator"
AUTH_PASS = "auth-phrase-256"
PRIV_PASS = "priv-phrase-aes"
SECURITY = "-v3 -l authPriv -u %s -a SHA-256 -A %s -x AES -X %s" % (USER, AUTH_PASS, PRIV_PASS)
REFRESH_S = 10  # the Matrix view walks again this long after a walk ended


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def start_probe(rmonprobe, capture, config, port):
    process = subprocess.Popen([rmonprobe, "-r", capture, "--fast", "--port", str(port),
                                "--config", config], stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, text=True)
    line = process.stdout.readline()
    if not line.startswith("listening"):
        fail("rmonprobe did not start: " + line + process.stderr.read())
    if not process.stdout.readline().startswith("replay done"):
        fail("rmonprobe did not replay " + capture)
    return process


def stop_probe(process):
    process.terminate()
    process.wait(10)
    return process.stderr.read()


def wait_file(path, console, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        if os.path.exists(path) and os.path.getsize(path) > 0:
            with open(path) as f:
                return f.read().splitlines()
        if console.poll() is not None:
            fail("the console ended early: %s" % console.communicate())
        time.sleep(0.05)
    fail("no %s within %d s" % (path, seconds))


def write_config(work, state):
    config = os.path.join(work, "rmonprobe.conf")
    os.makedirs(state, exist_ok=True)
    with open(config, "w") as f:
        f.write("user %s SHA-256 %s AES %s\nstate-directory %s\n"
                % (USER, AUTH_PASS, PRIV_PASS, state))
    return config


def write_script(work, restarts):
    lines = ["open v3 probe", "wait-walks 1 60", "dump-status %s/before.txt" % work]
    for n in range(restarts):
        lines += ["wait-file %s/restarted%d 60" % (work, n), "wait %d" % (REFRESH_S + 3),
                  "dump-status %s/after%d.txt" % (work, n), "dump-table %s/table%d.tsv" % (work, n)]
    script = os.path.join(work, "restart.script")
    with open(script, "w") as f:
        f.write("\n".join(lines + ["quit", ""]))
    return script


def check_after(work, n, restarted_at, expected, log):
    with open(os.path.join(work, "after%d.txt" % n)) as f:
        after = f.read().splitlines()
    with open(os.path.join(work, "table%d.tsv" % n)) as f:
        shown = f.read().splitlines()
    if after[1] != "answering" or "last walk ended at " not in after[0]:
        fail("after restart %d the status line says %r; probe log:\n%s" % (n, after, log))
    ended = after[0].split("last walk ended at ")[1][:8]
    restarted = after[0].split("agent restarted at ")[-1][:8]
    if ended < restarted_at or "agent restarted at " not in after[0] or restarted < restarted_at:
        fail("after restart %d at %s the status line says %r" % (n, restarted_at, after[0]))
    # Rows stay while the node is selected: the first probe's rows are still there.
    missing = set(expected[1:]) - set(shown[1:])
    if shown[:1] != expected[:1] or missing or len(expected) < 3:
        fail("%d rows of the restarted probe's %d are not in the table, as:\n%s"
             % (len(missing), len(expected) - 1, "\n".join(sorted(missing)[:5])))
    print("ok: the walk after restart %d succeeded (%d rows); %s"
          % (n, len(expected) - 1, after[0]))


def main():
    quillon, expected_table, rmonprobe, captures, ethers, registry, work = sys.argv[1:8]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    port = oracle.free_port()
    agent = "127.0.0.1:%d" % port
    with open(os.path.join(work, "nodes"), "w") as f:
        f.write("1 %s 3 %s 2000 1 keys=v3.keys v3 probe\n" % (agent, USER))
    with open(os.path.join(work, "v3.keys"), "w") as f:
        f.write("auth=SHA-256\nauthpass=%s\npriv=AES\nprivpass=%s\n" % (AUTH_PASS, PRIV_PASS))
    # Each restart: the capture replayed and the state directory.
    restarts = [("mixed.pcap", "state"), ("mixed.pcap", "other-state")]
    script = write_script(work, len(restarts))
    env = dict(os.environ, TESSARAN_NODES=os.path.join(work, "nodes"), TESSARAN_ETHERS=ethers,
               TESSARAN_IEEE_DATA=registry)
    config = write_config(work, os.path.join(work, "state"))
    probe = start_probe(rmonprobe, os.path.join(captures, "wrap.pcap"), config, port)
    console = subprocess.Popen([quillon, "--script", script], stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, text=True, env=env)
    log = ""
    try:
        before = wait_file(os.path.join(work, "before.txt"), console, 90)
        if before[1] != "answering":
            fail("before the restart the status line says %r" % before)
        for n, (capture, state) in enumerate(restarts):
            # Right after a walk ended: the next one starts after the restart.
            log += stop_probe(probe)
            config = write_config(work, os.path.join(work, state))
            probe = start_probe(rmonprobe, os.path.join(captures, capture), config, port)
            restarted_at = time.strftime("%H:%M:%S")
            open(os.path.join(work, "restarted%d" % n), "w").close()
            wait_file(os.path.join(work, "table%d.tsv" % n), console, 60)
            expected = subprocess.run(
                [expected_table, agent, ethers, registry, "snmpbulkwalk " + SECURITY],
                check=True, capture_output=True, text=True).stdout.splitlines()
            check_after(work, n, restarted_at, expected, log)
        output = console.communicate(timeout=60)[0]
        if console.returncode != 0:
            fail("quillon exited with %d: %s" % (console.returncode, output))
    finally:
        if console.poll() is None:
            console.kill()
        stop_probe(probe)


if __name__ == "__main__":
    main()
