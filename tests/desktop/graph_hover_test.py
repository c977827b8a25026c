#!/usr/bin/env python3
"""A graph's legends under a real pointer, on a window manager's desktop with a probe of its
own: resting on an elided legend shows its whole text in a tooltip, which stays while the
pointer moves on along the legend (each move is a motion event of its own under X).

usage: graph_hover_test.py QUILLON SOURCE_DIR WORK_DIR
"""
import sys

from desktop import fail, run

PACKETS = "32780"  # two series per selected row: the legends go in a column, elided


def elided_legend(path):
    """The centre (screen) and whole text of the first legend shown elided."""
    with open(path) as f:
        for line in f.read().splitlines():
            fields = line.split("\t")
            x, y, width, height = (int(v) for v in fields[3:7])
            if fields[7] != fields[8] and width > 0:
                return (x + width // 2, y + height // 2), fields[8]
    fail("no legend shows elided: %s" % open(path).read())


def hover(c):
    c.add("open demo-probe", "wait-walks 1 90", "select 0 1 2 3 4", "command " + PACKETS)
    c.hand_over("dump-legends " + c.path("legends0.txt"))
    c.hand_over("dump-tooltip " + c.path("tooltip1.txt"))
    c.add("quit")
    c.start()
    c.wait_step()
    centre, whole = elided_legend(c.path("legends0.txt"))
    c.main_window()
    c.move(centre)
    c.move((centre[0] + 2, centre[1] + 1))
    c.go()
    c.wait_step()
    with open(c.path("tooltip1.txt")) as f:
        shown = f.read().rstrip("\n")
    if shown != "tooltip\t" + whole:
        fail("pointer on the legend %r: %r" % (whole, shown))
    c.go()
    if c.wait_exit(60) != 0:
        fail("the console's run: %s" % c.log())


def main():
    run(hover, *sys.argv[1:4])
    print("ok: an elided legend's whole text in a tooltip under the pointer")


if __name__ == "__main__":
    main()
