#!/usr/bin/env python3
"""Script mode as a script writer meets it, on the demo probe (static counters):

- `sort COLUMN` run again toggles, as a second double click on the header does (under
  zh_CN, where it also finds a column by its English title and by its index);
- a `screenshot` straight after `select` already shows the new selection (observing
  commands first let pending redraws run);
- numbers in scripts keep their point when the C library's locale writes a decimal comma
  (LC_ALL=de_DE.UTF-8, compiled with localedef into the work folder).

usage: console_script_test.py QUILLON WORK_DIR
"""
import os
import subprocess
import sys

PACKETS = 6
INDEX = 0
# A refresh walk that ends between two pictures may change what the node window shows
# around the table; a stale picture differs every time.
PICTURE_ATTEMPTS = 3


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def run_script(quillon, work, name, lines, env):
    script = os.path.join(work, name + ".script")
    with open(script, "w") as f:
        f.write("\n".join(lines + ["quit"]) + "\n")
    run = subprocess.run([quillon, "--script", script], capture_output=True, text=True,
                         timeout=150, env=env)
    if run.returncode != 0:
        fail("%s: quillon exited with %d: %s%s" % (name, run.returncode, run.stdout, run.stderr))


def read_table(path):
    with open(path, encoding="utf-8") as f:
        lines = [line.rstrip("\n").split("\t") for line in f]
    return lines[0], lines[1:]


def check_order(path, column, descending, what):
    titles, rows = read_table(path)
    values = [float(row[column]) for row in rows]
    if len(values) < 2 or values[0] == values[-1]:
        fail("%s: too few distinct values to see an order: %r" % (what, values[:5]))
    wanted = sorted(values, reverse=descending)
    if values != wanted:
        fail("%s: %s order expected, got %r" % (
            what, "descending" if descending else "ascending", values[:10]))
    return titles


def same_file(first, second):
    with open(first, "rb") as a, open(second, "rb") as b:
        return a.read() == b.read()


def comma_locale(work):
    """The environment of a de_DE.UTF-8 process, or None when localedef cannot build it."""
    folder = os.path.join(work, "locale")
    os.makedirs(folder, exist_ok=True)
    built = subprocess.run(["localedef", "-i", "de_DE", "-f", "UTF-8",
                            os.path.join(folder, "de_DE.UTF-8")], capture_output=True)
    if built.returncode != 0:
        return None
    return {"LOCPATH": folder, "LC_ALL": "de_DE.UTF-8"}


def check_english(quillon, work):
    env = dict(os.environ)
    env.pop("LANGUAGE", None)
    comma = comma_locale(work)
    if comma is None:
        print("note: localedef cannot build de_DE; numbers are read in the C locale only")
    else:
        env.update(comma)
    path = lambda name: os.path.join(work, name)
    lines = ["open demo-probe", "wait-walks 2 60.5", "wait 0.25"]
    for attempt in range(PICTURE_ATTEMPTS):
        rows = "%d %d" % (attempt + 1, attempt + 3)
        lines += ["select " + rows, "screenshot " + path("selected-%d-now.png" % attempt),
                  "wait 0.5", "screenshot " + path("selected-%d-later.png" % attempt)]
    run_script(quillon, work, "english", lines, env)
    if not any(same_file(path("selected-%d-now.png" % attempt),
                         path("selected-%d-later.png" % attempt))
               for attempt in range(PICTURE_ATTEMPTS)):
        fail("the screenshot straight after select differs from the one 0.5 s later: it "
             "showed the table before its pending redraw")


def check_chinese(quillon, work):
    env = dict(os.environ, LANGUAGE="zh_CN")
    path = lambda name: os.path.join(work, "zh-" + name)
    run_script(quillon, work, "chinese",
               ["open demo-probe", "wait-walks 1 60",
                "sort Packets", "dump-table " + path("packets.tsv"),
                "sort 6", "dump-table " + path("index6.tsv"),
                "sort Index", "dump-table " + path("index.tsv")], env)
    titles = check_order(path("packets.tsv"), PACKETS, True, "sort Packets under zh_CN")
    if titles[PACKETS] != "数据包" or titles[INDEX] != "索引":
        fail("titles under zh_CN: %r" % titles)
    check_order(path("index6.tsv"), PACKETS, False, "sort 6 under zh_CN")
    check_order(path("index.tsv"), INDEX, True, "sort Index under zh_CN")


def main():
    quillon, work = sys.argv[1:3]
    os.makedirs(work, exist_ok=True)
    check_english(quillon, work)
    check_chinese(quillon, work)
    print("ok: sort toggles, pictures follow pending redraws, columns found in every language")


if __name__ == "__main__":
    main()
