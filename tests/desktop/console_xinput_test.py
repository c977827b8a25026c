#!/usr/bin/env python3
"""The table under a real X server with real X input from xdotool: the input path from the
X server through Qt and the platform to the table is the one a person's mouse and keyboard
take. Read back through dump-table, dump-layout, dump-popup and screenshots of the table.
Cases:

  sort_by_header        a double click on the Bytes header sorts largest first, a second
                        one smallest first;
  clicks_and_menu       a click selects a row; a right click on that focused, selected cell
                        asks the table's parent to edit it and shows no menu; a right click
                        on another row selects it and shows the context menu (its graph
                        items); Escape closes it and Down moves the selection one row;
  wheel_and_border      three wheel notches scroll three rows; a drag of the Bytes header's
                        right border widens the column by the distance dragged;
  shift_f10_and_arrows  click, Down, Shift+F10 (the context menu shows), Escape, Down twice:
                        one row selected, three below the clicked one; then a plain click
                        selects one row.

usage: console_xinput_test.py QUILLON SOURCE_DIR WORK_DIR [CASE...]
"""
import sys

from desktop import fail, popup, read_png, run_cases, xdotool

BYTES = 5
SOURCE = 1
HIGHLIGHT = (0, 0, 128)
WHEEL_NOTCHES = 3
DRAG = 40
CONTEXT_MENU = ["&Utilization", "&Errors", "&Bytes", "&Packets", "&All"]


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


def opened(console):
    """Starts the console on the probe's node, the first walk done, the table's layout
    read; the first step is the test's."""
    c = console
    c.add("open demo-probe", "wait-walks 1 90")
    c.hand_over("dump-layout " + c.path("layout0.txt"))


def finish(console):
    if console.wait_exit(120) != 0:
        fail("quillon exited with %d: %s" % (console.process.returncode, console.log()))


def sort_by_header(c):
    opened(c)
    c.hand_over("dump-table " + c.path("table1.tsv"))
    c.add("dump-table " + c.path("table2.tsv"), "quit")
    c.start()
    c.wait_step()
    layout = Layout(c.path("layout0.txt"))
    c.main_window()
    c.click(layout.screen(layout.header(BYTES)), repeat=2)
    c.go()
    c.wait_step()
    values = bytes_column(c.path("table1.tsv"))
    if values != sorted(values, reverse=True) or values == sorted(values):
        fail("one double click on Bytes: %r..., expected largest first" % values[:5])
    c.click(layout.screen(layout.header(BYTES)), repeat=2)
    c.go()
    finish(c)
    values = bytes_column(c.path("table2.tsv"))
    if values != sorted(values):
        fail("two double clicks on Bytes: %r..., expected smallest first" % values[:5])


def clicks_and_menu(c):
    opened(c)
    c.hand_over("dump-popup " + c.path("popup1.txt"), "screenshot-table " + c.path("t1.png"))
    c.hand_over("dump-popup " + c.path("popup2.txt"), "screenshot-table " + c.path("t2.png"))
    c.add("dump-popup " + c.path("popup3.txt"), "screenshot-table " + c.path("t3.png"), "quit")
    c.start()
    c.wait_step()
    layout = Layout(c.path("layout0.txt"))
    c.main_window()
    c.click(layout.screen(layout.cell(1, SOURCE)))
    c.click(layout.screen(layout.cell(1, SOURCE)), button=3)
    c.go()
    c.wait_step()
    if popup(c.path("popup1.txt")):
        fail("a right click on the focused, selected cell showed a menu")
    if selected_rows(c.path("t1.png"), layout) != [1]:
        fail("after a click on row 1: rows %r selected" % selected_rows(c.path("t1.png"), layout))
    c.click(layout.screen(layout.cell(3, SOURCE)), button=3)
    c.go()
    c.wait_step()
    if popup(c.path("popup2.txt")) != CONTEXT_MENU:
        fail("a right click on row 3: menu %r, expected %r" % (popup(c.path("popup2.txt")),
                                                            CONTEXT_MENU))
    if selected_rows(c.path("t2.png"), layout) != [3]:
        fail("a right click on row 3: rows %r selected" % selected_rows(c.path("t2.png"), layout))
    c.keys("Escape", "Down")
    c.go()
    finish(c)
    if popup(c.path("popup3.txt")) or selected_rows(c.path("t3.png"), layout) != [4]:
        fail("Escape, Down after the menu: menu %r, rows %r selected, expected [4]"
             % (popup(c.path("popup3.txt")), selected_rows(c.path("t3.png"), layout)))


def wheel_and_border(c):
    opened(c)
    c.add("dump-layout " + c.path("layout1.txt"), "quit")
    c.start()
    c.wait_step()
    before = Layout(c.path("layout0.txt"))
    c.main_window()
    c.click(before.screen(before.cell(2, SOURCE)))  # the wheel goes to the focus window
    c.click(before.screen(before.cell(2, SOURCE)), button=5, repeat=WHEEL_NOTCHES)
    border = before.columns[BYTES][1]
    c.move(before.screen((border, 5)))
    xdotool("mousedown", 1)
    c.move(before.screen((border + DRAG // 2, 5)))
    c.move(before.screen((border + DRAG, 5)))
    xdotool("mouseup", 1)
    c.go()
    finish(c)
    after = Layout(c.path("layout1.txt"))
    if min(after.rows) != min(before.rows) + WHEEL_NOTCHES:
        fail("%d wheel notches: top row %d, expected %d"
             % (WHEEL_NOTCHES, min(after.rows), min(before.rows) + WHEEL_NOTCHES))
    width_before = before.columns[BYTES][1] - before.columns[BYTES][0]
    width_after = after.columns[BYTES][1] - after.columns[BYTES][0]
    if width_after != width_before + DRAG:
        fail("border drag of %d px: Bytes %d px wide, expected %d"
             % (DRAG, width_after, width_before + DRAG))


def shift_f10_and_arrows(c):
    """Shift went down before the menu opened and up while it showed."""
    opened(c)
    c.hand_over("dump-popup " + c.path("popup1.txt"))
    c.hand_over("screenshot-table " + c.path("t2.png"))
    c.add("screenshot-table " + c.path("t3.png"), "quit")
    c.start()
    c.wait_step()
    layout = Layout(c.path("layout0.txt"))
    c.main_window()
    c.click(layout.screen(layout.cell(1, SOURCE)))
    c.keys("Down", "shift+F10")
    c.go()
    c.wait_step()
    if popup(c.path("popup1.txt")) != CONTEXT_MENU:
        fail("Shift+F10: menu %r, expected the context menu" % popup(c.path("popup1.txt")))
    c.keys("Escape", "Down", "Down")
    c.go()
    c.wait_step()
    rows = selected_rows(c.path("t2.png"), layout)
    if rows != [4]:
        fail("click row 1, Down, Shift+F10, Escape, Down, Down: rows %r selected, expected [4]"
             % rows)
    c.click(layout.screen(layout.cell(6, SOURCE)))
    c.go()
    finish(c)
    rows = selected_rows(c.path("t3.png"), layout)
    if rows != [6]:
        fail("a plain click on row 6 after that: rows %r selected, expected [6]" % rows)


CASES = [sort_by_header, clicks_and_menu, wheel_and_border, shift_f10_and_arrows]

if __name__ == "__main__":
    run_cases(CASES, sys.argv[1:])
