#!/usr/bin/env python3
"""The console over SNMPv3 authPriv (SHA-256, AES): snmpsimd serves the demo data to one
USM user; the console walks it through a node whose keys sit in a keys file beside the
nodes file, and its table must equal the one snmpbulkwalk -v3 reads. A second node with a
wrong authentication pass phrase must fail with that reason on its status line.

usage: console_v3_test.py QUILLON EXPECTED_TABLE SOURCE_DIR ETHERS REGISTRY_DIR WORK_DIR
"""
import os
import shutil
import socket
import subprocess
import sys
import time

USER = "operator"
AUTH_PASS = "auth-phrase-256"
PRIV_PASS = "priv-phrase-aes"
# snmpsimd serves a data file as the context of its name.
CONTEXT = "public"
SECURITY = ("-v3 -l authPriv -u %s -a SHA-256 -A %s -x AES -X %s -n %s"
            % (USER, AUTH_PASS, PRIV_PASS, CONTEXT))


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_agent(source, work, port):
    data = os.path.join(work, "data")
    os.makedirs(data)
    os.makedirs(os.path.join(work, "cache"))
    shutil.copy(os.path.join(source, "data", "demo-static.snmprec"),
                os.path.join(data, CONTEXT + ".snmprec"))
    # snmpsimd drops to nobody when started as root: it must read the data, write the cache.
    user = ["--process-user=nobody", "--process-group=nogroup"] if os.getuid() == 0 else []
    for root, dirs, _ in os.walk(work):
        for d in dirs + [""]:
            os.chmod(os.path.join(root, d), 0o777)
    os.chmod(os.path.join(data, CONTEXT + ".snmprec"), 0o644)
    agent = subprocess.Popen(
        ["snmpsimd", "--data-dir=" + data, "--cache-dir=" + os.path.join(work, "cache"),
         "--agent-udpv4-endpoint=127.0.0.1:%d" % port, "--v3-user=" + USER,
         "--v3-auth-key=" + AUTH_PASS, "--v3-auth-proto=SHA256", "--v3-priv-key=" + PRIV_PASS,
         "--v3-priv-proto=AES"] + user,
        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        start_new_session=True)
    deadline = time.time() + 60
    while time.time() < deadline:
        probe = subprocess.run(("snmpget %s -t 1 -r 0 127.0.0.1:%d 1.3.6.1.2.1.1.1.0"
                                % (SECURITY, port)).split(), capture_output=True)
        if probe.returncode == 0:
            return agent
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
    quillon, expected_table, source, ethers, registry, work = sys.argv[1:7]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    port = free_port()
    agent = start_agent(source, os.path.join(work, "agent"), port)
    try:
        nodes = os.path.join(work, "nodes")
        with open(nodes, "w") as f:
            f.write("1 127.0.0.1:%d 3 %s 2000 1 context=%s keys=v3.keys v3 probe\n"
                    % (port, USER, CONTEXT))
            f.write("2 127.0.0.1:%d 3 %s 2000 1 context=%s auth=SHA-256 authpass=not-%s "
                    "priv=AES privpass=%s wrong key\n" % (port, USER, CONTEXT, AUTH_PASS, PRIV_PASS))
        with open(os.path.join(work, "v3.keys"), "w") as f:
            f.write("# the probe's user\nauth=SHA-256\nauthpass=%s\npriv=AES\nprivpass=%s\n"
                    % (AUTH_PASS, PRIV_PASS))
        env = dict(os.environ, TESSARAN_NODES=nodes, TESSARAN_ETHERS=ethers,
                   TESSARAN_IEEE_DATA=registry)
        table = os.path.join(work, "table.tsv")
        status = os.path.join(work, "status.txt")
        run_console(quillon, work, env, "walk",
                    ["open v3 probe", "wait-walks 2 90", "dump-table " + table])
        run_console(quillon, work, env, "wrong",
                    ["open wrong key", "wait-status failing 60", "dump-status " + status])
        expected = subprocess.run(
            [expected_table, "127.0.0.1:%d" % port, ethers, registry, "snmpbulkwalk " + SECURITY],
            check=True, capture_output=True, text=True).stdout.splitlines()
    finally:
        agent.kill()
        agent.wait()
    with open(table) as f:
        shown = f.read().splitlines()
    if len(expected) < 2:
        fail("snmpbulkwalk found no conversation")
    if shown != expected:
        fail("the console's table differs from snmpbulkwalk's:\n%s\n---\n%s"
             % ("\n".join(shown[:5]), "\n".join(expected[:5])))
    with open(status) as f:
        line = f.readline().strip()
    if "wrong authentication key" not in line:
        fail("the wrong key's status line says %r" % line)
    print("ok: %d rows over authPriv; a wrong key reads %r" % (len(shown) - 1, line))


if __name__ == "__main__":
    main()
