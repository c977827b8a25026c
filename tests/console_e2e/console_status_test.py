#!/usr/bin/env python3
"""The node window's status line, in the console's script mode on a probe of its own. The
console opens the probe; the test then stops the probe and the status line must say
"not answering since HH:MM:SS (time-out)"; the probe is started again on the same port and
the line must come back to the conversation count and the last walk by itself.

usage: console_status_test.py QUILLON SOURCE_DIR WORK_DIR
"""
import os
import re
import subprocess
import sys
import time

def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def wait_for_lines(path, count, console, seconds=150):
    """The file once it holds count lines; fails when the console ends first."""
    deadline = time.time() + seconds
    while time.time() < deadline:
        if os.path.exists(path):
            with open(path) as f:
                lines = f.read().splitlines()
            if len(lines) >= count:
                return lines
        if console.poll() is not None:
            fail("the console ended early (%d): %s" % (console.returncode, log_text(path)))
        time.sleep(0.2)
    fail("no %s after %d s" % (path, seconds))


def log_text(near):
    """The console's output, logged beside the file it was to write."""
    with open(os.path.join(os.path.dirname(near), "console.log"), errors="replace") as f:
        return f.read()


def touch(path):
    open(path, "w").close()


def main():
    quillon, source_dir, work = sys.argv[1:4]
    os.makedirs(work, exist_ok=True)
    for name in os.listdir(work):
        if name.endswith((".txt", ".tsv")) or name in ("stopped", "restarted"):
            os.remove(os.path.join(work, name))
    probe = os.path.join(source_dir, "scripts", "demo_probe.sh")
    probe_dir = os.path.join(work, "probe")
    subprocess.run(["bash", probe, "start", "--static", "--port", "0", "--dir", probe_dir],
                   check=True, timeout=120)
    try:
        with open(os.path.join(probe_dir, "port")) as f:
            port = f.read().strip()
        run(quillon, probe, probe_dir, port, work)
    finally:
        subprocess.run(["bash", probe, "stop", "--dir", probe_dir], timeout=60)


def run(quillon, probe, probe_dir, port, work):
    path = lambda name: os.path.join(work, name)
    script = path("status.script")
    with open(script, "w") as f:
        f.write("\n".join([
            "open demo-probe",
            "wait-status answering 90",
            "dump-table " + path("table.tsv"),
            "dump-status " + path("answering.txt"),
            "wait-file %s 120" % path("stopped"),
            "wait-status not-answering 90",
            "dump-status " + path("silent.txt"),
            "wait-file %s 120" % path("restarted"),
            "wait-status answering 90",
            "dump-status " + path("recovered.txt"),
            "quit", ""]))
    env = dict(os.environ, TESSARAN_NODES=os.path.join(probe_dir, "nodes"))
    with open(path("console.log"), "w") as log:
        console = subprocess.Popen([quillon, "--script", script], env=env, stdout=log,
                                   stderr=subprocess.STDOUT)
    try:
        answering = wait_for_lines(path("answering.txt"), 2, console)
        with open(path("table.tsv")) as f:
            rows = len(f.read().splitlines()) - 1
        subprocess.run(["bash", probe, "stop", "--dir", probe_dir], check=True, timeout=60)
        touch(path("stopped"))
        silent = wait_for_lines(path("silent.txt"), 2, console)
        subprocess.run(["bash", probe, "start", "--static", "--port", port, "--dir", probe_dir],
                       check=True, timeout=120)
        touch(path("restarted"))
        recovered = wait_for_lines(path("recovered.txt"), 2, console)
        console.wait(timeout=60)
    finally:
        if console.poll() is None:
            console.kill()
            console.wait()
    if console.returncode != 0:
        fail("quillon exited with %d: %s" % (console.returncode, log_text(script)))

    walked = r"^%d conversations; last walk ended at \d\d:\d\d:\d\d, took \d+\.\d s$" % rows
    for name, lines in (("answering", answering), ("recovered", recovered)):
        if not re.match(walked, lines[0]) or lines[1] != "answering":
            fail("%s: status %r, expected %r" % (name, lines, walked))
    silent_text = r"^%d conversations; not answering since \d\d:\d\d:\d\d \(time-out\)$" % rows
    if not re.match(silent_text, silent[0]) or silent[1] != "not-answering":
        fail("stopped probe: status %r, expected %r" % (silent, silent_text))
    print("ok: %d rows; %s / %s / %s" % (rows, answering[0], silent[0], recovered[0]))


if __name__ == "__main__":
    main()
