"""Wireshark's Ethernet conversation statistics as the oracle of rmonprobe's matrix, and the
helpers the probe's tests share: starting rmonprobe on a capture file or an interface,
walking its tables, a quiet veth pair.

tshark -z conv,eth prints, per unordered pair A <-> B, the frames and bytes of B to A ("<-"),
then of A to B ("->"); bytes on the wire as captured, without the FCS a capture lacks. It
writes byte counts of 10,000 and more with SI prefixes, cut down (11 kB is 11,000 to
11,999): such a count is compared by writing the agent's count the same way.
"""
import os
import re
import signal
import socket
import subprocess
import time

FCS = 4
WRAP = 1 << 32
SD_ENTRY = "1.3.6.1.2.1.16.6.2.1"
DS_ENTRY = "1.3.6.1.2.1.16.6.3.1"
CONTROL_ENTRY = "1.3.6.1.2.1.16.6.1.1"
_PAIR = re.compile(r"^([0-9a-f:]{17})\s+<->\s+([0-9a-f:]{17})\s+(\d+)\s+(\d+ \S+)\s+(\d+)\s+(\d+ \S+)")


def tshark_conversations(capture, display_filter=None):
    """{(source, destination): (frames, bytes as tshark writes them)} for every direction with
    frames; addresses as lower-case colon-separated hex."""
    stat = "conv,eth" + ("," + display_filter if display_filter else "")
    out = subprocess.run(["tshark", "-n", "-q", "-z", stat, "-r", capture], capture_output=True,
                         text=True, check=True).stdout
    directions = {}
    for line in out.splitlines():
        m = _PAIR.match(line)
        if not m:
            continue
        a, b = m.group(1), m.group(2)
        for key, frames, size in (((b, a), m.group(3), m.group(4)), ((a, b), m.group(5), m.group(6))):
            if int(frames):
                directions[key] = (int(frames), size)
    return directions


def human_size(count):
    """A byte count as tshark 4.0 writes it (format_size with SI prefixes)."""
    for power, prefix in ((10**15, "P"), (10**12, "T"), (10**9, "G"), (10**6, "M"), (10**3, "k")):
        if count // power >= 10:
            return "%d %sB" % (count // power, prefix)
    return "%d bytes" % count


def octets_agree(shown, frames, octets):
    """True if the agent's Counter32 `octets` is tshark's `shown` bytes plus the FCS of each of
    `frames` frames, modulo 2^32."""
    for wraps in range(64):
        on_wire = octets + wraps * WRAP - FCS * frames
        if on_wire >= 0 and human_size(on_wire) == shown:
            return True
    return False


def free_port():
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


class QuietVeth:
    """A veth pair with IPv6 off, so the kernel sends nothing on it by itself."""

    def __init__(self, prefix="ts"):
        self.names = (prefix + "c%d" % os.getpid(), prefix + "d%d" % os.getpid())
        subprocess.run(["ip", "link", "add", self.names[0], "type", "veth", "peer", "name",
                        self.names[1]], check=True)
        for name in self.names:
            with open("/proc/sys/net/ipv6/conf/%s/disable_ipv6" % name, "w") as f:
                f.write("1")
            subprocess.run(["ip", "link", "set", name, "up"], check=True)

    def remove(self):
        subprocess.run(["ip", "link", "del", self.names[0]], check=False)


class Probe:
    """rmonprobe replaying a capture (or with source "-i", counting an interface) on a free
    loopback port; `done` is its "replay done" line once the replay ended."""

    def __init__(self, binary, capture, *options, source="-r"):
        self.port = free_port()
        self.process = subprocess.Popen([binary, source, capture, "--port", str(self.port)] +
                                        list(options), stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True)
        self.done = None

    def wait_listening(self):
        line = self.process.stdout.readline()
        if not line.startswith("listening"):
            raise RuntimeError("rmonprobe did not start: " + line + self.process.stderr.read())

    def wait_replay(self, timeout=60):
        deadline = time.time() + timeout
        while time.time() < deadline:
            line = self.process.stdout.readline()
            if not line:
                raise RuntimeError("rmonprobe ended: " + self.process.stderr.read())
            if line.startswith("replay done"):
                self.done = line.strip()
                return self.done
        raise RuntimeError("no end of replay within %d s" % timeout)

    def stop(self):
        """Ends the probe; raises if it did not end cleanly (a sanitizer's report, say)."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            self.process.wait(10)
        errors = self.process.stderr.read()
        self.process.stdout.close()
        self.process.stderr.close()
        if self.process.returncode != 0:
            raise RuntimeError("rmonprobe ended with status %d: %s"
                               % (self.process.returncode, errors))

    def agent(self):
        return "127.0.0.1:%d" % self.port

    def log_lines(self):
        """What the probe has written to stderr since the last call, without waiting."""
        os.set_blocking(self.process.stderr.fileno(), False)
        chunks = []
        while True:
            try:
                chunk = os.read(self.process.stderr.fileno(), 65536)
            except BlockingIOError:
                break
            if not chunk:
                break
            chunks.append(chunk)
        os.set_blocking(self.process.stderr.fileno(), True)
        return b"".join(chunks).decode(errors="replace")


def snmpwalk(agent, root):
    """[(numeric name without the leading dot, value text)] of a v2c bulk walk."""
    out = subprocess.run(["snmpbulkwalk", "-v2c", "-c", "public", "-On", "-Oq", "-Ox", "-Ot", "-t", "5",
                          agent, root], capture_output=True, text=True, check=True).stdout
    rows = []
    for line in out.splitlines():
        name, _, value = line.partition(" ")
        # endOfMibView after the last table; an empty subtree with objects after it is
        # answered by a get of its root
        if value.startswith(("No more variables", "No Such")):
            continue
        rows.append((name.lstrip("."), value.strip().strip('"')))
    return rows


def mac_of(arcs):
    return ":".join("%02x" % int(arc) for arc in arcs)


def matrix(agent, entry):
    """{(source, destination): [packets, octets, errors]} of index 1 of matrixSDTable or
    matrixDSTable (whose instance names the destination first)."""
    rows = {}
    for name, value in snmpwalk(agent, entry):
        arcs = name[len(entry) + 1:].split(".")
        column, index = int(arcs[0]), int(arcs[1])
        if column < 4 or index != 1:
            continue
        first, second = mac_of(arcs[3:9]), mac_of(arcs[10:16])
        key = (second, first) if entry == DS_ENTRY else (first, second)
        rows.setdefault(key, [0, 0, 0])[column - 4] = int(value)
    return rows


def control(agent):
    """{column: value text} of the control row of index 1."""
    return {int(name.split(".")[-2]): value for name, value in snmpwalk(agent, CONTROL_ENTRY)
            if name.endswith(".1")}
