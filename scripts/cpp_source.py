"""C++ source as the tree's checking scripts read it: the .h and .cpp files of a list of
folders, and their tokens outside comments, literals and preprocessor lines."""
import os
import re

TOKEN = re.compile(r"""
    (?P<skip>//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|'(?:\\.|[^'\\\n])*'|R"(?P<d>[^(]*)\(.*?\)(?P=d)")
  | (?P<word>[A-Za-z_]\w*)
  | (?P<punct>::|->|<<=|>>=|<<|>>|<=|>=|==|!=|\+=|-=|\*=|/=|%=|&=|\|=|\^=|&&|\|\||\+\+|--|[-+*/%&|^!~<>=(){};:\[\],.?])
  | (?P<newline>\n)
""", re.S | re.X)
OPEN = {"(": ")", "{": "}", "[": "]"}


def source_files(root, folders):
    """The path, relative to root, of every .h and .cpp file below each folder."""
    for folder in folders:
        for base, _, names in os.walk(os.path.join(root, folder)):
            for name in sorted(names):
                if name.endswith((".h", ".cpp")):
                    yield os.path.relpath(os.path.join(base, name), root)


def without_preprocessor(text):
    """Blanks every preprocessor line (with its continuations), keeping every offset."""
    lines = text.split("\n")
    continued = False
    for i, line in enumerate(lines):
        if continued or line.lstrip().startswith("#"):
            continued = line.endswith("\\")
            lines[i] = " " * len(line)
    return "\n".join(lines)


def tokens(text):
    """[(text, line, start offset, end offset)] of every word and punctuator outside
    comments, literals and preprocessor lines."""
    line = 1
    result = []
    for match in TOKEN.finditer(without_preprocessor(text)):
        if match.group("skip") is not None:
            line += match.group(0).count("\n")
        elif match.group("newline") is not None:
            line += 1
        else:
            result.append((match.group(0), line, match.start(), match.end()))
    return result


def skip_group(toks, i):
    """The index after the bracket group that opens at i."""
    depth = 0
    while i < len(toks):
        depth += toks[i][0] in OPEN
        depth -= toks[i][0] in OPEN.values()
        i += 1
        if depth == 0:
            break
    return i
