#!/usr/bin/env python3
"""Checks that every English text the program looks up is in the translators'
template; one that is not would stay English in every language.

    check_texts.py TEMPLATE.pot FOLDER_OR_FILE...

It reads the C++ files (.cpp, .h) under the folders and finds:
- each `.Text(text[, context[, value]])` call: the text and the context are
  u"..." literals (adjacent ones joined), constants defined in the files read
  (`constexpr char16_t kName[] = u"...";`, or an array of literals, where
  `kName[i]` stands for each of them), or left out or `{}` for no context;
- the tray menu table kTrayMenu, whose labels TrayMenuEntries looks up in the
  tray menu's context and, between OpenSubmenu and CloseSubmenu, in the
  submenu's. A lookup inside the label function handed to TrayMenuEntries is
  that one.
Every text not in the template, and every lookup whose text it cannot tell,
is reported as file:line, the file named from the current folder; the exit
status is then 1.
"""

import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from po_compile import PoError, read_po  # noqa: E402

CPP_ESCAPES = {"n": "\n", "t": "\t", "r": "\r", "\\": "\\", '"': '"', "'": "'", "0": "\0",
               "a": "\a", "b": "\b", "f": "\f", "v": "\v", "?": "?"}
STRING = r'(?:u8|[uUL])?"(?:[^"\\\n]|\\.)*"'
CHARACTER = r"(?:u8|[uUL])?'(?:[^'\\\n]|\\.)*'"
LITERAL = re.compile(r'u"((?:[^"\\\n]|\\.)*)"')
CONSTANT = re.compile(
    r"constexpr\s+(?:char16_t|std::u16string_view)\s+(\w+)\s*(?:\[\s*\w*\s*\])?\s*=\s*")
LOOKUP = re.compile(r"\.Text\(")
MENU_ENTRY = re.compile(r"\{\s*MenuEntry::(\w+)\s*,[^,{}]*,\s*((?:u\"(?:[^\"\\\n]|\\.)*\"\s*)+)\}")


class CheckError(Exception):
    pass


def decode(body):
    """The text of a literal's body, C++ escapes resolved."""
    out = []
    i = 0
    while i < len(body):
        c = body[i]
        if c != "\\":
            out.append(c)
            i += 1
            continue
        e = body[i + 1]
        if e in "uU":
            size = 4 if e == "u" else 8
            out.append(chr(int(body[i + 2:i + 2 + size], 16)))
            i += 2 + size
        elif e == "x":
            digits = re.match(r"[0-9a-fA-F]+", body[i + 2:]).group(0)
            out.append(chr(int(digits, 16)))
            i += 2 + len(digits)
        else:
            out.append(CPP_ESCAPES[e])
            i += 2
    return "".join(out)


def literals(text):
    """Adjacent literals joined, when text is nothing else; otherwise None."""
    parts = []
    rest = text.strip()
    while rest:
        match = LITERAL.match(rest)
        if not match:
            return None
        parts.append(decode(match.group(1)))
        rest = rest[match.end():].lstrip()
    return "".join(parts) if parts else None


def without_comments(source):
    """Comments blanked out, line breaks and literals kept, so offsets keep their lines."""
    def blank(match):
        if match.group(1):
            return match.group(1)
        return re.sub(r"[^\n]", " ", match.group(0))
    return re.sub(r"(%s|%s)|//[^\n]*|/\*.*?\*/" % (STRING, CHARACTER), blank, source, flags=re.S)


def arguments(source, start):
    """The top-level arguments of the call whose '(' precedes start."""
    args, depth, i, begin = [], 0, start, start
    skip = re.compile("%s|%s" % (STRING, CHARACTER))
    while i < len(source):
        quoted = skip.match(source, i)
        if quoted:
            i = quoted.end()
            continue
        c = source[i]
        if c in "([{":
            depth += 1
        elif c in ")]}":
            if depth == 0:
                args.append(source[begin:i].strip())
                return [a for a in args if a]
            depth -= 1
        elif c == "," and depth == 0:
            args.append(source[begin:i].strip())
            begin = i + 1
        i += 1
    raise CheckError("unbalanced call")


def read_constants(files):
    """name -> [texts]; an array gives each of its elements."""
    constants = {}
    for path, source in files:
        for match in CONSTANT.finditer(source):
            end = source.index(";", match.end())
            value = source[match.end():end].strip()
            if value.startswith("{"):
                texts = [decode(m.group(1)) for m in LITERAL.finditer(value)]
            else:
                single = literals(value)
                texts = [single] if single is not None else []
            if texts:
                constants.setdefault(match.group(1), []).extend(texts)
    return constants


def resolve(argument, constants):
    """The texts an argument stands for, or None when it cannot be told."""
    if argument in ("", "{}"):
        return [""]
    single = literals(argument)
    if single is not None:
        return [single]
    match = re.fullmatch(r"(\w+)\s*(\[[^\]]*\])?", argument)
    if match and match.group(1) in constants:
        return constants[match.group(1)]
    return None


def line_of(source, offset):
    return source.count("\n", 0, offset) + 1


def menu_lookups(path, source, constants):
    """(line, context, text) of every label of the tray menu table."""
    table = re.search(r"kTrayMenu\[\]\s*=\s*\{", source)
    if not table:
        return []
    end = source.index("};", table.end())
    context = "kTrayMenuContext"
    found = []
    for match in MENU_ENTRY.finditer(source, table.end(), end):
        kind, label = match.group(1), literals(match.group(2))
        if kind == "CloseSubmenu":
            context = "kTrayMenuContext"
            continue
        if context not in constants:
            raise CheckError("%s: the menu context %s is not defined" % (path, context))
        found.append((line_of(source, match.start()), constants[context][0], label))
        if kind == "OpenSubmenu":
            context = "kSubmenuContext"
    return found


def source_files(paths):
    for path in paths:
        if os.path.isfile(path):
            yield path
            continue
        for folder, dirs, names in os.walk(path):
            dirs.sort()
            for name in sorted(names):
                if name.endswith((".cpp", ".h")):
                    yield os.path.join(folder, name)


def check(template, paths):
    known = {(c, e) for c, e, _, _, _ in read_po(template)}
    files = []
    for path in source_files(paths):
        with open(path, encoding="utf-8") as f:
            files.append((os.path.relpath(path), without_comments(f.read())))
    constants = read_constants(files)
    problems = []
    for path, source in files:
        for line, context, text in menu_lookups(path, source, constants):
            if (context, text) not in known:
                problems.append("%s:%d: %r (context %r) is not in the template" %
                                (path, line, text, context))
        for match in LOOKUP.finditer(source):
            line = line_of(source, match.start())
            args = arguments(source, match.end())
            statement = source[source.rfind(";", 0, match.start()) + 1:match.start()]
            if "TrayMenuEntries(" in statement:
                continue  # the menu table's labels, checked above
            texts = resolve(args[0], constants) if args else None
            contexts = resolve(args[1], constants) if len(args) > 1 else [""]
            if texts is None or contexts is None:
                problems.append("%s:%d: cannot tell which text %r looks up" %
                                (path, line, ", ".join(args[:2])))
                continue
            for context in contexts:
                for text in texts:
                    if (context, text) not in known:
                        where = " (context %r)" % context if context else ""
                        problems.append("%s:%d: %r%s is not in the template" %
                                        (path, line, text, where))
    return problems


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    template, paths = argv[0], argv[1:]
    try:
        problems = check(template, paths)
    except (PoError, CheckError, OSError) as e:
        print("check_texts: %s" % e, file=sys.stderr)
        return 1
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        print("check_texts: %d lookup(s) without their text in %s" %
              (len(problems), os.path.basename(template)), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
