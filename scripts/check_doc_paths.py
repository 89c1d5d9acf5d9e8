#!/usr/bin/env python3
"""Checks that every repository path a document names exists, so the map does
not drift from the tree.

    check_doc_paths.py [DOCUMENT.md...]   (default: the developer documents)

Checked: the targets of relative Markdown links (from the document's folder),
and each word in backticks that looks like a path (from the repository's root):
one with a "/", or a file name with a source extension. A "*" in a word is a
pattern that must match something. Build outputs, placeholders ("<code>"),
home-relative and Windows paths are not in the tree and are skipped. A path
that leads out of the repository counts as missing: the documents describe
this tree alone.
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


def missing(document):
    """(line number, path) for each path the document names that is not there."""
    folder = os.path.dirname(os.path.join(REPO, document))
    if not os.path.isfile(os.path.join(REPO, document)):
        return [(0, document)]
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
                    found.append((number, shown))
    if start:
        found.append((0, "the heading " + start))
    return found


def main(documents):
    problems = 0
    for document in documents or DEFAULT:
        for number, path in missing(document):
            print("%s:%d: no such path in the repository: %s" % (document, number, path))
            problems += 1
    print("check_doc_paths: %d missing" % problems)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
