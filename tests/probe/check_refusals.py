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
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import conv_oracle as oracle  # noqa: E402
from probe_harness import LoggedProbe, Namespace, fail  # noqa: E402

HOST_IP = "10.94.0.1"
GOOD_IP = "10.94.0.2"
OTHER_IP = "10.94.0.3"
NET = Namespace("tsrf", HOST_IP, (GOOD_IP, OTHER_IP))
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


def get(agent, oid, security, source):
    """The value text of one get from the namespace, or None when no answer came."""
    result = NET.inside("snmpget", "-On", "-Oqv", "-t", "1", "-r", "0", "--clientaddr=" + source,
                        *security, agent, oid, check=False)
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
    # hosts.deny exists on Debian; the mount covers it for the probe alone.
    shell = 'mount --bind "$1" /etc/hosts.deny && shift && exec "$@"'
    return LoggedProbe(["unshare", "--mount", "--propagation", "private", "sh", "-c", shell, "sh",
                        deny, binary, "-r", capture, "--fast", "--config", config])


def check_cases(agent, probe, started):
    if get(agent, SYS_NAME, ["-v3", "-l", "authPriv"] + AUTH, GOOD_IP) != '"rmonprobe"':
        fail("the SNMPv3 user is not answered:\n" + probe.text())
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
    lines = re.findall(r"refused a request from (\S+): (.*)", probe.text())
    if len(lines) != 5:
        fail("%d refusals logged one by one in the first 10 s, not 5:\n%s"
             % (len(lines), probe.text()))
    for (name, _, source, _, reason), (logged_source, logged_reason) in zip(CASES, lines):
        if not logged_source.startswith(source + ":") or not logged_reason.startswith(reason):
            fail("%s: logged as from %s: %s" % (name, logged_source, logged_reason))
    summary = r"refused 2 more requests in 10 s, not logged one by one: " \
              r"SNMPv3 security level below the user's \(authPriv\) \(2\)"
    deadline = started + 12
    while time.time() < deadline and not re.search(summary, probe.text()):
        time.sleep(0.2)
    if not re.search(summary, probe.text()):
        fail("no count of the refusals left out:\n" + probe.text())


def main():
    binary, capture = sys.argv[1:3]
    if os.geteuid() != 0:
        print("skipped: needs root for network and mount namespaces")
        sys.exit(77)
    NET.set_up()
    probe = None
    try:
        with tempfile.TemporaryDirectory() as work:
            port = oracle.free_port()
            started = time.time()
            probe = start_probe(binary, capture, work, port)
            check_cases("%s:%d" % (HOST_IP, port), probe, started)
            probe.stop()
    finally:
        if probe:
            probe.kill()
        NET.tear_down()
    print("ok: %d kinds of refusal counted and logged with their source; the log limited to "
          "5 lines in 10 s with a count of the rest; hosts.deny not consulted" % len(CASES))


if __name__ == "__main__":
    main()
