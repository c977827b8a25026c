#!/usr/bin/env python3
"""The console over SNMPv3 authPriv (SHA-256, AES) on rmonprobe: the probe replays a
capture and serves it to one USM user from its configuration file; the console walks it
through a node whose keys sit in a keys file beside the nodes file, and its table must
equal the one snmpbulkwalk -v3 reads. A node with a wrong authentication pass phrase must
fail with that reason on its status line. (A wrong privacy pass phrase cannot be told
from silence: the agent drops what it cannot decrypt and answers nothing.)

usage: console_v3_test.py QUILLON EXPECTED_TABLE RMONPROBE CAPTURE ETHERS REGISTRY_DIR WORK_DIR
"""
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "probe"))
import conv_oracle as oracle  # noqa: E402

USER = "operator"
AUTH_PASS = "auth-phrase-256"
PRIV_PASS = "priv-phrase-aes"
SECURITY = "-v3 -l authPriv -u %s -a SHA-256 -A %s -x AES -X %s" % (USER, AUTH_PASS, PRIV_PASS)
# Node name: the pass phrases it holds and what its status line must say.
WRONG_KEYS = {
    "wrong auth": ("not-" + AUTH_PASS, PRIV_PASS, "wrong authentication key"),
}


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def write_nodes(work, agent):
    with open(os.path.join(work, "nodes"), "w") as f:
        f.write("1 %s 3 %s 2000 1 keys=v3.keys v3 probe\n" % (agent, USER))
        for number, (name, (auth, priv, _)) in enumerate(sorted(WRONG_KEYS.items()), 2):
            f.write("%d %s 3 %s 2000 1 auth=SHA-256 authpass=%s priv=AES privpass=%s %s\n"
                    % (number, agent, USER, auth, priv, name))
    with open(os.path.join(work, "v3.keys"), "w") as f:
        f.write("# the probe's user\nauth=SHA-256\nauthpass=%s\npriv=AES\nprivpass=%s\n"
                % (AUTH_PASS, PRIV_PASS))
    return os.path.join(work, "nodes")


def run_console(quillon, work, env, name, commands):
    script = os.path.join(work, name + ".script")
    with open(script, "w") as f:
        f.write("\n".join(commands + ["quit", ""]))
    run = subprocess.run([quillon, "--script", script], capture_output=True, text=True,
                         timeout=150, env=env)
    if run.returncode != 0:
        fail("quillon exited with %d: %s%s" % (run.returncode, run.stdout, run.stderr))


def main():
    quillon, expected_table, rmonprobe, capture, ethers, registry, work = sys.argv[1:8]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    config = os.path.join(work, "rmonprobe.conf")
    with open(config, "w") as f:
        f.write("user %s SHA-256 %s AES %s\n" % (USER, AUTH_PASS, PRIV_PASS))
    probe = oracle.Probe(rmonprobe, capture, "--fast", "--config", config)
    try:
        probe.wait_replay()
        env = dict(os.environ, TESSARAN_NODES=write_nodes(work, probe.agent()),
                   TESSARAN_ETHERS=ethers, TESSARAN_IEEE_DATA=registry)
        table = os.path.join(work, "table.tsv")
        run_console(quillon, work, env, "walk",
                    ["open v3 probe", "wait-walks 2 60", "dump-table " + table])
        lines = {}
        for name in WRONG_KEYS:
            status = os.path.join(work, name.replace(" ", "-") + ".txt")
            run_console(quillon, work, env, name.replace(" ", "-"),
                        ["open " + name, "wait-status failing 60", "dump-status " + status])
            with open(status) as f:
                lines[name] = f.readline().strip()
        expected = subprocess.run(
            [expected_table, probe.agent(), ethers, registry, "snmpbulkwalk " + SECURITY],
            check=True, capture_output=True, text=True).stdout.splitlines()
    finally:
        probe.stop()
    with open(table) as f:
        shown = f.read().splitlines()
    if len(expected) < 2:
        fail("snmpbulkwalk found no conversation")
    if shown != expected:
        fail("the console's table differs from snmpbulkwalk's:\n%s\n---\n%s"
             % ("\n".join(shown[:5]), "\n".join(expected[:5])))
    for name, line in lines.items():
        if WRONG_KEYS[name][2] not in line:
            fail("the status line of %s says %r" % (name, line))
    print("ok: %d rows over authPriv; %s" % (len(shown) - 1, "; ".join(lines.values())))


if __name__ == "__main__":
    main()
