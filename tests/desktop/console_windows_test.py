#!/usr/bin/env python3
"""The console's windows under a window manager, driven by real X input (xdotool) and read
back through dump-windows, dump-menus and screenshots:

  1. the main window's caption is on screen;
  2. the table keeps the keyboard around graph windows: after a graph opened (Matrix >
     Utilization) and Ctrl+Tab went back to the node window, Down moves the selection and
     Shift+F10 opens the context menu; after the graph closed (Window > 3, Ctrl+F4), a
     click on a row and Down move it, and the menu key opens the context menu;
  3. Window > Cascade leaves every child's caption in sight; a graph and the All window
     opened then (Matrix > Utilization, Matrix > All) go on top, captions clear of the others;
  4. the All window opened at normal size is laid out and painted at once: its page shows
     the graph and its tab strip runs along the bottom, wider than a single tab;
  5. Ctrl+F6 activates another child and Window > 2 the node window.

Runs under desktop_session.sh (a window manager on its own Xvfb).

usage: console_windows_test.py QUILLON SOURCE_DIR WORK_DIR
"""
import sys

from console_xinput_test import SOURCE, Layout, selected_rows
from desktop import fail, read_png, run

NODE = "demo-probe"
WHITE = (255, 255, 255)


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


def menus(path):
    with open(path) as f:
        return len(f.read().splitlines())


def write_script(console):
    p = console.path
    console.add("open " + NODE, "wait-walks 1 90")
    console.hand_over("dump-windows " + p("windows0.txt"), "dump-layout " + p("layout0.txt"))
    console.hand_over("screenshot-table " + p("table1.png"), "dump-menus " + p("menus1.txt"),
                      "dump-windows " + p("windows1.txt"))
    console.hand_over("dump-windows " + p("windows2.txt"), "dump-layout " + p("layout2.txt"))
    console.hand_over("screenshot-table " + p("table2.png"), "dump-menus " + p("menus2.txt"))
    console.hand_over("dump-windows " + p("windows3.txt"), "screenshot-active " + p("all.png"))
    console.hand_over("dump-windows " + p("windows4.txt"))
    console.add("dump-windows " + p("windows5.txt"), "quit")


def check_caption_on_screen(console):
    windows = Windows(console.path("windows0.txt"))
    x, y, _, _ = windows.main
    if x < 0 or y < 0:
        fail("the main window's frame is at (%d, %d): its caption is off screen" % (x, y))


def around_a_graph(console, layout):
    """Steps 0-1: select, open a graph by the menu, come back with Ctrl+Tab, Down, Shift+F10."""
    c = console
    c.main_window()
    c.click(layout.screen(layout.cell(1, SOURCE)))
    c.keys("alt+m", "u")
    c.keys("ctrl+Tab", "Down", "shift+F10")
    c.go()
    c.wait_step()
    windows = Windows(c.path("windows1.txt"))
    if len(windows.children) < 3 or windows.active() != [NODE]:
        fail("after a graph and Ctrl+Tab: windows %r, active %r, expected the node window"
             % (windows.titles(), windows.active()))
    rows = selected(c.path("table1.png"), layout)
    if rows != [2]:
        fail("back from a graph window, Down: rows %r selected, expected [2]" % rows)
    if menus(c.path("menus1.txt")) != 1:
        fail("Shift+F10 in the table opened no context menu")


def after_the_graph(console):
    """Steps 1-3: Window > 3 (the graph), Ctrl+F4 closes it; click a row, Down, the menu key."""
    c = console
    c.keys("alt+w", "3", "ctrl+F4")
    c.go()
    c.wait_step()
    windows = Windows(c.path("windows2.txt"))
    if len(windows.children) != 2:
        fail("Window > 3, Ctrl+F4: windows %r, expected the graph closed" % windows.titles())
    layout = Layout(c.path("layout2.txt"))
    c.click(layout.screen(layout.cell(4, SOURCE)))
    c.keys("Down", "Menu")
    c.go()
    c.wait_step()
    rows = selected(c.path("table2.png"), layout)
    if rows != [5]:
        fail("after closing the graph, a click on row 4 and Down: rows %r selected" % rows)
    if menus(c.path("menus2.txt")) != 2:
        fail("the menu key in the table opened no context menu")


def check_all_window(console):
    windows = Windows(console.path("windows3.txt"))
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


def test(console):
    console.env["TESSARAN_SCRIPTED"] = "1"  # context menus recorded for dump-menus
    write_script(console)
    console.start()
    c = console
    c.wait_step()
    check_caption_on_screen(c)
    layout = Layout(c.path("layout0.txt"))
    around_a_graph(c, layout)
    after_the_graph(c)
    c.keys("alt+w", "c", "alt+m", "u", "alt+m", "a")
    c.go()
    c.wait_step()
    check_all_window(c)
    c.keys("ctrl+F6")
    c.go()
    c.wait_step()
    before, after = Windows(c.path("windows3.txt")), Windows(c.path("windows4.txt"))
    if after.active_rect() == before.active_rect():
        fail("Ctrl+F6 left %r active" % after.active())
    c.keys("alt+w", "2")
    c.go()
    if c.wait_exit(120) != 0:
        fail("quillon exited with %d: %s" % (c.process.returncode, c.log()))
    windows = Windows(c.path("windows5.txt"))
    if windows.active() != [NODE]:
        fail("Window > 2: active %r, expected the node window" % windows.active())


def main():
    run(test, *sys.argv[1:4])
    print("ok: caption on screen, the table's keys around graphs, cascade, All, Window menu")


if __name__ == "__main__":
    main()
