#!/usr/bin/env python3
"""The console's menus as a person uses them, on a window manager's desktop: real menus
and dialogs showing, items chosen by mouse and keys, menus checked by their items' texts.
Cases:

  matrix_menu        Conversations and All greyed while no row is selected, enabled once
                     one is; Conversations chosen with the mouse opens the conversation
                     window, All by keys opens the four graphs;
  export             File > Export table as CSV: a name typed without an extension is
                     written as NAME.csv, the table's titles and rows in CRLF lines;
  exit_and_open      File > Exit ends the process with status 0, as Alt+F4 does; a node
                     opened from the Nodes menu and one opened with --open give the same
                     window, its name in the main window's title;
  first_keys         at first launch the Nodes window takes Enter without a click;
  f10                F10 gives the keyboard to the menu bar: Down opens File;
  chinese            under LANGUAGE=zh_CN the menu bar and the status line are Chinese.

usage: console_menus_test.py QUILLON SOURCE_DIR WORK_DIR [CASE...]
"""
import csv
import os
import re
import sys
import time

from desktop import TITLE, fail, popup, run_cases, windows, xdotool

NODE_TITLE = TITLE + " - [demo-probe]"
FILE_MENU = ["&Export table as CSV...", "E&xit"]


class MenuBar:
    """dump-menu-bar: the bar's titles with their screen rectangles, the items' states by
    their texts."""

    def __init__(self, path):
        self.titles, self.items, self.texts = {}, {}, []
        with open(path) as f:
            for line in f.read().splitlines():
                fields = line.split("\t")
                if fields[0] == "menu":
                    self.titles[fields[6]] = [int(v) for v in fields[2:6]]
                    self.texts.append(fields[6])
                else:
                    self.items[fields[3]] = fields[2]
                    self.texts.append(fields[3])

    def centre(self, title):
        left, top, right, bottom = self.titles[title]
        if right <= left:
            fail("the menu bar's %s does not show" % title)
        return (left + right) // 2, (top + bottom) // 2

    def expect(self, state, *texts):
        for text in texts:
            if self.items.get(text) != state:
                fail("menu item %s is %s, expected %s" % (text, self.items.get(text), state))


def graph_titles(path):
    with open(path) as f:
        return [line.split("\t")[1] for line in f if line.startswith("graph\t")]


def wait_title(wanted, seconds=30):
    deadline = time.time() + seconds
    name = ""
    while time.time() < deadline:
        found = windows(TITLE)
        name = xdotool("getwindowname", found[0]) if found else ""
        if name == wanted:
            return
        time.sleep(0.2)
    fail("the main window's title is %r, expected %r" % (name, wanted))


def check_export(path, table):
    """The file holds the title line and every row, each line ended with CRLF, and the
    name with a comma and quotes (data/ethers) comes back whole from a CSV reader."""
    if not os.path.exists(path):
        fail("a name typed without an extension: %r written, expected table.csv"
             % sorted(n for n in os.listdir(os.path.dirname(path)) if n.startswith("table")))
    with open(path, "rb") as f:
        lines = f.read().split(b"\r\n")
    with open(table) as f:
        rows = len(f.read().splitlines()) - 1
    if lines[-1] or any(b"\n" in line for line in lines) or len(lines) != rows + 2 \
            or not lines[0].startswith(b"Index,Source,Destination,"):
        fail("table.csv: %d CRLF lines from %r, expected the titles and %d rows"
             % (len(lines) - 1, lines[0], rows))
    with open(path, newline="") as f:
        records = list(csv.reader(f))
    with open(table) as f:
        quoted = {cell for line in f for cell in line.rstrip("\n").split("\t")
                  if "," in cell and '"' in cell}
    if not quoted or any(len(record) != len(records[0]) for record in records) \
            or not any(quoted & set(record) for record in records[1:]):
        fail("table.csv: the names %r do not read back as single fields" % sorted(quoted))


def finish(console):
    if console.wait_exit(120) != 0:
        fail("quillon exited with %d: %s" % (console.process.returncode, console.log()))


def matrix_menu(c):
    p = c.path
    c.add("open demo-probe", "wait-walks 1 90")
    c.hand_over("dump-menu-bar " + p("bar0.txt"))
    c.hand_over("select 0", "dump-menu-bar " + p("bar1.txt"))
    c.hand_over("dump-popup " + p("popup2.txt"))
    c.hand_over("dump-conversation " + p("conversation3.txt"))
    c.add("dump-graphs " + p("graphs4.txt"), "quit")
    c.start()
    c.wait_step()
    MenuBar(p("bar0.txt")).expect("grayed", "&Conversations", "&All")
    c.go()
    c.wait_step()
    bar = MenuBar(p("bar1.txt"))
    bar.expect("enabled", "&Conversations", "&All")
    c.main_window()
    c.click(bar.centre("&Matrix"))
    c.go()
    c.wait_step()
    shown = popup(p("popup2.txt"))
    if "&Conversations" not in shown or "&All" not in shown:
        fail("the Matrix menu shows %r" % shown)
    c.keys("c")
    c.go()
    c.wait_step()  # dump-conversation fails the run without a conversation window
    c.main_window()
    c.keys("alt+m", "a")
    c.go()
    finish(c)
    if len(graph_titles(p("graphs4.txt"))) != 4:
        fail("Matrix > All: graphs %r, expected four" % graph_titles(p("graphs4.txt")))


def export(c):
    c.add("open demo-probe", "wait-walks 1 90")
    c.hand_over("dump-table " + c.path("table0.tsv"))
    c.add("dump-status " + c.path("status1.txt"), "quit")
    c.start()
    c.wait_step()
    c.main_window()
    c.keys("alt+f", "e")
    xdotool("search", "--sync", "--onlyvisible", "--name", "Export table as CSV")
    xdotool("type", "--delay", 20, c.path("table"))
    c.keys("Return")
    c.go()
    finish(c)
    check_export(c.path("table.csv"), c.path("table0.tsv"))


def exit_and_open(c):
    c.start_plain()
    c.main_window()
    c.keys("alt+n", "Return")
    wait_title(NODE_TITLE)
    c.keys("alt+F4")
    if c.wait_exit(30) != 0:
        fail("Alt+F4: exit status %d" % c.process.returncode)
    c.start_plain("--open", "demo-probe")
    wait_title(NODE_TITLE)
    c.main_window()
    c.keys("alt+f", "x")
    if c.wait_exit(30) != 0:
        fail("File > Exit after --open: exit status %d" % c.process.returncode)


def first_keys(c):
    c.start_plain()
    c.main_window()
    c.keys("Down", "Return")
    wait_title(NODE_TITLE)


def f10(c):
    c.add("open demo-probe", "wait-walks 1 90")
    c.hand_over()
    c.hand_over("dump-popup " + c.path("popup1.txt"))
    c.add("dump-popup " + c.path("popup2.txt"), "quit")
    c.start()
    c.wait_step()
    c.main_window()
    c.keys("F10", "Down")
    c.go()
    c.wait_step()
    if popup(c.path("popup1.txt")) != FILE_MENU:
        fail("F10, Down: menu %r, expected File's %r" % (popup(c.path("popup1.txt")), FILE_MENU))
    c.keys("Escape", "Escape")
    c.go()
    finish(c)
    if popup(c.path("popup2.txt")):
        fail("Escape left the menu %r open" % popup(c.path("popup2.txt")))


def chinese(c):
    c.env["LANGUAGE"] = "zh_CN"
    c.add("open demo-probe", "wait-status answering 90", "dump-menu-bar " + c.path("bar-zh.txt"),
          "dump-status " + c.path("status-zh.txt"), "quit")
    c.start()
    finish(c)
    texts = MenuBar(c.path("bar-zh.txt")).texts
    # Node names and the Window menu's list of open windows ("&2 demo-probe") are data.
    english = [t for t in texts
               if t.isascii() and not t.startswith("demo") and not re.match(r"&\d ", t)]
    if english:
        fail("under zh_CN the menu bar shows %r" % english)
    with open(c.path("status-zh.txt")) as f:
        status = f.readline().strip()
    if status.isascii():
        fail("under zh_CN the status line shows %r" % status)


CASES = [matrix_menu, export, exit_and_open, first_keys, f10, chinese]

if __name__ == "__main__":
    run_cases(CASES, sys.argv[1:])
