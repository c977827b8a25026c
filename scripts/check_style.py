#!/usr/bin/env python3
"""The house style, checked over the source tree:

  format     clang-format (the .clang-format at the root) changes nothing;

  braces     every if, else, for, while and do body is a braced block
             (`else if` chains excepted);
  constants  a named constant (a const or constexpr variable at namespace scope, or a
             static constexpr member) is called kCamelCase. Headers of the product may
             also use UPPER_CASE, for the names that the Win32 API and the plug-in's
             interface give (COLUMN_NUMERIC, ID_HOST_ALL);
  numbers    no atoi, strtol, strtoul, stoi, sscanf or their kin: the host, the plug-in,
             tests, benchmarks and fuzz targets read numbers with common/number_text.h,
             whose strict reader says why a text is refused (the probe has its own).

usage: check_style.py [--fix-braces] SOURCE_DIR [FILE...]
       (exit 1 and one line per fault when any; --fix-braces first puts braces around
       every unbraced body, to be followed by clang-format)
"""
import os
import re
import shutil
import subprocess
import sys

from cpp_source import OPEN, skip_group, source_files, tokens

FOLDERS = ["platform", "hostapi", "table", "walker", "view", "conversation", "graphwnd",
           "res", "plugin", "host", "tests", "bench", "fuzz"]
# The C library's lenient number readers: "12abc" is 12, "-1" is ULONG_MAX, and errors go
# unseen unless errno and the end pointer are checked (std::stoi throws instead).
LENIENT = {"atoi", "atol", "atoll", "strtol", "strtoll", "strtoul", "strtoull", "strtoimax",
           "strtoumax", "stoi", "stol", "stoll", "stoul", "stoull", "sscanf"}
CONSTANT = re.compile(r"""^(?:(?:static|inline)\s+)*(?P<kind>constexpr|const)\b(?P<type>[\w:<>,*&\s]*?)
                          (?<!::)\b(?P<name>[A-Za-z_]\w*)\s*(?:\[[^\]]*\]\s*)*(?:=|\{)""", re.X)
MEMBER = re.compile(r"""^\s+static\s+(?:inline\s+)?constexpr\b[\w:<>,*&\s]*?
                        \b(?P<name>[A-Za-z_]\w*)\s*(?:\[[^\]]*\]\s*)*(?:=|\{)""", re.X)
CAMEL = re.compile(r"^k[A-Z][A-Za-z0-9]*$")
UPPER = re.compile(r"^[A-Z][A-Z0-9_]*$")


def header_end(toks, i):
    """For a control statement at i: the index of its body's first token, or None."""
    word = toks[i][0]
    if word in ("else", "do"):
        return i + 1
    j = i + 1
    if j < len(toks) and toks[j][0] == "constexpr":
        j += 1
    if j >= len(toks) or toks[j][0] != "(":
        return None
    return skip_group(toks, j)


def statement_end(toks, i):
    """The index of the last token of the statement that starts at i."""
    word = toks[i][0]
    if word == "{":
        return skip_group(toks, i) - 1
    if word in ("if", "for", "while", "switch", "do", "else"):
        body = header_end(toks, i)
        if body is None:
            return simple_end(toks, i)
        end = statement_end(toks, body)
        if word == "do":
            return simple_end(toks, end + 1)
        if word == "if" and end + 1 < len(toks) and toks[end + 1][0] == "else":
            return statement_end(toks, end + 1)
        return end
    return simple_end(toks, i)


def simple_end(toks, i):
    while i < len(toks) and toks[i][0] != ";":
        i = skip_group(toks, i) if toks[i][0] in OPEN else i + 1
    return i


def unbraced(toks):
    """(control index, body index) of every control statement whose body has no braces."""
    for i, (word, _, _, _) in enumerate(toks):
        if word not in ("if", "for", "while", "switch", "else", "do"):
            continue
        body = header_end(toks, i)
        if body is None or body >= len(toks):
            continue
        after = toks[body][0]
        do_while = word == "while" and i > 0 and toks[i - 1][0] == "}" and after == ";"
        if after == "{" or do_while or (word == "else" and after == "if"):
            continue
        yield i, body


def brace_faults(text):
    toks = list(tokens(text))
    return [(toks[i][1], "%s without braces" % toks[i][0]) for i, _ in unbraced(toks)]


def fix_braces(text):
    """Puts braces around every unbraced body: "{" after the header, "}" on a line of its
    own after the body (after a comment that ends the body's last line)."""
    toks = list(tokens(text))
    inserts = []
    for i, body in unbraced(toks):
        inserts.append((toks[body - 1][3], " {"))
        end = toks[statement_end(toks, body)][3]
        line_end = text.find("\n", end)
        line_end = len(text) if line_end < 0 else line_end
        if text[end:line_end].strip().startswith("//"):
            end = line_end
        inserts.append((end, "\n}"))
    for offset, piece in sorted(inserts, key=lambda insert: insert[0], reverse=True):
        text = text[:offset] + piece + text[offset:]
    return text


def constant_faults(path, text):
    header = path.endswith(".h") and not path.startswith(("tests/", "bench/"))
    faults = []
    for number, line in enumerate(text.split("\n"), 1):
        match = CONSTANT.match(line) or MEMBER.match(line)
        if not match:
            continue
        # A pointer to const data is a variable, not a constant.
        fields = match.groupdict()
        if fields.get("kind") == "const" and re.search(r"\*\s*$", fields.get("type") or ""):
            continue
        name = match.group("name")
        if CAMEL.match(name) or (header and UPPER.match(name)):
            continue
        faults.append((number, "constant %s is not kCamelCase" % name))
    return faults


def number_faults(text):
    toks = list(tokens(text))
    return [(line, "%s: read numbers with common/number_text.h" % word)
            for i, (word, line, _, _) in enumerate(toks)
            if word in LENIENT and i + 1 < len(toks) and toks[i + 1][0] == "("]


def main():
    args = sys.argv[1:]
    fix = bool(args) and args[0] == "--fix-braces"
    args = args[1:] if fix else args
    if not args:
        print(__doc__.strip())
        return 2
    root = args[0]
    paths = args[1:] or list(source_files(root, FOLDERS))
    count = 0
    for path in paths:
        with open(os.path.join(root, path), encoding="utf-8") as f:
            text = f.read()
        if fix:
            text = fix_braces(text)
            with open(os.path.join(root, path), "w", encoding="utf-8") as f:
                f.write(text)
        faults = brace_faults(text) + constant_faults(path, text) + number_faults(text)
        for line, message in sorted(faults):
            print("%s:%d: %s" % (path, line, message))
            count += 1
    if not fix:
        count += format_faults(root, paths)
    return 1 if count else 0


def format_faults(root, paths):
    """Runs clang-format over the files without changing them; the number of files it
    would change."""
    program = shutil.which("clang-format")
    if program is None:
        print("clang-format not found: formatting not checked")
        return 0
    run = subprocess.run([program, "--dry-run", "-Werror", "--ferror-limit=1"] + paths,
                         cwd=root, capture_output=True, text=True)
    faulty = sorted({line.split(":")[0] for line in run.stderr.splitlines()
                     if "error:" in line})
    for path in faulty:
        print("%s: not formatted (run clang-format -i)" % path)
    return len(faulty)


if __name__ == "__main__":
    sys.exit(main())
