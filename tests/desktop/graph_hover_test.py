#!/usr/bin/env python3
"""A graph's legends under a real pointer, on a window manager's desktop with a probe of its
own: resting on an elided legend shows its whole text in a tooltip, which stays while the
pointer moves on along the legend (each move is a motion event of its own under X).

usage: graph_hover_test.py QUILLON SOURCE_DIR WORK_DIR
"""
import sys

from desktop import fail, run_cases

# Utilization, Packets, Bytes and Errors of five rows: tiled with the node window and the
# Nodes window, each graph's legends are elided.
GRAPHS = (32779, 32780, 32781, 32782)


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
    c.add("open demo-probe", "wait-walks 1 90", "select 0 1 2 3 4")
    c.add(*["command %d" % graph for graph in GRAPHS])
    c.hand_over("dump-windows " + c.path("windows0.txt"))
    c.hand_over("dump-legends " + c.path("legends1.txt"))
    c.hand_over("dump-tooltip " + c.path("tooltip2.txt"))
    c.add("quit")
    c.start()
    c.wait_step()
    c.main_window()
    c.keys("alt+w", "t")  # Window > Tile: six windows side by side
    c.go()
    c.wait_step()
    centre, whole = elided_legend(c.path("legends1.txt"))
    c.main_window()
    c.move(centre)
    c.move((centre[0] + 2, centre[1] + 1))
    c.go()
    c.wait_step()
    with open(c.path("tooltip2.txt")) as f:
        shown = f.read().rstrip("\n")
    if shown != "tooltip\t" + whole:
        fail("pointer on the legend %r: %r" % (whole, shown))
    c.go()
    if c.wait_exit(60) != 0:
        fail("the console's run: %s" % c.log())


CASES = [hover]

if __name__ == "__main__":
    run_cases(CASES, sys.argv[1:])
