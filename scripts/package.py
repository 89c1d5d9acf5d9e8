#!/usr/bin/env python3
"""The release package: assembles dist/Quillet-<version>-win32.zip from a
Windows build and checks a built one; builds the installer from the zip.

  package.py assemble BUILD_DIR DIST_DIR VERSION
  package.py check ZIP
  package.py installer BUILD_DIR DIST_DIR VERSION
  package.py guide [README]

The user guide in the package is the README's user part (everything before
"## For developers") turned into plain text that reads well with a screen
reader and on a braille display: numbered headings listed at its top, no line
longer than GUIDE_LINE_LIMIT characters, every list item marked and every list
led in by a line ending in ":". `assemble` refuses a README whose guide breaks
those rules, `guide` names what breaks them, and `check` builds the guide again
from the README and compares. The zip is
reproducible: members in sorted order, all with the time of SOURCE_DATE_EPOCH,
fixed attributes.

The installer, dist/Quillet-<version>-setup.exe, is installer/quillet.nsi built
by makensis from the zip's files, each given the zip's time, and our own texts
from lang/po; it is as reproducible as the zip.
"""

import hashlib
import os
import re
import shutil
import subprocess
import sys
import time
import zipfile

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
USER_PART_END = "## For developers"
GUIDE = "User guide.txt"
# A line is one stop for a screen reader's line navigation, and this is five pans
# of a 40-cell braille display: a paragraph past it is split where its sentences
# allow, each part able to stand alone.
GUIDE_LINE_LIMIT = 200
# What starts a list item in the guide: read out, and shown on a display, so the
# end of a list can be found.
LIST_MARK = re.compile(r"- |Step \d+: ")
SUMS = "SHA256SUMS"
BINARIES = {"Quillet.exe": "app/Quillet.exe", "UniversalSpeech.dll": "app/UniversalSpeech.dll"}


def licence_sources():
    """Member name -> where its text comes from on this machine."""
    xprefix = os.environ.get("QUILLET_XPREFIX", "")
    miniaudio = os.path.join(os.environ.get("QUILLET_MINIAUDIO_DIR", ""), "miniaudio.h")
    return {
        "licenses/Quillet.txt": os.path.join(REPO, "LICENSE"),
        "licenses/libogg.txt": os.path.join(xprefix, "licenses", "libogg-COPYING"),
        "licenses/libvorbis.txt": os.path.join(xprefix, "licenses", "libvorbis-COPYING"),
        "licenses/miniaudio.txt": miniaudio,
        "licenses/mingw-w64 runtime.txt": "/usr/share/doc/mingw-w64-common/copyright",
        # libgcc and libstdc++, with the GCC Runtime Library Exception ...
        "licenses/gcc runtime.txt": "/usr/share/doc/gcc-mingw-w64-base/copyright",
        # ... which is an addition to the GPL, version 3.
        "licenses/GPL-3.txt": "/usr/share/common-licenses/GPL-3",
    }


def members():
    return sorted(list(BINARIES) + [GUIDE, SUMS] + list(licence_sources()))


# --- the user guide -----------------------------------------------------------

def inline(text):
    """Markdown's inline marks away: "**Term** — rest" reads as "Term: rest"."""
    text = re.sub(r"\*\*(.+?)\*\* — ", r"\1: ", text)
    return text.replace("**", "").replace("`", "")


def guide_lines(readme, version):
    """The guide as lines of plain text, and its headings as (level, text), level
    2 for "##": one paragraph or list item a line, no marks for the screen reader
    to read out but the list items' "- ", numbered steps as "Step 1:", table rows
    as "- key: meaning" items, code as it stands. A list item goes on in indented
    lines; a line not indented after it starts a paragraph of its own. The
    top-level headings are listed after the title."""
    lines = readme.split(USER_PART_END)[0].splitlines()
    out = []
    headings = []
    paragraph = []
    in_code = False
    in_item = False

    def flush():
        if paragraph:
            out.append(inline(" ".join(paragraph)))
            paragraph.clear()

    for line in lines[1:]:  # the title is the guide's own first line
        if line.startswith("```"):
            flush()
            in_code = not in_code
        elif in_code:
            out.append(line)
        elif not line.strip():
            flush()
            in_item = False
            out.append("")
        elif line.startswith("#"):
            flush()
            marks, _, title = line.partition(" ")
            headings.append((len(marks), title.strip()))
            out.append(title.strip())
        elif line.startswith("|"):
            flush()
            cells = [c.strip() for c in line.strip("|").split("|")]
            if set("".join(cells)) <= set("-: "):
                out.pop()  # the header row: the text around the table says it
            else:
                out.append("- " + inline(": ".join(cells)))
        elif line.startswith("- "):
            flush()
            in_item = True
            paragraph.append(line)
        elif re.match(r"\d+\. ", line):
            flush()
            in_item = True
            number, _, rest = line.partition(". ")
            paragraph.append("Step %s: %s" % (number, rest))
        else:
            if in_item and not line.startswith(" "):
                flush()
                in_item = False
            paragraph.append(line.strip())
    flush()
    contents = ["Contents:"] + ["- " + title for level, title in headings if level == 2]
    text = "\n".join(["Quillet %s, user guide" % version, ""] + contents + [""] + out).strip()
    return re.sub(r"\n{3,}", "\n\n", text).split("\n"), headings


def user_guide(readme, version):
    lines, _ = guide_lines(readme, version)
    return windows_text("\n".join(lines) + "\n")


def guide_problems(readme, version="0"):
    """Headings not numbered in order (1., 2., and 2.1, 2.2 under "2."; two
    levels), lines over the limit, a line right after a list item without a
    marker of its own, and a list whose line before it does not lead it in."""
    lines, headings = guide_lines(readme, version)
    problems = []
    numbers = []
    for level, title in headings:
        depth = level - 2
        if depth not in (0, 1) or depth > len(numbers):
            problems.append("heading %r is not a section or a part of one" % title)
            continue
        numbers = numbers[:depth] + [numbers[depth] + 1 if depth < len(numbers) else 1]
        expected = "%d. " % numbers[0] if depth == 0 else "%d.%d " % tuple(numbers)
        if not title.startswith(expected):
            problems.append("heading %r does not start with its number %r" % (title, expected))
    marked = [bool(LIST_MARK.match(line)) for line in lines]
    for n, line in enumerate(lines, 1):
        if len(line) > GUIDE_LINE_LIMIT:
            problems.append("line %d has %d characters, more than %d: %r" %
                            (n, len(line), GUIDE_LINE_LIMIT, line[:40] + "..."))
        after_item = n > 1 and marked[n - 2]
        if line.strip() and not marked[n - 1] and after_item:
            problems.append("line %d follows a list item but has no list marker: %r" %
                            (n, line[:40] + "..."))
        if marked[n - 1] and not after_item:
            before = [l for l in lines[:n - 1] if l.strip()]
            if not before or not before[-1].endswith(":"):
                problems.append("line %d starts a list with no line ending in \":\" before it" % n)
    return problems


def windows_text(text):
    """CR LF line ends, and a byte-order mark when it is not plain ASCII so that
    older Notepads read it as UTF-8."""
    data = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")
    return data if data.isascii() else b"\xef\xbb\xbf" + data


def miniaudio_licence(header):
    """The licence is the header's last comment."""
    start = header.rindex("/*") + 2
    return header[start:header.rindex("*/")].strip() + "\n"


# --- assembling -----------------------------------------------------------------

def read(path):
    with open(path, "rb") as f:
        return f.read()


def readme_text():
    return read(os.path.join(REPO, "README.md")).decode("utf-8")


def source_time():
    """SOURCE_DATE_EPOCH (package.sh sets the last commit's time), else 1980."""
    # Zip times start in 1980 and count in 2 s steps.
    return max(int(os.environ.get("SOURCE_DATE_EPOCH") or 0), 315532800)


def zip_time():
    return time.gmtime(source_time())[:6]


def assemble(build, dist, version):
    problems = guide_problems(readme_text(), version)
    if problems:
        sys.exit("\n".join("package: " + p for p in problems))
    contents = {name: read(os.path.join(build, path)) for name, path in BINARIES.items()}
    for name, source in licence_sources().items():
        text = read(source).decode("utf-8")
        if name.endswith("miniaudio.txt"):
            text = miniaudio_licence(text)
        contents[name] = windows_text(text)
    contents[GUIDE] = user_guide(readme_text(), version)
    contents[SUMS] = "".join("%s  %s\n" % (hashlib.sha256(data).hexdigest(), name)
                             for name, data in sorted(contents.items())).encode("utf-8")
    os.makedirs(dist, exist_ok=True)
    path = os.path.join(dist, "Quillet-%s-win32.zip" % version)
    stamp = zip_time()
    with zipfile.ZipFile(path + ".tmp", "w") as z:
        for name in sorted(contents):
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # attributes as Windows reads them, none set
            z.writestr(info, contents[name], compresslevel=9)
    os.replace(path + ".tmp", path)
    return path


# --- the installer ----------------------------------------------------------------

# A file of these names that the user put in the folder (one whose version record
# is not Quillet's) is kept by an upgrade.
USERS_OWN = {"UniversalSpeech.dll"}


def nsis_lines(names, folder):
    """The macros that install and remove the zip's files, unpacked in folder; the
    one that writes their list, and the function that tells a listed name shipped
    ($R1 a name from the list, $R2 1 when shipped)."""
    def inside(path):
        return "\\".join(part for part in path.split("/") if part)

    def target(path):
        return "$INSTDIR" + "".join("\\" + part for part in path.split("/") if part)
    install = ["!macro QuilletInstallFiles"]
    for sub in sorted({os.path.dirname(n) for n in names}):
        install.append('  SetOutPath "%s"' % target(sub))
        for n in names:
            if os.path.dirname(n) != sub:
                continue
            line = '  File "%s"' % os.path.join(folder, n)
            if n in USERS_OWN:
                install += ['  StrCpy $R1 "%s"' % target(n), "  Call IsUsersOwn",
                            "  ${If} $R0 <> 1", "  " + line, "  ${EndIf}"]
            else:
                install.append(line)
    remove = ["!macro QuilletRemoveFiles"]
    remove += ['  Delete "%s"' % target(n) for n in names]
    remove += ['  RMDir "%s"' % target(sub)
               for sub in sorted({os.path.dirname(n) for n in names}, reverse=True) if sub]
    listing = ["!macro QuilletWriteFileList", '  FileOpen $R0 "$INSTDIR\\${FILE_LIST}" w']
    listing += ['  FileWrite $R0 "%s$\\r$\\n"' % inside(n) for n in names]
    listing += ["  FileClose $R0"]
    shipped = ["Function IsShipped", "  StrCpy $R2 1"]
    shipped += ['  StrCmp $R1 "%s" shipped' % inside(n) for n in names]
    shipped += ["  StrCpy $R2 0", "  shipped:", "FunctionEnd"]
    return (install + ["!macroend", ""] + remove + ["!macroend", ""] + listing + ["!macroend", ""]
            + shipped + [""])


def build_installer(build, dist, version):
    work = os.path.join(os.path.abspath(build), "installer")
    folder = os.path.join(work, "files")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(folder)
    with zipfile.ZipFile(os.path.join(dist, "Quillet-%s-win32.zip" % version)) as z:
        names = sorted(z.namelist())
        z.extractall(folder)
    # The installer keeps each file's time: the zip's, not the build's.
    stamp = source_time()
    for name in names:
        os.utime(os.path.join(folder, name), (stamp, stamp))
    files = os.path.join(work, "files.nsh")
    with open(files, "w", encoding="utf-8") as f:
        f.write("\n".join(nsis_lines(names, folder)))
    texts = os.path.join(work, "texts.nsh")
    po = os.path.join(REPO, "lang", "po")
    subprocess.run([sys.executable, os.path.join(REPO, "installer", "installer_texts.py"), texts,
                    os.path.join(REPO, "lang", "languages.csv"), os.path.join(po, "quillet.pot")] +
                   sorted(os.path.join(po, n) for n in os.listdir(po) if n.endswith(".po")),
                   check=True)
    parts = (version.split(".") + ["0"] * 4)[:4]
    licence = read(os.path.join(REPO, "LICENSE")).decode("utf-8")
    copyright = next(l for l in licence.splitlines() if l.startswith("Copyright"))
    path = os.path.join(dist, "Quillet-%s-setup.exe" % version)
    defines = {"VERSION": version, "VERSION4": ".".join(parts), "COPYRIGHT": copyright,
               "FILES": files, "TEXTS": texts, "OUTFILE": os.path.abspath(path)}
    subprocess.run(["makensis", "-V2", "-INPUTCHARSET", "UTF8"] +
                   ["-D%s=%s" % item for item in defines.items()] +
                   [os.path.join(REPO, "installer", "quillet.nsi")],
                   check=True, stdout=subprocess.DEVNULL)
    return path


# --- checking --------------------------------------------------------------------

def pe_problems(name, data):
    """A 32-bit x86 PE with no link time and no path of this build in it."""
    problems = []
    pe = int.from_bytes(data[0x3c:0x40], "little") if data[:2] == b"MZ" else 0
    if data[pe:pe + 4] != b"PE\0\0" or data[pe + 4:pe + 6] != b"\x4c\x01":
        return ["%s is not a 32-bit x86 PE file" % name]
    if data[pe + 8:pe + 12] != b"\0\0\0\0":
        problems.append("%s carries a link time stamp" % name)
    if REPO.encode() in data:
        problems.append("%s contains the source folder %s" % (name, REPO))
    return problems


def check(path):
    problems = []
    with zipfile.ZipFile(path) as z:
        names = z.namelist()
        if names != members():
            return ["members %r, expected %r" % (names, members())]
        data = {n: z.read(n) for n in names}
        if len({i.date_time for i in z.infolist()}) != 1:
            problems.append("members differ in time stamps")
    version = re.search(r"Quillet-(.+)-win32\.zip$", path).group(1)
    sums = dict(reversed(l.split("  ", 1)) for l in data[SUMS].decode().splitlines())
    for name in names:
        if name != SUMS and sums.get(name) != hashlib.sha256(data[name]).hexdigest():
            problems.append("%s does not match its line in %s" % (name, SUMS))
    if data["licenses/Quillet.txt"] != windows_text(read(os.path.join(REPO, "LICENSE")).decode()):
        problems.append("licenses/Quillet.txt is not the LICENSE file")
    if data[GUIDE] != user_guide(readme_text(), version):
        problems.append("%s is not the README's user part" % GUIDE)
    problems += guide_problems(readme_text(), version)
    marks = [m for m in ("**", "`", "|", "](", "\n#") if m in data[GUIDE].decode("utf-8")]
    if marks:
        problems.append("%s still has Markdown marks %r" % (GUIDE, marks))
    for name in BINARIES:
        problems += pe_problems(name, data[name])
    return problems


def main():
    if len(sys.argv) == 5 and sys.argv[1] == "assemble":
        print(assemble(*sys.argv[2:]))
        return 0
    if len(sys.argv) == 5 and sys.argv[1] == "installer":
        print(build_installer(*sys.argv[2:]))
        return 0
    if len(sys.argv) == 3 and sys.argv[1] == "check":
        problems = check(sys.argv[2])
        for p in problems:
            print("package: " + p)
        print("package: %s" % ("ok" if not problems else "%d problems" % len(problems)))
        return 1 if problems else 0
    if len(sys.argv) in (2, 3) and sys.argv[1] == "guide":
        readme = read(sys.argv[2] if len(sys.argv) == 3 else os.path.join(REPO, "README.md"))
        problems = guide_problems(readme.decode("utf-8"))
        for p in problems:
            print("guide: " + p)
        print("guide: %s" % ("ok" if not problems else "%d problems" % len(problems)))
        return 1 if problems else 0
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main())
