#!/usr/bin/env python3
"""Checks that every repository path and every code name a document names exists,
so the map does not drift from the tree.

    check_doc_paths.py [DOCUMENT.md...]   (default: the developer documents)

Paths: the targets of relative Markdown links (from the document's folder),
and each word in backticks that looks like a path (from the repository's root):
one with a "/", or a file name with a source extension. A "*" in a word is a
pattern that must match something. Build outputs, placeholders ("<code>"),
home-relative and Windows paths are not in the tree and are skipped. A path
that leads out of the repository counts as missing: the documents describe
this tree alone.

Names: a backtick span that is one name that looks like code, `Name::Member`,
`Function()` or `Function(arguments)`, or a bare `Name` in camelCase or
PascalCase of two words or more, a `kConstant` or a `SNAKE_CASE` or
`snake_case` word. Every part of it must be a word of the tree's code (C++,
Python, CMake, shell, NSIS and resource files, comments left out), where our
own names are defined and the system's are called; a name the code has
dropped is reported.
"""

import glob
import os
import re
import sys

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
DEFAULT = ["docs/ARCHITECTURE.md", "CONTRIBUTING.md", "README.md"]
# The README's user part names the files of the package, not of the tree.
FROM_HEADING = {"README.md": "## For developers"}
SOURCE_EXTENSIONS = (".cpp", ".h", ".py", ".sh", ".md", ".cmake", ".po", ".pot", ".txt")
GENERATED = ("build/", "dist/")
LINK = re.compile(r"\]\(([^)\s]+)\)")
CODE = re.compile(r"`([^`\n]+)`")
NAME_SPAN = re.compile(r"^([A-Za-z_]\w*(?:::[A-Za-z_]\w*)*)(\(.*\))?$")
CODE_LIKE = re.compile(
    r"^(?:[a-z]+[A-Z]\w*|[A-Z][a-z0-9]+[A-Z]\w*|k[A-Z]\w*|[A-Z][A-Z0-9]*_[A-Z0-9_]+|"
    r"[a-z][a-z0-9]*_[a-z0-9_]+)$")
WORD = re.compile(r"[A-Za-z_]\w*")
# Where code lives, and how its comments start: C-like, or a character to the line's end.
CODE_FILES = {".cpp": "c", ".h": "c", ".rc": "c", ".py": "#", ".sh": "#", ".cmake": "#",
              ".txt": "#", ".nsi": ";#"}


def path_words(code):
    """The words of a backtick span that name a path in the tree."""
    for word in code.split():
        word = word.strip("'\",;:()")
        if not word or any(c in word for c in "<>{}[]|+?^$~\\=") or "://" in word:
            continue
        if word.startswith(GENERATED) or word.startswith(("-", "/")):
            continue
        # A bare suffix such as "_win32.cpp" or ".po" names a kind of file, not one.
        if "/" in word or (word.endswith(SOURCE_EXTENSIONS) and word[0].isalnum()):
            yield word


def code_name(code):
    """The name a backtick span holds when it looks like code, else None."""
    match = NAME_SPAN.match(code.strip())
    if not match:
        return None
    name, call = match.groups()
    if call or "::" in name or CODE_LIKE.match(name):
        return name
    return None


def without_comments(text, style):
    """`text` with its comments blanked; strings (raw ones too) are kept."""
    out = []
    i = 0
    n = len(text)
    while i < n:
        c = text[i]
        if style == "c" and text.startswith("//", i):
            i = text.find("\n", i)
            i = n if i < 0 else i
        elif style == "c" and text.startswith("/*", i):
            end = text.find("*/", i + 2)
            i = n if end < 0 else end + 2
            out.append(" ")
        elif style != "c" and c in style:
            i = text.find("\n", i)
            i = n if i < 0 else i
        elif style == "c" and text.startswith('R"', i) and (i == 0 or not text[i - 1].isalnum()):
            open_at = text.find("(", i)
            delimiter = ")" + text[i + 2:open_at] + '"'
            end = text.find(delimiter, open_at)
            end = n if end < 0 else end + len(delimiter)
            out.append(text[i:end])
            i = end
        elif c in "\"'" and not (style == "c" and c == "'" and i and text[i - 1].isalnum()):
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(text[i:j + 1])
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def code_words():
    """Every word of the tree's code, comments left out."""
    # So a name such as NamedInACommentOnly, which only this comment has, is no word
    # of the code (the planted names in tests/docs/wrong_paths.md).
    words = set()
    for folder, dirs, files in os.walk(REPO):
        dirs[:] = [d for d in dirs if not d.startswith((".", "build", "dist"))]
        for name in files:
            style = CODE_FILES.get(os.path.splitext(name)[1])
            if not style or (name.endswith(".txt") and name != "CMakeLists.txt"):
                continue
            with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
                words.update(WORD.findall(without_comments(f.read(), style)))
    return words


def missing(document, known=None):
    """(line number, what) for each path or name the document names that is not there."""
    folder = os.path.dirname(os.path.join(REPO, document))
    if not os.path.isfile(os.path.join(REPO, document)):
        return [(0, "no such path in the repository: " + document)]
    found = []
    start = FROM_HEADING.get(document)
    with open(os.path.join(REPO, document), encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            if start:
                start = None if line.rstrip() == start else start
                continue
            names = [(os.path.join(folder, target.split("#")[0]), target)
                     for target in LINK.findall(line)
                     if "://" not in target and not target.startswith(("#", "mailto:"))]
            names += [(os.path.join(REPO, word), word)
                      for code in CODE.findall(line) for word in path_words(code)]
            for full, shown in names:
                full = os.path.normpath(full)
                inside = full == REPO or full.startswith(REPO + os.sep)
                there = glob.glob(full) if "*" in full else os.path.exists(full)
                if not inside or not there:
                    found.append((number, "no such path in the repository: " + shown))
            for code in CODE.findall(line):
                name = code_name(code)
                if name and known is not None and not all(p in known for p in name.split("::")):
                    found.append((number, "no such name in the code: " + name))
    if start:
        found.append((0, "no such path in the repository: the heading " + start))
    return found


def main(documents):
    problems = 0
    known = code_words()
    for document in documents or DEFAULT:
        for number, what in missing(document, known):
            print("%s:%d: %s" % (document, number, what))
            problems += 1
    print("check_doc_paths: %d missing" % problems)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
