#!/usr/bin/env python3
"""rmonprobe's ifTable row follows the kernel through an interface's life, on a quiet veth
pair (needs root; otherwise it reports the skip and exits 77): the far end down (the link
lost with the interface up), the interface set down and up, the pair deleted (notPresent,
the last counts kept) and made again under a new index and address, which the row and
the data sources then carry. Each change is in the log.

usage: check_interface_follow.py RMONPROBE
"""
import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import conv_oracle as oracle  # noqa: E402
from probe_harness import fail  # noqa: E402

IF_ENTRY = "1.3.6.1.2.1.2.2.1"
CONTROL_SOURCE = "1.3.6.1.2.1.16.6.1.1.2.1"
ETHER_SOURCE = "1.3.6.1.2.1.16.1.1.1.2.1"
DISCONTINUITY = "1.3.6.1.2.1.31.1.1.1.19"


def get(agent, *oids):
    out = subprocess.run(["snmpget", "-v2c", "-c", "public", "-On", "-Oqv", "-Oe", "-Ox", "-Ot",
                          "-t", "2", agent] + list(oids), capture_output=True, text=True).stdout
    return [line.strip().strip('"').strip() for line in out.splitlines()]


def kernel(name, attribute):
    with open("/sys/class/net/%s/%s" % (name, attribute)) as f:
        return f.read().strip()


class Follow:
    def __init__(self, probe, name):
        self.probe, self.name, self.log = probe, name, ""

    def wait_log(self, pattern):
        """Waits for the log line of this interface matching `pattern`; later lines stay."""
        deadline = time.time() + 3
        while time.time() < deadline:
            self.log += self.probe.log_lines()
            found = re.search(r"interface %s: %s\n" % (self.name, pattern), self.log)
            if found:
                self.log = self.log[found.end():]
                return
            time.sleep(0.1)
        fail("no log line %r in %r" % (pattern, self.log))

    def expect(self, index, admin, oper, log=None):
        """ifAdminStatus and ifOperStatus of row `index` within a second, and the log line
        `log` (exactly) if given."""
        agent = self.probe.agent()
        deadline = time.time() + 1
        status = None
        while status != [admin, oper] and time.time() < deadline:
            time.sleep(0.1)
            status = get(agent, "%s.7.%s" % (IF_ENTRY, index), "%s.8.%s" % (IF_ENTRY, index))
        if status != [admin, oper]:
            fail("%s (row %s): ifAdminStatus, ifOperStatus %s, expected %s"
                 % (log, index, status, [admin, oper]))
        if log:
            self.wait_log(re.escape(log))
            print("ok: %s: ifAdminStatus %s, ifOperStatus %s" % (log, admin, oper))


def main():
    if os.geteuid() != 0:
        print("SKIP: adding a veth pair needs root")
        sys.exit(77)
    veth = oracle.QuietVeth("tsf")
    name, peer = veth.names
    probe = oracle.Probe(sys.argv[1], name, source="-i")
    try:
        probe.wait_listening()
        follow = Follow(probe, name)
        agent = probe.agent()
        index = kernel(name, "ifindex")
        subprocess.run(["ip", "link", "set", peer, "down"], check=True)
        follow.expect(index, "1", "2", "link down")
        subprocess.run(["ip", "link", "set", peer, "up"], check=True)
        follow.expect(index, "1", "1", "link up")
        subprocess.run(["ip", "link", "set", name, "down"], check=True)
        follow.expect(index, "2", "2", "link down")
        subprocess.run(["ip", "link", "set", name, "up"], check=True)
        follow.expect(index, "1", "1", "link up")
        veth.remove()
        follow.expect(index, "2", "6", "link down (interface deleted)")
        veth = oracle.QuietVeth("tsf")
        new_index = kernel(name, "ifindex")
        # Made and then set up: the probe may see it down first.
        follow.wait_log(r"link (up|down); now ifIndex %s \(was %s\)" % (new_index, index))
        follow.expect(new_index, "1", "1")
        address = kernel(name, "address").replace(":", " ").upper()
        row = get(agent, "%s.1.%s" % (IF_ENTRY, new_index), "%s.6.%s" % (IF_ENTRY, new_index),
                  "%s.8.%s" % (IF_ENTRY, new_index), "%s.2.%s" % (IF_ENTRY, index))
        if row[:3] != [new_index, address, "1"] or not row[3].startswith("No Such Instance"):
            fail("after re-creation: ifIndex, ifPhysAddress, ifOperStatus of row %s and the "
                 "old row %s: %s, expected %s" % (new_index, index, row, [new_index, address, "1"]))
        sources = get(agent, CONTROL_SOURCE, ETHER_SOURCE, "%s.%s" % (DISCONTINUITY, new_index))
        expected = ".1.3.6.1.2.1.2.2.1.1." + new_index
        if sources[:2] != [expected, expected] or sources[2] == "0":
            fail("after re-creation: data sources and ifCounterDiscontinuityTime %s, expected "
                 "%s twice and a time" % (sources, expected))
        print("ok: made again, the row, the data sources and the address follow ifIndex %s"
              % new_index)
    finally:
        probe.stop()
        veth.remove()


if __name__ == "__main__":
    main()
