#!/usr/bin/env python3
"""The console under a real X server (Xvfb) with real X input from xdotool, on a probe of
its own: the input path from the X server through Qt and the platform to the table is the
one a user's mouse and keyboard take. Script mode hands over to the test between steps
(dump-status marks a step done, wait-file waits for the test's input), and the outcome is
read back through dump-table, dump-layout, dump-menus and screenshots of the table:

  1. a double click on the Bytes header sorts largest first, a second one smallest first;
  2. a click selects a row; a right click on that focused, selected cell asks the table's
     parent to edit it and shows no menu; a right click on another row selects it and
     shows the context menu (recorded: the run's menus are scripted);
  3. Down moves the selection one row down;
  4. three wheel notches scroll three rows; a drag of the Bytes header's right border
     widens the column by the distance dragged.

Skips (exit code 77) only when Xvfb or xdotool is not installed.

usage: console_xinput_test.py QUILLON SOURCE_DIR WORK_DIR
"""
import os
import shutil
import struct
import subprocess
import sys
import time
import zlib

BYTES = 5
SOURCE = 1
HIGHLIGHT = (0, 0, 128)
WHEEL_NOTCHES = 3
DRAG = 40


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


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


class Layout:
    """dump-layout: the table's screen origin, header cells and rows in sight."""

    def __init__(self, path):
        self.columns, self.rows = {}, {}
        with open(path) as f:
            for line in f:
                fields = line.split("\t")
                numbers = [int(v) for v in fields[1:]]
                if fields[0] == "table":
                    self.x, self.y, self.width, self.height = numbers
                elif fields[0] == "column":
                    self.columns[numbers[0]] = numbers[1:]
                elif fields[0] == "row":
                    self.rows[numbers[0]] = numbers[1:]

    def cell(self, row, column):
        """Client point inside a cell, clear of its text."""
        left, _ = self.columns[column]
        top, bottom = self.rows[row]
        return left + 3, (top + bottom) // 2

    def header(self, column):
        left, right = self.columns[column]
        return (left + right) // 2, 5

    def screen(self, point):
        return self.x + point[0], self.y + point[1]


class Console:
    """The console in script mode; steps hand over through files in work."""

    def __init__(self, work, env):
        self.work, self.env, self.step, self.pointer = work, env, 0, None
        self.process = None

    def start(self, quillon):
        with open(self.path("console.log"), "w") as log:
            self.process = subprocess.Popen([quillon, "--script", self.path("xinput.script")],
                                            env=self.env, stdout=log, stderr=subprocess.STDOUT)

    def path(self, name):
        return os.path.join(self.work, name)

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
                with open(self.path("console.log"), errors="replace") as f:
                    fail("the console ended at step %d: %s" % (self.step, f.read()))
            time.sleep(0.1)
        fail("step %d did not finish in %d s" % (self.step, seconds))

    def go(self):
        """Lets the script go on after this step's input. The X server has the events when
        xdotool returns; the pause lets the console's event loop take them first."""
        time.sleep(0.5)
        open(self.path("go%d" % self.step), "w").close()
        self.step += 1

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True,
                       timeout=30)

    def move(self, layout, point):
        """Moves the pointer; xdotool's --sync would wait for ever on a move to where the
        pointer already is."""
        if point != self.pointer:
            self.xdotool("mousemove", "--sync", *layout.screen(point))
            self.pointer = point

    def click(self, layout, point, button=1, repeat=1):
        self.move(layout, point)
        self.xdotool("click", "--repeat", repeat, "--delay", 80, button)


def step_lines(console, number, lines):
    return lines + ["dump-status " + console.path("ready%d" % number),
                    "wait-file %s 120" % console.path("go%d" % number)]


def write_script(console):
    p = console.path
    lines = ["open demo-probe", "wait-walks 1 90",
             "dump-layout " + p("layout0.txt"), "dump-table " + p("table0.tsv")]
    lines = step_lines(console, 0, lines)
    lines = step_lines(console, 1, lines + ["dump-table " + p("table1.tsv")])
    lines = step_lines(console, 2, lines + ["dump-table " + p("table2.tsv"),
                                            "dump-layout " + p("layout2.txt")])
    lines = step_lines(console, 3, lines + ["dump-menus " + p("menus3.txt"),
                                            "screenshot-table " + p("table3.png")])
    lines = step_lines(console, 4, lines + ["dump-menus " + p("menus4.txt"),
                                            "screenshot-table " + p("table4.png"),
                                            "dump-layout " + p("layout4.txt")])
    lines += ["dump-layout " + p("layout5.txt"), "screenshot-table " + p("table5.png"),
              "screenshot " + p("console.png"), "quit"]
    with open(p("xinput.script"), "w") as f:
        f.write("\n".join(lines) + "\n")


def bytes_column(path):
    with open(path) as f:
        return [int(line.split("\t")[BYTES]) for line in f.read().splitlines()[1:]]


def selected_rows(png, layout):
    """Display rows in sight drawn in the selection colour: most of the middle line of
    their Source cell (the text covers the rest)."""
    _, _, pixel = read_png(png)
    left, right = layout.columns[SOURCE]
    rows = []
    for row, (top, bottom) in layout.rows.items():
        line = [pixel(x, (top + bottom) // 2) for x in range(left + 1, right - 1)]
        if line.count(HIGHLIGHT) * 4 >= len(line):
            rows.append(row)
    return sorted(rows)


def menus(path):
    with open(path) as f:
        return [line.split("\t")[1:] for line in f.read().splitlines()]


def drive(console):
    c = console
    c.wait_step()
    layout = Layout(c.path("layout0.txt"))
    c.click(layout, layout.header(BYTES), repeat=2)
    c.go()

    c.wait_step()
    values = bytes_column(c.path("table1.tsv"))
    if values != sorted(values, reverse=True) or values == sorted(values):
        fail("one double click on Bytes: %r..., expected largest first" % values[:5])
    c.click(layout, layout.header(BYTES), repeat=2)
    c.go()

    c.wait_step()
    values = bytes_column(c.path("table2.tsv"))
    if values != sorted(values):
        fail("two double clicks on Bytes: %r..., expected smallest first" % values[:5])
    layout = Layout(c.path("layout2.txt"))
    c.click(layout, layout.cell(1, SOURCE))
    c.click(layout, layout.cell(1, SOURCE), button=3)
    c.go()

    c.wait_step()
    if menus(c.path("menus3.txt")):
        fail("a right click on the focused, selected cell showed a menu")
    if selected_rows(c.path("table3.png"), layout) != [1]:
        fail("after a click on row 1: rows %r selected" % selected_rows(c.path("table3.png"),
                                                                         layout))
    c.click(layout, layout.cell(3, SOURCE), button=3)
    c.xdotool("key", "Down")
    c.go()

    c.wait_step()
    offered = menus(c.path("menus4.txt"))
    if len(offered) != 1 or "32779" not in offered[0]:
        fail("a right click on row 3: menus %r, expected the context menu" % offered)
    if selected_rows(c.path("table4.png"), layout) != [4]:
        fail("right click on row 3, then Down: rows %r selected, expected [4]"
             % selected_rows(c.path("table4.png"), layout))
    layout = Layout(c.path("layout4.txt"))
    c.click(layout, layout.cell(2, SOURCE), button=5, repeat=WHEEL_NOTCHES)
    border = layout.columns[BYTES][1]
    c.move(layout, (border, 5))
    c.xdotool("mousedown", 1)
    c.move(layout, (border + DRAG // 2, 5))
    c.move(layout, (border + DRAG, 5))
    c.xdotool("mouseup", 1)
    c.go()
    return layout


def check_end(console, before):
    after = Layout(console.path("layout5.txt"))
    if min(after.rows) != min(before.rows) + WHEEL_NOTCHES:
        fail("%d wheel notches: top row %d, expected %d"
             % (WHEEL_NOTCHES, min(after.rows), min(before.rows) + WHEEL_NOTCHES))
    width_before = before.columns[BYTES][1] - before.columns[BYTES][0]
    width_after = after.columns[BYTES][1] - after.columns[BYTES][0]
    if width_after != width_before + DRAG:
        fail("border drag of %d px: Bytes %d px wide, expected %d"
             % (DRAG, width_after, width_before + DRAG))


def start_xvfb():
    """An Xvfb on a display number it picks itself (-displayfd), so that runs beside
    each other never collide."""
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                               "-nolisten", "tcp"], pass_fds=(write,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as f:
        number = f.readline().strip()
    if not number:
        server.kill()
        fail("Xvfb did not start")
    return server, ":" + number


def main():
    quillon, source_dir, work = sys.argv[1:4]
    for tool in ("Xvfb", "xdotool"):
        if shutil.which(tool) is None:
            print("SKIP: %s is not installed (scripts/setup.sh installs xvfb and xdotool)"
                  % tool)
            sys.exit(77)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    probe = os.path.join(source_dir, "scripts", "demo_probe.sh")
    probe_dir = os.path.join(work, "probe")
    server, display = start_xvfb()
    console = None
    try:
        subprocess.run(["bash", probe, "start", "--static", "--port", "0", "--dir", probe_dir],
                       check=True, timeout=120)
        env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", TESSARAN_SCRIPTED="1",
                   TESSARAN_NODES=os.path.join(probe_dir, "nodes"))
        console = Console(work, env)
        write_script(console)
        console.start(quillon)
        before = drive(console)
        console.process.wait(timeout=120)
        if console.process.returncode != 0:
            with open(console.path("console.log"), errors="replace") as f:
                fail("quillon exited with %d: %s" % (console.process.returncode, f.read()))
        check_end(console, before)
    finally:
        if console and console.process and console.process.poll() is None:
            console.process.kill()
            console.process.wait()
        subprocess.run(["bash", probe, "stop", "--dir", probe_dir], timeout=60)
        server.terminate()
        server.wait(timeout=30)
    print("ok: sort both ways, click and right clicks, Down, wheel and border drag by X input")


if __name__ == "__main__":
    main()
