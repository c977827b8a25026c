#!/usr/bin/env python3
"""Several node windows under a window manager, driven by real X input (xdotool) and read
back through dump-windows, dump-nodes, dump-menu-bar and screenshots. Three nodes on the
probe, opened one after another:

  1. the Window menu lists every node window, and choosing one by its number (the real
     popup, by keys) brings it to the front;
  2. a node window minimised with its button at the right of the menu bar walks on;
  3. a node window closed opens again, three times, each way a person opens a node: closed
     with Ctrl+F4, opened by a double click in the Nodes window; closed with its close box
     at the right of the menu bar, opened by Enter in the Nodes window; closed with Ctrl+F4,
     opened from the Nodes menu.

Runs under desktop_session.sh (a window manager on its own Xvfb).

usage: console_reopen_test.py QUILLON SOURCE_DIR WORK_DIR
"""
import os
import sys

from desktop import fail, read_png, run_cases

NODES = ["demo-probe", "second-probe", "third-probe"]
HIGHLIGHT = (0, 0, 128)
# The maximised child's buttons at the right end of the menu bar, from the main window's
# right border: minimise, restore, close.
MINIMISE_FROM_RIGHT, CLOSE_FROM_RIGHT = 51, 11


def read_fields(path):
    with open(path) as f:
        return [line.split("\t") for line in f.read().splitlines()]


class Windows:
    """dump-windows: the main window's frame; the children's titles and states."""

    def __init__(self, path):
        self.states = {}
        for fields in read_fields(path):
            if fields[0] == "main":
                self.main = [int(v) for v in fields[1:5]]
            else:
                self.states[fields[6]] = fields[5]

    def active(self):
        return [title for title, state in self.states.items() if state.endswith("+active")]

    def nodes(self):
        return sorted(title for title in self.states if title in NODES)


class MenuBar:
    """dump-menu-bar: the bar's extent in screen coordinates and the Window menu's items."""

    def __init__(self, path):
        self.window_items, top, bottom = [], [], []
        for fields in read_fields(path):
            if fields[0] == "menu":
                top.append(int(fields[3]))
                bottom.append(int(fields[5]))
                popup = fields[6]
            elif popup == "&Window":
                self.window_items.append(fields[3])
        self.top, self.middle = min(top), (min(top) + max(bottom)) // 2

    def number_of(self, title):
        """The key that chooses title in the Window menu ("&3 second-probe": "3")."""
        for item in self.window_items:
            if item.endswith(" " + title) and item.startswith("&"):
                return item[1:item.index(" ")]
        fail("the Window menu %r does not list %s" % (self.window_items, title))


def walks(path):
    return {fields[1]: int(fields[2]) for fields in read_fields(path)}


def expect_nodes(c, step, present, active=None):
    """The node windows open at a step, and the active window (any after a close)."""
    windows = Windows(c.path("windows%d.txt" % step))
    if windows.nodes() != sorted(present) or (active and windows.active() != [active]):
        fail("step %d: node windows %r, active %r; expected %r, %s active"
             % (step, windows.nodes(), windows.active(), sorted(present), active))
    return windows


def corner_button(windows, bar, from_right):
    x, _, width, _ = windows.main
    return x + width - 1 - from_right, bar.middle


def highlighted_row(png, origin):
    """Screen centre of the Nodes window's selected row: the first band of the selection
    colour, a row high and wider than a name, in the main window's picture."""
    width, height, pixel = read_png(png)
    for y in range(height):
        for x in range(0, width, 4):
            if pixel(x, y) != HIGHLIGHT:
                continue
            bottom = next((b for b in range(y, height) if pixel(x, b) != HIGHLIGHT), height)
            right = next((r for r in range(x, width) if pixel(r, y) != HIGHLIGHT), width)
            if 15 <= bottom - y <= 25 and right - x >= 100:
                return origin[0] + (x + right) // 2, origin[1] + (y + bottom) // 2
    fail("%s: no selected row in sight" % png)


def write_script(c):
    p = c.path
    c.add(*["open " + node for node in NODES])
    c.add("wait-walks 1 120")
    c.hand_over("dump-menu-bar " + p("bar0.txt"), "dump-windows " + p("windows0.txt"))
    c.hand_over("dump-windows " + p("windows1.txt"), "dump-nodes " + p("nodes1.tsv"))
    for step in range(2, 11):
        c.hand_over("dump-windows " + p("windows%d.txt" % step), "screenshot " + p("main.png"))
    c.hand_over("wait 12", "dump-nodes " + p("nodes11.tsv"), "dump-menu-bar " + p("bar11.txt"))
    c.add("dump-windows " + p("windows12.txt"), "quit")


def window_menu(c):
    """Item 1, and the minimised window of item 2."""
    c.wait_step()
    bar = MenuBar(c.path("bar0.txt"))
    windows = expect_nodes(c, 0, NODES, NODES[-1])
    for node in NODES:
        bar.number_of(node)
    c.main_window()
    c.click(corner_button(windows, bar, MINIMISE_FROM_RIGHT))
    c.go()
    c.wait_step()
    if not Windows(c.path("windows1.txt")).states.get(NODES[-1], "").startswith("minimized"):
        fail("the minimise button left %s %s" % (NODES[-1], Windows(c.path("windows1.txt")).states))
    for step, node in ((2, NODES[0]), (3, NODES[1])):
        c.keys("alt+w", bar.number_of(node))
        c.go()
        c.wait_step()
        expect_nodes(c, step, NODES, node)
    return bar


def close_and_open(c, bar):
    """Item 3: each way to close, then each way to open the closed node window again."""
    first, others = NODES[0], NODES[1:]
    step = 4

    def then(present, active=None):
        nonlocal step
        c.go()
        c.wait_step()
        windows = expect_nodes(c, step, present, active)
        step += 1
        return windows

    c.keys("alt+w", bar.number_of(first), "ctrl+F4")
    then(others)
    c.keys("alt+w", "1")  # the Nodes window, first in the list
    windows = then(others, "Nodes")
    origin = (windows.main[0] + 1, bar.top)
    c.click(highlighted_row(c.path("main.png"), origin), repeat=2)
    windows = then(NODES, first)
    c.click(corner_button(windows, bar, CLOSE_FROM_RIGHT))
    then(others)
    c.keys("alt+w", "1", "Return")
    then(NODES, first)
    c.keys("ctrl+F4")
    then(others)
    c.keys("alt+n", "Return")
    then(NODES, first)


def test(console):
    write_script(console)
    c = console
    c.start()
    bar = window_menu(c)
    close_and_open(c, bar)
    c.go()
    c.wait_step()
    before, after = walks(c.path("nodes1.tsv")), walks(c.path("nodes11.tsv"))
    if after[NODES[-1]] <= before[NODES[-1]]:
        fail("the minimised %s stopped walking: %d walks, then %d"
             % (NODES[-1], before[NODES[-1]], after[NODES[-1]]))
    c.keys("alt+w", MenuBar(c.path("bar11.txt")).number_of(NODES[-1]))
    c.go()
    if c.wait_exit(120) != 0:
        fail("quillon exited with %d: %s" % (c.process.returncode, c.log()))
    windows = Windows(c.path("windows12.txt"))
    if windows.active() != [NODES[-1]] or windows.states[NODES[-1]].startswith("minimized"):
        fail("Window > %s left it %s" % (NODES[-1], windows.states.get(NODES[-1])))


def reopen(console):
    """The probe's nodes file names it three times: three nodes on one agent."""
    nodes = console.env["TESSARAN_NODES"]
    with open(nodes) as f:
        address = f.read().split("\n")[-2].split()[1]
    three_nodes = console.path("nodes")
    with open(three_nodes, "w") as f:
        for number, node in enumerate(NODES, 1):
            f.write("%d %s 2c public 1000 2 %s\n" % (number, address, node))
    console.env["TESSARAN_NODES"] = three_nodes
    test(console)


def main():
    run_cases([reopen], sys.argv[1:])


if __name__ == "__main__":
    main()
