#!/usr/bin/env python3
"""The console's windows under a window manager, driven by real X input (xdotool) and read
back through dump-windows, dump-popup and screenshots. Cases:

  keys_around_graph  the main window's caption is on screen; the table keeps the keyboard
                     around graph windows: after a graph opened (Matrix > Utilization) and
                     Ctrl+Tab went back to the node window, Down moves the selection; after
                     the graph closed (Window > 3, Ctrl+F4), a click on a row and Down move
                     it;
  cascade_and_all    Window > Cascade leaves every child's caption in sight; a graph and the
                     All window opened then go on top, captions clear of the others; the All
                     window at normal size is laid out and painted at once; Ctrl+F6
                     activates another child and Window > 2 the node window;
  more_windows       with twelve windows the Window menu lists nine, the active one checked
                     in the ninth place, then "More Windows...", whose dialog lists them all
                     and activates the one chosen.

usage: console_windows_test.py QUILLON SOURCE_DIR WORK_DIR [CASE...]
"""
import sys

from console_xinput_test import SOURCE, Layout, opened, selected_rows
from desktop import fail, read_png, run_cases, xdotool

NODE = "demo-probe"
WHITE = (255, 255, 255)
GRAPHS = ["32779", "32780", "32781", "32782"]  # Utilization, Packets, Bytes, Errors


class Windows:
    """dump-windows: the main window's frame, and the children, top of the z-order first."""

    def __init__(self, path):
        self.children = []
        with open(path) as f:
            for line in f.read().splitlines():
                fields = line.split("\t")
                if fields[0] == "main":
                    self.main = [int(v) for v in fields[1:5]]
                else:
                    self.children.append(([int(v) for v in fields[1:5]], fields[5], fields[6]))

    def titles(self):
        return [title for _, _, title in self.children]

    def active(self):
        return [title for _, state, title in self.children if state.endswith("+active")]

    def active_rect(self):
        return [rect for rect, state, _ in self.children if state.endswith("+active")]

    def hidden_captions(self):
        """Children whose caption's left end lies under a child above them."""
        hidden = []
        for i, ((x, y, _, _), state, title) in enumerate(self.children):
            point = (x + 10, y + 10)
            for (ax, ay, aw, ah), _, _ in self.children[:i]:
                if ax <= point[0] < ax + aw and ay <= point[1] < ay + ah:
                    hidden.append(title)
                    break
        return hidden


def selected(png, layout):
    """The selected rows among those wholly in sight (a restored window shows fewer)."""
    _, height, _ = read_png(png)
    layout.rows = {row: span for row, span in layout.rows.items() if span[1] < height}
    return selected_rows(png, layout)


def finish(console):
    if console.wait_exit(120) != 0:
        fail("quillon exited with %d: %s" % (console.process.returncode, console.log()))


def keys_around_graph(c):
    p = c.path
    opened(c)
    c.hand_over("dump-windows " + p("windows1.txt"), "screenshot-table " + p("table1.png"))
    c.hand_over("dump-windows " + p("windows2.txt"), "dump-layout " + p("layout2.txt"))
    c.add("screenshot-table " + p("table3.png"), "quit")
    c.start()
    c.wait_step()
    layout = Layout(p("layout0.txt"))
    c.main_window()
    c.click(layout.screen(layout.cell(1, SOURCE)))
    c.keys("alt+m", "u")
    c.keys("ctrl+Tab", "Down")
    c.go()
    c.wait_step()
    windows = Windows(p("windows1.txt"))
    x, y, _, _ = windows.main
    if x < 0 or y < 0:
        fail("the main window's frame is at (%d, %d): its caption is off screen" % (x, y))
    if len(windows.children) < 3 or windows.active() != [NODE]:
        fail("after a graph and Ctrl+Tab: windows %r, active %r, expected the node window"
             % (windows.titles(), windows.active()))
    rows = selected(p("table1.png"), layout)
    if rows != [2]:
        fail("back from a graph window, Down: rows %r selected, expected [2]" % rows)
    c.keys("alt+w", "3", "ctrl+F4")
    c.go()
    c.wait_step()
    windows = Windows(p("windows2.txt"))
    if len(windows.children) != 2:
        fail("Window > 3, Ctrl+F4: windows %r, expected the graph closed" % windows.titles())
    layout = Layout(p("layout2.txt"))
    c.click(layout.screen(layout.cell(4, SOURCE)))
    c.keys("Down")
    c.go()
    finish(c)
    rows = selected(p("table3.png"), layout)
    if rows != [5]:
        fail("after closing the graph, a click on row 4 and Down: rows %r selected" % rows)


def check_all_window(console):
    windows = Windows(console.path("windows1.txt"))
    (_, _, width, height), state, _ = windows.children[0]
    if state != "normal+active" or windows.hidden_captions():
        fail("cascaded, then All: %r" % windows.children)
    width, height, pixel = read_png(console.path("all.png"))
    middle = [pixel(x, height // 2) for x in range(width)]
    if middle.count(WHITE) == len(middle):
        fail("the All window at normal size shows a blank page")
    strip = [x for x in range(width) for y in range(height - 20, height)
             if sum(pixel(x, y)) < 200]
    if not strip or max(strip) < 150:
        fail("the All window's tab strip along the bottom ends at x = %r" % max(strip or [0]))


def cascade_and_all(c):
    p = c.path
    c.add("open " + NODE, "wait-walks 1 90", "select 0")
    c.hand_over()
    c.hand_over("dump-windows " + p("windows1.txt"), "screenshot-active " + p("all.png"))
    c.hand_over("dump-windows " + p("windows2.txt"))
    c.add("dump-windows " + p("windows3.txt"), "quit")
    c.start()
    c.wait_step()
    c.main_window()
    c.keys("alt+w", "c", "alt+m", "u", "alt+m", "a")
    c.go()
    c.wait_step()
    check_all_window(c)
    c.keys("ctrl+F6")
    c.go()
    c.wait_step()
    before, after = Windows(p("windows1.txt")), Windows(p("windows2.txt"))
    if after.active_rect() == before.active_rect():
        fail("Ctrl+F6 left %r active" % after.active())
    c.keys("alt+w", "2")
    c.go()
    finish(c)
    windows = Windows(p("windows3.txt"))
    if windows.active() != [NODE]:
        fail("Window > 2: active %r, expected the node window" % windows.active())


def popup_lines(path):
    with open(path) as f:
        return [line.split("\t") for line in f.read().splitlines() if line.startswith("item")]


def more_windows(c):
    p = c.path
    c.add("open " + NODE, "wait-walks 1 90")
    for row in range(3):
        c.add("select %d" % row, *["command " + graph for graph in GRAPHS])
    c.hand_over("dump-windows " + p("windows0.txt"))
    c.hand_over("dump-popup " + p("popup1.txt"))
    c.add("dump-windows " + p("windows2.txt"), "quit")
    c.start()
    c.wait_step()
    windows = Windows(p("windows0.txt"))
    if len(windows.children) < 11:
        fail("twelve graphs and the node windows: only %r" % windows.titles())
    c.main_window()
    c.keys("alt+w")
    c.go()
    c.wait_step()
    items = popup_lines(p("popup1.txt"))
    numbered = [item for item in items if item[1][:1] == "&" and item[1][1:2].isdigit()]
    checked = [item[1] for item in items if item[-1] == "checked"]
    if len(numbered) != 9 or items[-1][1] != "&More Windows..." \
            or checked != ["&9 " + windows.active()[0]]:
        fail("Window menu with %d windows: %r" % (len(windows.children), items))
    c.keys("m")
    xdotool("search", "--sync", "--onlyvisible", "--name", "Select Window")
    c.keys("Home", "Return")
    c.go()
    finish(c)
    after = Windows(p("windows2.txt"))
    if after.active() == windows.active() or len(after.active()) != 1:
        fail("More Windows..., the first one chosen: active %r" % after.active())


CASES = [keys_around_graph, cascade_and_all, more_windows]

if __name__ == "__main__":
    run_cases(CASES, sys.argv[1:])
