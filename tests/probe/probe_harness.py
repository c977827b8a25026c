"""What the probe's service tests share: failing with a message, running a command, an
rmonprobe started from a command line whose log is kept in a file, and a veth pair from
this machine into a network namespace of its own.
"""
import os
import re
import signal
import subprocess
import sys
import tempfile
import time


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def run(*command, check=True):
    return subprocess.run(command, capture_output=True, text=True, check=check)


class LoggedProbe:
    """rmonprobe started by `command`, which must print "listening on" first; its log
    (standard error) goes to a file that is read whole at each look."""

    def __init__(self, command):
        self.log = tempfile.TemporaryFile(mode="w+")
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=self.log,
                                        text=True)
        if not self.process.stdout.readline().startswith("listening on"):
            fail("rmonprobe did not start: " + self.text())

    def text(self):
        self.log.seek(0)
        return self.log.read()

    def wait_log(self, pattern, timeout=5):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if re.search(pattern, self.text()):
                return
            time.sleep(0.05)
        fail("no log line %r within %d s; log:\n%s" % (pattern, timeout, self.text()))

    def stop(self):
        """SIGTERM; fails unless it ended with status 0. The time it took, in seconds."""
        start = time.monotonic()
        self.process.send_signal(signal.SIGTERM)
        status = self.process.wait(10)
        took = time.monotonic() - start
        if status != 0:
            fail("rmonprobe ended with status %d after %.2f s: %s" % (status, took, self.text()))
        return took

    def kill(self):
        """Ends it whatever it is doing, after a failure."""
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(10)


class Namespace:
    """A network namespace with its loopback up and one end of a veth pair, eth0, holding
    the addresses `far`; the other end, `host_if`, has `host_ip` here. Names carry `tag`
    and this process's id, so that tests running at once do not meet."""

    def __init__(self, tag, host_ip, far):
        self.name = "%s-ns%d" % (tag, os.getpid())
        self.host_if = "%s%d" % (tag, os.getpid())
        self.host_ip, self.far = host_ip, far

    def set_up(self):
        self.tear_down()
        run("ip", "netns", "add", self.name)
        self.inside("ip", "link", "set", "lo", "up")
        self.make_veth()

    def make_veth(self):
        run("ip", "link", "add", self.host_if, "type", "veth", "peer", "name", "eth0", "netns",
            self.name)
        run("ip", "addr", "add", self.host_ip + "/24", "dev", self.host_if)
        run("ip", "link", "set", self.host_if, "up")
        for address in self.far:
            self.inside("ip", "addr", "add", address + "/24", "dev", "eth0")
        self.inside("ip", "link", "set", "eth0", "up")

    def tear_down(self):
        run("ip", "link", "del", self.host_if, check=False)
        run("ip", "netns", "del", self.name, check=False)

    def inside(self, *command, check=True):
        """Runs `command` in the namespace."""
        return run("ip", "netns", "exec", self.name, *command, check=check)
