#!/usr/bin/env python3
"""Counts public data members of classes that have methods, per top-level folder.

A class or struct counts when its body declares at least one member function
(constructors and operators included); its public, non-constant, data members are
counted. Plain aggregates without methods may keep their fields open, and constants
(const, constexpr) are not state.

usage: count_public_state.py [--list] [--zero FOLDER,...] SOURCE_DIR
       prints one line per folder with its count and the total; --list also names
       every member counted; --zero exits 1 when one of the named folders counts more
       than zero.
"""
import os
import re
import sys

from cpp_source import skip_group, source_files, tokens

FOLDERS = ["common", "platform", "hostapi", "res", "table", "walker", "view", "conversation",
           "graphwnd", "plugin", "host", "probe"]
ACCESS = {"public", "protected", "private"}
CLASS_KEYS = {"class", "struct", "union"}
NOT_A_CALL = {"decltype", "alignas", "sizeof", "noexcept", "__attribute__", "alignof"}
MACRO = re.compile(r"^[A-Z][A-Z0-9_]*$")
# A macro invoked in a class body without a semicolon (DECLARE_MESSAGE_MAP()): upper case
# with an underscore, so that a constructor such as CDC() is not taken for one.
MACRO_CALL = re.compile(r"^[A-Z][A-Z0-9]*_[A-Z0-9_]*$")


def class_body_start(toks, i):
    """For a class key at i: the index of the '{' that opens its body, or None when the
    key does not begin a class definition (forward declaration, elaborated type,
    template parameter, enum class, friend)."""
    if i > 0 and toks[i - 1][0] in ("enum", "friend", "<", ","):
        return None
    j = i + 1
    if j < len(toks) and toks[j][0] == "[":
        j = skip_group(toks, j)
    while j < len(toks) and MACRO.match(toks[j][0]) and toks[j + 1][0] not in ("{", ":", ";"):
        j += 1  # export macros before the name
    if j < len(toks) and re.match(r"\w", toks[j][0]):
        j += 1
        while j + 1 < len(toks) and toks[j][0] == "::":
            j += 2
    if j < len(toks) and toks[j][0] == "final":
        j += 1
    if j >= len(toks) or toks[j][0] not in ("{", ":"):
        return None
    while j < len(toks) and toks[j][0] not in ("{", ";", "(", ")", "="):
        j += 1
    return j if j < len(toks) and toks[j][0] == "{" else None


def class_name(toks, key, body):
    """The last word before the base clause or the body: the class's name."""
    name = "(anonymous)"
    for word, _ in toks[key + 1:body]:
        if word == ":":
            break
        if re.match(r"\w", word) and word != "final":
            name = word
    return name


def split_members(toks, start, end):
    """Yields (access label or None, declaration tokens) for the body toks[start:end]."""
    decl = []
    i = start
    while i < end:
        word = toks[i][0]
        if word in ACCESS | {"signals", "Q_SIGNALS"}:
            j = i + 1
            if j < end and toks[j][0] in ("slots", "Q_SLOTS"):
                j += 1
            if j < end and toks[j][0] == ":":
                if decl:
                    yield None, decl  # a macro without a semicolon before the label
                    decl = []
                yield ("public" if word in ("signals", "Q_SIGNALS") else word), []
                i = j + 1
                continue
        if word == ";":
            if decl:
                yield None, decl
            decl = []
            i += 1
            continue
        if word in ("(", "["):
            k = skip_group(toks, i)
            decl.extend(toks[i:k])
            i = k
            continue
        if word == "{":
            k = skip_group(toks, i)
            decl.extend(toks[i:k])
            i = k
            if ends_with_body(decl):
                yield None, decl
                decl = []
            continue
        decl.append(toks[i])
        i += 1
    if decl:
        yield None, decl


def pre_initializer(decl):
    """The tokens of a declaration before its default initializer or function body."""
    out = []
    angle = 0
    i = 0
    while i < len(decl):
        word = decl[i][0]
        prev = decl[i - 1][0] if i else ""
        if word in ("(", "["):
            k = skip_group(decl, i)
            out.extend(decl[i:k])
            i = k
            continue
        if word == "{" and angle == 0:
            break
        if word == "=" and angle == 0 and prev != "operator":
            break
        if word == "<" and re.match(r"\w", prev) and prev != "operator":
            angle += 1
        elif word == ">" and angle:
            angle -= 1
        elif word == ">>" and angle:
            angle = max(0, angle - 2)
        out.append(decl[i])
        i += 1
    return out


def strip_macros(decl):
    """Drops leading macro invocations without a semicolon (DECLARE_MESSAGE_MAP(),
    Q_OBJECT) and attributes."""
    while decl:
        word = decl[0][0]
        if word == "[" and len(decl) > 1 and decl[1][0] == "[":
            decl = decl[skip_group(decl, 0):]
        elif MACRO_CALL.match(word) and len(decl) > 1 and decl[1][0] == "(":
            decl = decl[skip_group(decl, 1):]
        elif word in ("Q_OBJECT", "Q_GADGET", "afx_msg"):
            decl = decl[1:]
        else:
            break
    return decl


def is_function(head):
    """Whether a declaration head (before any initializer) declares a function: a
    parenthesis group outside template arguments that is not a function-pointer or
    reference declarator and not an operand of decltype and its kin."""
    angle = 0
    for i, (word, _) in enumerate(head):
        prev = head[i - 1][0] if i else ""
        if word == "<" and re.match(r"\w", prev) and prev != "operator":
            angle += 1
        elif word == ">" and angle:
            angle -= 1
        elif word == ">>" and angle:
            angle = max(0, angle - 2)
        elif word == "(" and angle == 0:
            nxt = head[i + 1][0] if i + 1 < len(head) else ""
            if prev in NOT_A_CALL:
                continue
            # (*name)(...): a pointer to a function, a data member.
            return nxt not in ("*", "&", "^")
    return False


def ends_with_body(decl):
    """Whether the declaration so far ends with a function body."""
    head = pre_initializer(strip_macros(decl[:-1]))
    if not is_function(head):
        return False
    # A member initializer list: `name{...}` there is an initializer, not the body.
    return not (len(decl) > 2 and decl_brace_follows_word(decl))


def decl_brace_follows_word(decl):
    """Whether the last brace group of decl follows a word inside a member initializer
    list (after the declarator's closing parenthesis and a ':')."""
    depth = 0
    opening = None
    for i in range(len(decl) - 1, -1, -1):
        word = decl[i][0]
        depth += word == "}"
        depth -= word == "{"
        if depth == 0:
            opening = i
            break
    if opening is None or opening == 0:
        return False
    before = decl[opening - 1][0]
    if not re.match(r"\w", before) or before in ("const", "override", "final", "noexcept"):
        return False
    return any(t == ":" for t, _ in decl[:opening])


def data_member_names(head):
    """The names a data member declaration declares (several for `int a, b;`)."""
    names = []
    angle = 0
    last = None
    i = 0
    while i < len(head):
        word = head[i][0]
        prev = head[i - 1][0] if i else ""
        if word in ("(", "["):
            end = skip_group(head, i)
            if word == "(" and i + 1 < len(head) and head[i + 1][0] in ("*", "&"):
                inner = [t for t in head[i + 1:end] if re.match(r"[A-Za-z_]\w*$", t[0])]
                last = inner[-1] if inner else last
            i = end
            continue
        if word == "<" and re.match(r"\w", prev):
            angle += 1
        elif word == ">" and angle:
            angle -= 1
        elif word == ">>" and angle:
            angle = max(0, angle - 2)
        elif word == "," and angle == 0:
            names.append(last)
        elif word == ":" and angle == 0:
            break  # bit-field width
        elif re.match(r"[A-Za-z_]\w*$", word):
            last = (word, head[i][1])
        i += 1
    names.append(last)
    return [name for name in names if name]


def is_constant(head):
    words = [t for t, _ in head]
    if "constexpr" in words:
        return True
    if "const" not in words:
        return False
    # const after the last pointer, or a leading const without a pointer.
    pointer = max((i for i, t in enumerate(words) if t in ("*", "&")), default=-1)
    return pointer < 0 or "const" in words[pointer + 1:]


SKIPPED = {"using", "typedef", "friend", "static_assert", "enum", "template", "namespace"}


def scan_class(toks, key, body, path, found):
    """Adds (path, class, line, member) for every public data member of the class whose
    body opens at toks[body], when the class has methods; recurses into nested classes."""
    end = skip_group(toks, body) - 1
    access = "private" if toks[key][0] == "class" else "public"
    has_methods = False
    members = []
    for label, decl in split_members(toks, body + 1, end):
        if label:
            access = label
            continue
        decl = strip_macros(decl)
        if not decl:
            continue
        first = decl[0][0]
        if first in CLASS_KEYS:
            inner = class_body_start(decl, 0)
            if inner is not None:
                scan_class(decl, 0, inner, path, found)
                rest = decl[skip_group(decl, inner):]
                if access == "public" and rest and rest[0][0] != ";":
                    members.extend(data_member_names(pre_initializer(rest)))
                continue
        if first in SKIPPED:
            continue
        head = pre_initializer(decl)
        if is_function(head):
            has_methods = True
            continue
        if access != "public" or is_constant(head):
            continue
        members.extend(data_member_names(head))
    if has_methods:
        name = class_name(toks, key, body)
        for member, line in members:
            found.append((path, name, line, member))


def scan_file(path, text):
    toks = [(word, line) for word, line, _, _ in tokens(text)]
    found = []
    i = 0
    while i < len(toks):
        if toks[i][0] in CLASS_KEYS and toks[i][0] != "union":
            body = class_body_start(toks, i)
            if body is not None:
                scan_class(toks, i, body, path, found)
                i = skip_group(toks, body)
                continue
        i += 1
    return found


def count(root):
    """{folder: [(path, class, line, member)]} over the product's folders."""
    result = {}
    for folder in FOLDERS:
        found = []
        for path in source_files(root, [folder]):
            with open(os.path.join(root, path), encoding="utf-8") as f:
                found.extend(scan_file(path, f.read()))
        result[folder] = sorted(found)
    return result


def main():
    args = sys.argv[1:]
    listing = "--list" in args
    args = [a for a in args if a != "--list"]
    zero = []
    if "--zero" in args:
        at = args.index("--zero")
        zero = args[at + 1].split(",")
        del args[at:at + 2]
    if len(args) != 1:
        print(__doc__.strip())
        return 2
    counts = count(args[0])
    for folder, found in counts.items():
        print("%-13s %3d" % (folder, len(found)))
        if listing:
            for path, name, line, member in found:
                print("    %s:%d: %s::%s" % (path, line, name, member))
    print("%-13s %3d" % ("total", sum(len(found) for found in counts.values())))
    faulty = [folder for folder in zero if counts.get(folder)]
    for folder in faulty:
        print("%s/ holds public data members in classes with methods" % folder)
    return 1 if faulty else 0


if __name__ == "__main__":
    sys.exit(main())
