"""What the real-X tests share: the console in script mode on a probe of its own, handing
over to the test between steps, and the test's hands (xdotool) on the display that
desktop_session.sh set up.

A step of the script ends with `dump-status readyN` (two lines: the step is done) and
`wait-file goN` (the script waits for the test's input); the test waits for readyN, acts
with the mouse and keys, and writes goN.

A test file is a set of named cases (run_cases): each case gets a console of its own in a
folder of its own, all of them one probe; the arguments after the work folder name the
cases to run (all of them without). Menus are the real ones on screen: `dump-popup` reads
the popup a click or key opened.
"""
import os
import shutil
import struct
import subprocess
import sys
import time
import zlib

TITLE = "Quillon Network Manager"


class CaseFailed(Exception):
    pass


def fail(message):
    raise CaseFailed(message)


def read_png(path):
    """Width, height and a function (x, y) -> (r, g, b) of an 8-bit RGB or RGBA PNG."""
    with open(path, "rb") as f:
        data = f.read()
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, color = header[:4]
    if depth != 8 or color not in (2, 6):
        fail("%s: PNG of depth %d, colour type %d" % (path, depth, color))
    step = 3 if color == 2 else 4
    raw, stride = zlib.decompress(idat), width * step
    rows, previous, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up, corner = previous[i], previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                near = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + near) & 255
        rows.append(line)
        previous = line
    return width, height, lambda x, y: tuple(rows[y][x * step:x * step + 3])


def xdotool(*args):
    """Runs xdotool on the session's display; its output, stripped."""
    done = subprocess.run(["xdotool"] + [str(a) for a in args], check=True, timeout=30,
                          stdout=subprocess.PIPE, text=True)
    return done.stdout.strip()


def windows(title):
    """X ids of the visible windows whose name starts with title, [] while there is none."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^" + title],
                           timeout=30, stdout=subprocess.PIPE, text=True)
    return found.stdout.split()


class Probe:
    """The static demo probe on a free port, in a folder of its own."""

    def __init__(self, source_dir, work):
        self.script = os.path.join(source_dir, "scripts", "demo_probe.sh")
        self.dir = os.path.join(work, "probe")
        self.nodes = os.path.join(self.dir, "nodes")

    def __enter__(self):
        subprocess.run(["bash", self.script, "start", "--static", "--port", "0", "--dir",
                        self.dir], check=True, timeout=120)
        return self

    def __exit__(self, *_):
        subprocess.run(["bash", self.script, "stop", "--dir", self.dir], timeout=60)


class Console:
    """quillon in script mode on the session's display, real menus and dialogs showing."""

    def __init__(self, quillon, work, env=None):
        self.quillon, self.work, self.step, self.pointer = quillon, work, 0, None
        self.env = dict(os.environ, QT_QPA_PLATFORM="xcb", **(env or {}))
        self.lines, self.process = [], None

    def path(self, name):
        return os.path.join(self.work, name)

    def add(self, *lines):
        self.lines += lines

    def hand_over(self, *lines):
        """Script lines that end a step: the test acts, then the script goes on."""
        self.add(*lines)
        self.add("dump-status " + self.path("ready%d" % self.step),
                 "wait-file %s 120" % self.path("go%d" % self.step))
        self.step += 1

    def start(self, *arguments):
        """Writes the script and starts the console on it (more arguments before it)."""
        with open(self.path("console.script"), "w") as f:
            f.write("\n".join(self.lines) + "\n")
        self.step = 0
        with open(self.path("console.log"), "w") as log:
            self.process = subprocess.Popen(
                [self.quillon] + list(arguments) + ["--script", self.path("console.script")],
                env=self.env, stdout=log, stderr=subprocess.STDOUT)

    def start_plain(self, *arguments):
        """Starts the console without a script, as a person does."""
        with open(self.path("console.log"), "w") as log:
            self.process = subprocess.Popen([self.quillon] + list(arguments), env=self.env,
                                            stdout=log, stderr=subprocess.STDOUT)

    def log(self):
        with open(self.path("console.log"), errors="replace") as f:
            return f.read()

    def wait_step(self, seconds=120):
        """Waits until the script marks this step done (dump-status writes two lines)."""
        marker = self.path("ready%d" % self.step)
        deadline = time.time() + seconds
        while time.time() < deadline:
            if os.path.exists(marker):
                with open(marker) as f:
                    if len(f.read().splitlines()) >= 2:
                        return
            if self.process.poll() is not None:
                fail("the console ended at step %d: %s" % (self.step, self.log()))
            time.sleep(0.1)
        fail("step %d did not finish in %d s" % (self.step, seconds))

    def go(self):
        """Lets the script go on after this step's input. The X server has the events when
        xdotool returns; the pause lets the console's event loop take them first."""
        time.sleep(0.5)
        open(self.path("go%d" % self.step), "w").close()
        self.step += 1

    def wait_exit(self, seconds=60):
        try:
            return self.process.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            fail("the console still runs %d s later: %s" % (seconds, self.log()))

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def main_window(self):
        """The main window's X id, activated (raised and focused by the window manager)."""
        window = xdotool("search", "--sync", "--onlyvisible", "--name", "^" + TITLE).split()[0]
        xdotool("windowactivate", "--sync", window)
        return window

    def keys(self, *keys):
        """Presses keys as a person does, a short pause between them (menus open animated
        by nothing, but each key waits for the previous one's window)."""
        for key in keys:
            xdotool("key", "--clearmodifiers", key)
            time.sleep(0.3)

    def move(self, point):
        """Moves the pointer to a screen point; xdotool's --sync would wait for ever on a
        move to where the pointer already is."""
        if point != self.pointer:
            xdotool("mousemove", "--sync", *point)
            self.pointer = point

    def click(self, point, button=1, repeat=1):
        self.move(point)
        xdotool("click", "--repeat", repeat, "--delay", 80, button)


def popup(path):
    """dump-popup: the texts of the popup menu's items, [] when none showed."""
    with open(path) as f:
        return [line.split("\t")[1] for line in f.read().splitlines() if line.startswith("item")]


def run_cases(cases, argv):
    """Runs the cases named after QUILLON SOURCE_DIR WORK_DIR in argv (every one of `cases`
    without names), each case(console) with a console of its own, the probe up (the console
    finds it through TESSARAN_NODES); exits 1 when any failed."""
    quillon, source_dir, work = argv[:3]
    chosen = argv[3:] or [case.__name__ for case in cases]
    known = {case.__name__: case for case in cases}
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    failed = []
    with Probe(source_dir, work) as probe:
        for name in chosen:
            folder = os.path.join(work, name)
            os.makedirs(folder)
            console = Console(quillon, folder, {"TESSARAN_NODES": probe.nodes})
            started = time.time()
            try:
                known[name](console)
                print("ok: %s (%.1f s)" % (name, time.time() - started))
            except CaseFailed as problem:
                print("FAIL: %s: %s" % (name, problem))
                failed.append(name)
            finally:
                console.stop()
    if failed:
        print("failed: " + " ".join(failed))
        sys.exit(1)
