#!/usr/bin/env python3
"""rmonprobe's exposure, access control and service behaviour, on a veth pair between this
machine and a network namespace (needs root; skipped otherwise):
- it runs as an unprivileged user with CAP_NET_RAW only (as its service unit runs it);
- unconfigured, it listens on its loopback UDP port and nothing else (no SMUX port);
- configured with two interfaces, it serves a matrix row for each naming its ifTable row,
  answers only its listen address, its community only from the networks
  given, its SNMPv3 user only with the right keys, and counts and logs the refusals;
- counting goes on after an interface went down and up; a capture whose interface is
  deleted and made again reopens by itself, its ifTable row and data source under the
  interface's new index;
- SIGHUP re-reads the configuration, and a bad one leaves the old in force;
- an address it cannot serve on is named with the reason.

usage: check_probe_access.py RMONPROBE CAPTURE
"""
import os
import signal
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import conv_oracle as oracle  # noqa: E402
from probe_harness import LoggedProbe, Namespace, fail, run  # noqa: E402

HOST_IP = "10.93.0.1"
ALLOWED_IP = "10.93.0.2"
REFUSED_IP = "10.93.0.3"
NET = Namespace("tspa", HOST_IP, (ALLOWED_IP, REFUSED_IP))
HOST_IF = NET.host_if
USER = ["-v3", "-u", "mon", "-l", "authPriv", "-a", "SHA-256", "-A", "authpass123", "-x", "AES"]
SYS_CONTACT = "1.3.6.1.2.1.1.4.0"
BAD_COMMUNITY_NAMES = "1.3.6.1.2.1.11.4.0"
WRONG_DIGESTS = "1.3.6.1.6.3.15.1.1.5.0"
CONTROL_SOURCE = "1.3.6.1.2.1.16.6.1.1.2.1"
SD_PACKETS = "1.3.6.1.2.1.16.6.2.1.4"
IF_DESCR = "1.3.6.1.2.1.2.2.1.2."


def get(agent, oid, *auth, source=None, namespace=True):
    """The value text of one get, or None when no answer came."""
    command = ["snmpget", "-On", "-Oqv", "-t", "1", "-r", "0"] + list(auth or ["-v2c", "-c", "ops"])
    if source:
        command.append("--clientaddr=" + source)
    command += [agent, oid]
    result = NET.inside(*command, check=False) if namespace else run(*command, check=False)
    return result.stdout.strip().strip('"') if result.returncode == 0 else None


def listeners(pid):
    """The sockets process `pid` listens on, as "udp 127.0.0.1:1161"."""
    out = run("ss", "-H", "-lntup").stdout
    return sorted("%s %s" % (line.split()[0], line.split()[4]) for line in out.splitlines()
                  if "pid=%d," % pid in line)


# An unprivileged user keeping CAP_NET_RAW alone, as the service unit runs the probe.
UNPRIVILEGED = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups",
                "--inh-caps=-all,+net_raw", "--ambient-caps=-all,+net_raw",
                "--bounding-set=-all,+net_raw"]


def check_unconfigured(binary, capture):
    port = oracle.free_port()
    probe = LoggedProbe([binary, "-r", capture, "--port", str(port)])
    try:
        found = listeners(probe.process.pid)
        if found != ["udp 127.0.0.1:%d" % port]:
            fail("unconfigured rmonprobe listens on %s" % found)
        if get("127.0.0.1:%d" % port, SYS_CONTACT, "-v2c", "-c", "public", namespace=False) is None:
            fail("unconfigured rmonprobe does not answer public from loopback")
    finally:
        probe.stop()
    print("ok: unconfigured, one UDP listener on loopback, public answered there")


def write_config(path, port, sources, contact, with_user=True):
    with open(path, "w") as config:
        config.write("interface %s\ninterface lo\nlisten %s:%d\ncommunity ops %s\ncontact %s\n"
                     % (HOST_IF, HOST_IP, port, " ".join(sources), contact))
        if with_user:
            config.write("user mon SHA-256 authpass123 AES privpass123\n")


def check_access(probe, agent):
    if get(agent, SYS_CONTACT, source=ALLOWED_IP) != "noc one":
        fail("community refused from its network: " + probe.text())
    if get(agent, SYS_CONTACT, source=REFUSED_IP) is not None:
        fail("community answered outside its networks")
    if get(agent, SYS_CONTACT, "-v2c", "-c", "public", source=ALLOWED_IP) is not None:
        fail("community public answered though not configured")
    probe.wait_log(r"refused a request from %s:\d+: bad community name" % REFUSED_IP)
    if get(agent, SYS_CONTACT, *USER, "-X", "privpass123") != "noc one":
        fail("SNMPv3 authPriv user refused: " + probe.text())
    if get(agent, SYS_CONTACT, *USER, "-X", "privpass123", "-v3", "-l", "noAuthNoPriv") is not None:
        fail("SNMPv3 user answered without authentication")
    if get(agent, SYS_CONTACT, "-v3", "-u", "mon", "-l", "authPriv", "-a", "SHA-256", "-A",
           "wrongpass123", "-x", "AES", "-X", "privpass123") is not None:
        fail("SNMPv3 user answered with a wrong key")
    probe.wait_log(r"refused a request from \S+: wrong SNMPv3 authentication digest")
    if get(agent, WRONG_DIGESTS, source=ALLOWED_IP) != "1":
        fail("usmStatsWrongDigests is not 1")
    if get(agent, BAD_COMMUNITY_NAMES, source=ALLOWED_IP) != "2":
        fail("snmpInBadCommunityNames is %s, not 2" % get(agent, BAD_COMMUNITY_NAMES, source=ALLOWED_IP))
    found = listeners(probe.process.pid)
    if found != ["udp %s" % agent]:
        fail("configured rmonprobe listens on %s" % found)
    print("ok: community from its network only, SNMPv3 authPriv only with the right keys, "
          "refusals counted and logged, one listener")


def flood(agent):
    """Sends frames through the captured interface; the packets then counted, all pairs."""
    send = ("import socket\ns = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)\n"
            "for _ in range(600): s.sendto(b'x', ('%s', 9))\n" % HOST_IP)
    NET.inside(sys.executable, "-c", send)
    time.sleep(0.5)
    out = NET.inside("snmpbulkwalk", "-v2c", "-c", "ops", "-Oqv", "--clientaddr=" + ALLOWED_IP,
                     agent, SD_PACKETS).stdout
    return sum(int(value) for value in out.split() if value.isdigit())


def if_index():
    with open("/sys/class/net/%s/ifindex" % HOST_IF) as index:
        return index.read().strip()


def check_interface_back(probe, agent):
    index = if_index()
    source = get(agent, CONTROL_SOURCE, source=ALLOWED_IP)
    if not source or not source.endswith(".2.2.1.1." + index):
        fail("matrixControlDataSource %s does not name ifIndex.%s" % (source, index))
    if get(agent, IF_DESCR + index, source=ALLOWED_IP) != HOST_IF:
        fail("no ifTable row %s for the data source" % index)
    second = get(agent, CONTROL_SOURCE[:-1] + "2", source=ALLOWED_IP) or ""
    if not second.endswith(".2.2.1.1.1") or get(agent, IF_DESCR + "1", source=ALLOWED_IP) != "lo":
        fail("the second interface, lo, has no matrix row naming its ifTable row")
    counted = flood(agent)
    if counted < 600:
        fail("%d frames counted on %s" % (counted, HOST_IF))
    run("ip", "link", "set", HOST_IF, "down")
    time.sleep(0.5)
    run("ip", "link", "set", HOST_IF, "up")
    time.sleep(1)
    if flood(agent) < counted + 600:
        fail("no frames counted after the interface went down and up:\n" + probe.text())
    run("ip", "link", "del", HOST_IF)
    probe.wait_log(r"interface %s lost" % HOST_IF)
    NET.make_veth()
    probe.wait_log(r"interface %s back" % HOST_IF)
    new_index = if_index()
    probe.wait_log(r"interface %s: .*now ifIndex %s \(was %s\)" % (HOST_IF, new_index, index))
    if get(agent, CONTROL_SOURCE, source=ALLOWED_IP) != source[:-len(index)] + new_index:
        fail("matrixControlDataSource does not name the new ifIndex.%s" % new_index)
    if get(agent, IF_DESCR + new_index, source=ALLOWED_IP) != HOST_IF or \
            get(agent, IF_DESCR + index, source=ALLOWED_IP) == HOST_IF:
        fail("ifTable row %s not moved to the new index %s" % (index, new_index))
    counted = flood(agent)
    if flood(agent) < counted + 600:
        fail("no frames counted after the interface came back:\n" + probe.text())
    print("ok: counting goes on after the interface went down and up, and after it was "
          "deleted and made again")


def check_reload(probe, agent, path, port):
    write_config(path, port, [ALLOWED_IP, REFUSED_IP + "/32"], "noc two", with_user=False)
    probe.process.send_signal(signal.SIGHUP)
    probe.wait_log(r"configuration reloaded")
    if get(agent, SYS_CONTACT, source=REFUSED_IP) != "noc two":
        fail("SIGHUP: the community's new network or the new contact not in force")
    if get(agent, SYS_CONTACT, *USER, "-X", "privpass123") is not None:
        fail("SIGHUP: a removed SNMPv3 user still answered")
    with open(path, "a") as config:
        config.write("community ops 10.0.0.0/99\n")
    probe.process.send_signal(signal.SIGHUP)
    probe.wait_log(r"configuration not reloaded, the old one stays: .*line 6: community")
    if get(agent, SYS_CONTACT, source=REFUSED_IP) != "noc two":
        fail("SIGHUP: a bad configuration changed the access in force")
    print("ok: SIGHUP re-reads the configuration; a bad one is refused with its line")


def check_cannot_serve(binary, capture, port):
    for address, reason in ((HOST_IP, "address in use"),
                            ("10.93.7.7", "not a local address")):
        result = run(binary, "-r", capture, "--address", address, "--port", str(port), check=False)
        if result.returncode != 1 or "cannot serve on %s:%d: %s" % (address, port, reason) \
                not in result.stderr:
            fail("serving on %s:%d: status %d, %r" % (address, port, result.returncode,
                                                      result.stderr))
    print("ok: an address in use or not local is named with its reason")


def main():
    binary, capture = sys.argv[1:3]
    if os.geteuid() != 0:
        print("skipped: needs root for network namespaces")
        sys.exit(77)
    if not os.path.exists("/etc/rmonprobe/rmonprobe.conf"):
        check_unconfigured(binary, capture)
    NET.set_up()
    probe = None
    try:
        with tempfile.TemporaryDirectory() as work:
            os.chmod(work, 0o755)
            path = os.path.join(work, "rmonprobe.conf")
            port = oracle.free_port()
            agent = "%s:%d" % (HOST_IP, port)
            write_config(path, port, [ALLOWED_IP], "noc one")
            probe = LoggedProbe(UNPRIVILEGED + [binary, "--config", path])
            check_access(probe, agent)
            check_interface_back(probe, agent)
            check_reload(probe, agent, path, port)
            check_cannot_serve(binary, capture, port)
            probe.stop()
            probe = None
    finally:
        if probe:
            probe.kill()
        NET.tear_down()


if __name__ == "__main__":
    main()
