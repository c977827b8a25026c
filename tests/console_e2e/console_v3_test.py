#!/usr/bin/env python3
"""The console over SNMPv3 authPriv (SHA-256, AES) on rmonprobe: the probe replays a
capture and serves it to one USM user from its configuration file; the console walks it
through a node whose keys sit in a keys file beside the nodes file, and its table must
equal the one snmpbulkwalk -v3 reads. A node with a wrong authentication pass phrase must
fail with that reason on its status line, on rmonprobe (which answers with a report) and on
snmpsimd serving the same user (whose answers then fail authentication in the console).
(A wrong privacy pass phrase cannot be told from silence: the agent drops what it cannot
decrypt and answers nothing.)

usage: console_v3_test.py QUILLON EXPECTED_TABLE RMONPROBE CAPTURE ETHERS REGISTRY_DIR WORK_DIR
"""
import os
import shutil
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "probe"))
import conv_oracle as oracle  # noqa: E402

USER = "operator"
AUTH_PASS = "auth-phrase-256"
PRIV_PASS = "priv-phrase-aes"
SECURITY = "-v3 -l authPriv -u %s -a SHA-256 -A %s -x AES -X %s" % (USER, AUTH_PASS, PRIV_PASS)
# snmpsimd serves a data file as the context of its name.
CONTEXT = "public"
WRONG_AUTH = "auth=SHA-256 authpass=not-%s priv=AES privpass=%s" % (AUTH_PASS, PRIV_PASS)
WRONG_NODES = ["wrong auth", "wrong auth on snmpsimd"]


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def write_nodes(work, agent, simulator):
    with open(os.path.join(work, "nodes"), "w") as f:
        f.write("1 %s 3 %s 2000 1 keys=v3.keys v3 probe\n" % (agent, USER))
        f.write("2 %s 3 %s 2000 1 %s %s\n" % (agent, USER, WRONG_AUTH, WRONG_NODES[0]))
        # snmpsimd, a Python agent, may take seconds for one answer on a loaded machine.
        f.write("3 %s 3 %s 5000 2 context=%s %s %s\n"
                % (simulator, USER, CONTEXT, WRONG_AUTH, WRONG_NODES[1]))
    with open(os.path.join(work, "v3.keys"), "w") as f:
        f.write("# the probe's user\nauth=SHA-256\nauthpass=%s\npriv=AES\nprivpass=%s\n"
                % (AUTH_PASS, PRIV_PASS))
    return os.path.join(work, "nodes")


def start_snmpsimd(data_dir, work):
    """snmpsimd serving the demo data to the same user; answers (process, address)."""
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind(("127.0.0.1", 0))
        address = "127.0.0.1:%d" % s.getsockname()[1]
    data = os.path.join(work, "data")
    os.makedirs(data)
    os.makedirs(os.path.join(work, "cache"))
    shutil.copy(os.path.join(data_dir, "demo-static.snmprec"),
                os.path.join(data, CONTEXT + ".snmprec"))
    # snmpsimd drops to nobody when started as root: it must read the data, write the cache.
    user = ["--process-user=nobody", "--process-group=nogroup"] if os.getuid() == 0 else []
    for folder in (work, data, os.path.join(work, "cache")):
        os.chmod(folder, 0o777)
    agent = subprocess.Popen(
        ["snmpsimd", "--data-dir=" + data, "--cache-dir=" + os.path.join(work, "cache"),
         "--agent-udpv4-endpoint=" + address, "--v3-user=" + USER,
         "--v3-auth-key=" + AUTH_PASS, "--v3-auth-proto=SHA256", "--v3-priv-key=" + PRIV_PASS,
         "--v3-priv-proto=AES"] + user,
        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        start_new_session=True)
    deadline = time.time() + 60
    while time.time() < deadline:
        ask = "snmpget %s -n %s -t 1 -r 0 %s 1.3.6.1.2.1.1.1.0" % (SECURITY, CONTEXT, address)
        if subprocess.run(ask.split(), capture_output=True).returncode == 0:
            return agent, address
        time.sleep(0.5)
    agent.kill()
    fail("snmpsimd did not answer over SNMPv3")


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
    simulator = None
    try:
        simulator, simulated = start_snmpsimd(os.path.dirname(ethers), os.path.join(work, "sim"))
        probe.wait_replay()
        env = dict(os.environ, TESSARAN_NODES=write_nodes(work, probe.agent(), simulated),
                   TESSARAN_ETHERS=ethers, TESSARAN_IEEE_DATA=registry)
        table = os.path.join(work, "table.tsv")
        run_console(quillon, work, env, "walk",
                    ["open v3 probe", "wait-walks 2 60", "dump-table " + table])
        lines = {}
        for name in WRONG_NODES:
            status = os.path.join(work, name.replace(" ", "-") + ".txt")
            run_console(quillon, work, env, name.replace(" ", "-"),
                        ["open " + name, "wait-status failing 90", "dump-status " + status])
            with open(status) as f:
                lines[name] = f.readline().strip()
        expected = subprocess.run(
            [expected_table, probe.agent(), ethers, registry, "snmpbulkwalk " + SECURITY],
            check=True, capture_output=True, text=True).stdout.splitlines()
    finally:
        probe.stop()
        if simulator:
            simulator.kill()
            simulator.wait()
    with open(table) as f:
        shown = f.read().splitlines()
    if len(expected) < 2:
        fail("snmpbulkwalk found no conversation")
    if shown != expected:
        fail("the console's table differs from snmpbulkwalk's:\n%s\n---\n%s"
             % ("\n".join(shown[:5]), "\n".join(expected[:5])))
    for name, line in lines.items():
        if "wrong authentication key" not in line:
            fail("the status line of %s says %r" % (name, line))
    print("ok: %d rows over authPriv; %s" % (len(shown) - 1, "; ".join(lines.values())))


if __name__ == "__main__":
    main()
