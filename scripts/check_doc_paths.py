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
`snake_case` word; a bare word of one part (`Cue`, `armed`) is not checked.
Every part of it must be a word of the tree's code (C++, Python, CMake, shell,
NSIS and resource files, comments left out), where our own names are defined
and the system's are called; a name the code has dropped is reported.

Pairs: in `Class::Member`, when Class is a class, struct or enum of our C++
code, Member must be a word of its body (where its members are declared) or of
a body of a class it derives from. And a name in a sentence that links code
files or folders (a list item, a table cell and a heading count as sentences)
must be a word of one of them: a name that moved to another file is reported.
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
LIST_ITEM = re.compile(r"^(?:[-*]|\d+\.)\s")
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


class Code:
    """The tree's code, comments left out: each file's text and words, every word,
    and the bodies of the classes, structs and enums of the C++ files."""

    def __init__(self):
        # So a name such as NamedInACommentOnly, which only this comment has, is no word
        # of the code (the planted names in tests/docs/wrong_paths.md).
        self.files = {}
        for folder, dirs, files in os.walk(REPO):
            dirs[:] = [d for d in dirs if not d.startswith((".", "build", "dist"))]
            for name in files:
                style = CODE_FILES.get(os.path.splitext(name)[1])
                if not style or (name.endswith(".txt") and name != "CMakeLists.txt"):
                    continue
                path = os.path.join(folder, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = without_comments(f.read(), style)
                self.files[path] = (text, set(WORD.findall(text)))
        self.words = set().union(*(words for _, words in self.files.values()))
        self.classes = {}
        for path, (text, _) in self.files.items():
            if CODE_FILES.get(os.path.splitext(path)[1]) == "c":
                for name, bases, body in class_bodies(text):
                    self.classes.setdefault(name, []).append((bases, set(WORD.findall(body))))

    def has_member(self, owner, member, seen=()):
        """Whether a body of the class owner, or of a class it derives from, names member."""
        for bases, words in self.classes.get(owner, []):
            if member in words:
                return True
            if any(self.has_member(b, member, seen + (owner,)) for b in bases if b not in seen):
                return True
        return False

    def words_under(self, path):
        """The words of the code file at path, or of every code file under that folder."""
        if path in self.files:
            return self.files[path][1]
        inside = [words for file, (_, words) in self.files.items()
                  if file.startswith(path.rstrip(os.sep) + os.sep)]
        return set().union(*inside) if inside else None


LITERAL = re.compile(r'"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])+\'')
CLASS_HEAD = re.compile(r"\b(?:class|struct|union|enum(?:\s+class|\s+struct)?)\s+"
                        r"(?:alignas\([^)]*\)\s*)?([A-Za-z_]\w*)\s*(?:final\s*)?"
                        r"(?::\s*([^{;()]*))?\{")


def class_bodies(text):
    """(name, [base names], body) of each class, struct, union or enum defined in text."""
    text = LITERAL.sub('""', text)  # a brace in a string or character closes nothing
    for match in CLASS_HEAD.finditer(text):
        depth, i = 1, match.end()
        while depth and i < len(text):
            depth += {"{": 1, "}": -1}.get(text[i], 0)
            i += 1
        bases = [WORD.findall(b)[-1] for b in re.sub(r"<.*", "", match.group(2) or "").split(",")
                 if WORD.findall(b)]
        yield match.group(1), bases, text[match.end():i]


def sentences(lines):
    """[[(line number, text)...]...]: the document's sentences, each in the pieces of
    its lines. A list item, a table cell, a heading and a paragraph start one; a
    full stop outside backticks followed by a space or the line's end ends one.
    Code blocks are left out."""
    found, current, fenced = [], [], False

    def close():
        if current:
            found.append(current[:])
            current.clear()

    for number, line in lines:
        stripped = line.strip()
        if stripped.startswith("```"):
            fenced = not fenced
            close()
            continue
        if fenced:
            continue
        if not stripped or stripped.startswith(("#", "|")) or LIST_ITEM.match(stripped):
            close()
        # A cell ends at a "|" that is not written "\|".
        cells = re.split(r"(?<!\\)\|", stripped.strip("|")) if stripped.startswith("|") else [line]
        for cell in cells:
            start, in_code = 0, False
            for i, c in enumerate(cell):
                in_code = in_code != (c == "`")
                if c in ".!?" and not in_code and (i + 1 == len(cell) or cell[i + 1].isspace()):
                    current.append((number, cell[start:i + 1]))
                    close()
                    start = i + 1
            current.append((number, cell[start:]))
            if len(cells) > 1:
                close()
        if stripped.startswith("#"):
            close()
    close()
    return found


def linked_words(sentence, folder, code):
    """The words of the code files and folders the sentence's links lead to, or None
    when it links none."""
    words = None
    for _, text in sentence:
        for target in LINK.findall(text):
            full = os.path.normpath(os.path.join(folder, target.split("#")[0]))
            found = code.words_under(full) if "://" not in target else None
            if found is not None:
                words = (words or set()) | found
    return words


def missing(document, code=None):
    """(line number, what) for each path or name the document names that is not there:
    a path, a name the code lacks, a Class::Member the class does not declare, and a
    name that no file or folder its sentence links has."""
    folder = os.path.dirname(os.path.join(REPO, document))
    if not os.path.isfile(os.path.join(REPO, document)):
        return [(0, "no such path in the repository: " + document)]
    found = []
    start = FROM_HEADING.get(document)
    lines = []
    with open(os.path.join(REPO, document), encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            if start:
                start = None if line.rstrip() == start else start
                continue
            lines.append((number, line.rstrip("\n")))
    for number, line in lines:
        names = [(os.path.join(folder, target.split("#")[0]), target)
                 for target in LINK.findall(line)
                 if "://" not in target and not target.startswith(("#", "mailto:"))]
        names += [(os.path.join(REPO, word), word)
                  for span in CODE.findall(line) for word in path_words(span)]
        for full, shown in names:
            full = os.path.normpath(full)
            inside = full == REPO or full.startswith(REPO + os.sep)
            there = glob.glob(full) if "*" in full else os.path.exists(full)
            if not inside or not there:
                found.append((number, "no such path in the repository: " + shown))
        for span in CODE.findall(line):
            name = code_name(span)
            if not name or code is None:
                continue
            parts = name.split("::")
            if not all(p in code.words for p in parts):
                found.append((number, "no such name in the code: " + name))
                continue
            for owner, member in zip(parts, parts[1:]):
                if owner in code.classes and not code.has_member(owner, member):
                    found.append((number, "%s declares no %s: %s" % (owner, member, name)))
    for sentence in sentences(lines) if code is not None else []:
        words = linked_words(sentence, folder, code)
        if words is None:
            continue
        for number, text in sentence:
            for span in CODE.findall(text):
                name = code_name(span)
                if name and name.split("::")[-1] in code.words and \
                        name.split("::")[-1] not in words:
                    found.append((number, "not in the file its sentence links: " + name))
    if start:
        found.append((0, "no such path in the repository: the heading " + start))
    return sorted(found, key=lambda f: f[0])


def main(documents):
    problems = 0
    code = Code()
    for document in documents or DEFAULT:
        for number, what in missing(document, code):
            print("%s:%d: %s" % (document, number, what))
            problems += 1
    print("check_doc_paths: %d missing" % problems)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
