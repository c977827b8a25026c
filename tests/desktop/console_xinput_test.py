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

Runs under desktop_session.sh (a window manager on its own Xvfb).

usage: console_xinput_test.py QUILLON SOURCE_DIR WORK_DIR
"""
import sys

from desktop import fail, read_png, run, xdotool

BYTES = 5
SOURCE = 1
HIGHLIGHT = (0, 0, 128)
WHEEL_NOTCHES = 3
DRAG = 40


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


def write_script(console):
    p = console.path
    console.add("open demo-probe", "wait-walks 1 90")
    console.hand_over("dump-layout " + p("layout0.txt"), "dump-table " + p("table0.tsv"))
    console.hand_over("dump-table " + p("table1.tsv"))
    console.hand_over("dump-table " + p("table2.tsv"), "dump-layout " + p("layout2.txt"))
    console.hand_over("dump-menus " + p("menus3.txt"), "screenshot-table " + p("table3.png"))
    console.hand_over("dump-menus " + p("menus4.txt"), "screenshot-table " + p("table4.png"),
                      "dump-layout " + p("layout4.txt"))
    console.add("dump-layout " + p("layout5.txt"), "screenshot-table " + p("table5.png"),
                "screenshot " + p("console.png"), "quit")


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
    c.click(layout.screen(layout.header(BYTES)), repeat=2)
    c.go()

    c.wait_step()
    values = bytes_column(c.path("table1.tsv"))
    if values != sorted(values, reverse=True) or values == sorted(values):
        fail("one double click on Bytes: %r..., expected largest first" % values[:5])
    c.click(layout.screen(layout.header(BYTES)), repeat=2)
    c.go()

    c.wait_step()
    values = bytes_column(c.path("table2.tsv"))
    if values != sorted(values):
        fail("two double clicks on Bytes: %r..., expected smallest first" % values[:5])
    layout = Layout(c.path("layout2.txt"))
    c.click(layout.screen(layout.cell(1, SOURCE)))
    c.click(layout.screen(layout.cell(1, SOURCE)), button=3)
    c.go()

    c.wait_step()
    if menus(c.path("menus3.txt")):
        fail("a right click on the focused, selected cell showed a menu")
    if selected_rows(c.path("table3.png"), layout) != [1]:
        fail("after a click on row 1: rows %r selected" % selected_rows(c.path("table3.png"),
                                                                         layout))
    c.click(layout.screen(layout.cell(3, SOURCE)), button=3)
    c.keys("Down")
    c.go()

    c.wait_step()
    offered = menus(c.path("menus4.txt"))
    if len(offered) != 1 or "32779" not in offered[0]:
        fail("a right click on row 3: menus %r, expected the context menu" % offered)
    if selected_rows(c.path("table4.png"), layout) != [4]:
        fail("right click on row 3, then Down: rows %r selected, expected [4]"
             % selected_rows(c.path("table4.png"), layout))
    layout = Layout(c.path("layout4.txt"))
    c.click(layout.screen(layout.cell(2, SOURCE)), button=5, repeat=WHEEL_NOTCHES)
    border = layout.columns[BYTES][1]
    c.move(layout.screen((border, 5)))
    xdotool("mousedown", 1)
    c.move(layout.screen((border + DRAG // 2, 5)))
    c.move(layout.screen((border + DRAG, 5)))
    xdotool("mouseup", 1)
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


def test(console):
    console.env["TESSARAN_SCRIPTED"] = "1"  # context menus recorded for dump-menus
    write_script(console)
    console.start()
    before = drive(console)
    if console.wait_exit(120) != 0:
        fail("quillon exited with %d: %s" % (console.process.returncode, console.log()))
    check_end(console, before)


def main():
    run(test, *sys.argv[1:4])
    print("ok: sort both ways, click and right clicks, Down, wheel and border drag by X input")


if __name__ == "__main__":
    main()
