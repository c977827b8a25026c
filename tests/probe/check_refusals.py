#!/usr/bin/env python3
"""Every kind of request rmonprobe refuses is counted in its counter and logged with its
reason and the source address, from a network namespace whose two addresses tell the
sources apart (root only; skipped otherwise). Past five lines in ten seconds the log counts
the rest by reason in one line. The probe runs in a mount namespace whose /etc/hosts.deny
refuses everything: it does not consult the TCP wrappers files, so nothing is dropped
unsaid.

usage: check_refusals.py RMONPROBE CAPTURE
"""
import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import conv_oracle as oracle  # noqa: E402

PID = os.getpid()
NS = "tsrf%d" % PID
HOST_IF = "tsrh%d" % PID
HOST_IP = "10.94.0.1"
GOOD_IP = "10.94.0.2"
OTHER_IP = "10.94.0.3"
SYS_NAME = "1.3.6.1.2.1.1.5.0"
AUTH = ["-v3", "-u", "mon", "-a", "SHA-256", "-A", "authpass123", "-x", "AES", "-X",
        "privpass123"]

# Each kind of refusal: the request (snmpget options) and its source, the counter it must
# raise and the reason its log line gives.
CASES = [
    ("bad community", ["-v2c", "-c", "nosuch"], GOOD_IP,
     "1.3.6.1.2.1.11.4.0", "bad community name"),
    ("community from another network", ["-v2c", "-c", "ops"], OTHER_IP,
     "1.3.6.1.2.1.11.4.0", "bad community name"),
    ("unknown user", ["-v3", "-u", "nobody", "-l", "noAuthNoPriv"], GOOD_IP,
     "1.3.6.1.6.3.15.1.1.3.0", "unknown SNMPv3 user"),
    ("wrong authentication key", ["-l", "authPriv"] + AUTH[:6] + ["wrongpass123"] + AUTH[7:],
     GOOD_IP, "1.3.6.1.6.3.15.1.1.5.0", "wrong SNMPv3 authentication digest"),
    ("wrong privacy key", ["-l", "authPriv"] + AUTH[:-1] + ["wrongpriv123"], OTHER_IP,
     "1.3.6.1.6.3.15.1.1.6.0", "SNMPv3 decryption error"),
    ("authNoPriv, below the user's level", ["-l", "authNoPriv"] + AUTH[:7], GOOD_IP,
     "1.3.6.1.6.3.15.1.1.1.0", "SNMPv3 security level below the user's"),
    ("noAuthNoPriv, below the user's level", ["-l", "noAuthNoPriv", "-v3", "-u", "mon"], OTHER_IP,
     "1.3.6.1.6.3.15.1.1.1.0", "SNMPv3 security level below the user's"),
]


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def run(*command, check=True):
    return subprocess.run(command, capture_output=True, text=True, check=check)


def set_up():
    run("ip", "netns", "add", NS)
    run("ip", "netns", "exec", NS, "ip", "link", "set", "lo", "up")
    run("ip", "link", "add", HOST_IF, "type", "veth", "peer", "name", "eth0", "netns", NS)
    run("ip", "addr", "add", HOST_IP + "/24", "dev", HOST_IF)
    run("ip", "link", "set", HOST_IF, "up")
    for address in (GOOD_IP, OTHER_IP):
        run("ip", "netns", "exec", NS, "ip", "addr", "add", address + "/24", "dev", "eth0")
    run("ip", "netns", "exec", NS, "ip", "link", "set", "eth0", "up")


def tear_down():
    run("ip", "link", "del", HOST_IF, check=False)
    run("ip", "netns", "del", NS, check=False)


def get(agent, oid, security, source):
    """The value text of one get from the namespace, or None when no answer came."""
    result = run("ip", "netns", "exec", NS, "snmpget", "-On", "-Oqv", "-t", "1", "-r", "0",
                 "--clientaddr=" + source, *security, agent, oid, check=False)
    return result.stdout.strip() if result.returncode == 0 else None


def counter(agent, oid):
    value = get(agent, oid, ["-v2c", "-c", "ops"], GOOD_IP)
    if value is None:
        fail("the counter %s cannot be read" % oid)
    return int(value)


def start_probe(binary, capture, work, port):
    config = os.path.join(work, "rmonprobe.conf")
    with open(config, "w") as f:
        f.write("listen %s:%d\ncommunity ops %s\nuser mon SHA-256 authpass123 AES privpass123\n"
                "state-directory %s\n" % (HOST_IP, port, GOOD_IP, work))
    deny = os.path.join(work, "hosts.deny")
    with open(deny, "w") as f:
        f.write("ALL: ALL\n")
    log = open(os.path.join(work, "log"), "w+")
    # hosts.deny exists on Debian; the mount covers it for the probe alone.
    shell = 'mount --bind "$1" /etc/hosts.deny && shift && exec "$@"'
    process = subprocess.Popen(
        ["unshare", "--mount", "--propagation", "private", "sh", "-c", shell, "sh", deny,
         binary, "-r", capture, "--fast", "--config", config],
        stdout=subprocess.PIPE, stderr=log, text=True)
    if not process.stdout.readline().startswith("listening on"):
        log.seek(0)
        fail("rmonprobe did not start: " + log.read())
    return process, log


def log_text(log):
    log.seek(0)
    return log.read()


def check_cases(agent, log, started):
    if get(agent, SYS_NAME, ["-v3", "-l", "authPriv"] + AUTH, GOOD_IP) != '"rmonprobe"':
        fail("the SNMPv3 user is not answered:\n" + log_text(log))
    if get(agent, SYS_NAME, ["-v2c", "-c", "ops"], GOOD_IP) != '"rmonprobe"':
        fail("the community is not answered though hosts.deny refuses everything")
    for name, security, source, oid, reason in CASES:
        before = counter(agent, oid)
        if get(agent, SYS_NAME, security, source) is not None:
            fail("%s: answered" % name)
        after = counter(agent, oid)
        if after != before + 1:
            fail("%s: %s went from %d to %d" % (name, oid, before, after))
    time.sleep(0.3)
    lines = re.findall(r"refused a request from (\S+): (.*)", log_text(log))
    if len(lines) != 5:
        fail("%d refusals logged one by one in the first 10 s, not 5:\n%s"
             % (len(lines), log_text(log)))
    for (name, _, source, _, reason), (logged_source, logged_reason) in zip(CASES, lines):
        if not logged_source.startswith(source + ":") or not logged_reason.startswith(reason):
            fail("%s: logged as from %s: %s" % (name, logged_source, logged_reason))
    summary = r"refused 2 more requests in 10 s, not logged one by one: " \
              r"SNMPv3 security level below the user's \(authPriv\) \(2\)"
    deadline = started + 12
    while time.time() < deadline and not re.search(summary, log_text(log)):
        time.sleep(0.2)
    if not re.search(summary, log_text(log)):
        fail("no count of the refusals left out:\n" + log_text(log))


def main():
    binary, capture = sys.argv[1:3]
    if os.geteuid() != 0:
        print("skipped: needs root for network and mount namespaces")
        sys.exit(77)
    tear_down()
    set_up()
    process = None
    try:
        with tempfile.TemporaryDirectory() as work:
            port = oracle.free_port()
            started = time.time()
            process, log = start_probe(binary, capture, work, port)
            check_cases("%s:%d" % (HOST_IP, port), log, started)
            process.terminate()
            if process.wait(10) != 0:
                fail("rmonprobe ended with status %d:\n%s" % (process.returncode, log_text(log)))
    finally:
        if process and process.poll() is None:
            process.kill()
        tear_down()
    print("ok: %d kinds of refusal counted and logged with their source; the log limited to "
          "5 lines in 10 s with a count of the rest; hosts.deny not consulted" % len(CASES))


if __name__ == "__main__":
    main()
