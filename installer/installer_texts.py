#!/usr/bin/env python3
"""Writes the installer's languages and its own texts in each as NSIS language
strings, from the same table of languages (lang/languages.csv) and .po files as
Quillet's texts (context "installer"), so that a translator has one place.

    installer_texts.py OUTPUT.nsh LANGUAGES.csv TEMPLATE.pot LANG.po...

The output loads each row's Modern UI language, English first, and defines the
macro QuilletLanguageOfId, which sets $R5 to the language of the primary
language id in $R4 (left as it is for one the table lacks). A row without its
.po file, or a .po file without its row, is an error, as in the program's build.

TEXTS below names each text for the installer script, which shows it as
$(Name). A text missing from the template is an error, and so is a translation
whose placeholders differ from the English (the file and line are named), as
the program's own catalog compiler refuses them. In these texts %s stands for
the installation folder, or for the script's variables that FOLDERS names, in
order. An empty or fuzzy translation shows the English.
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lang"))
from po_compile import INSTALLER as CONTEXT, PoError, catalogs_of, read_po  # noqa: E402

TEXTS = {
    "StartNow": "Start Quillet now",
    "StartWithWindows": "Start Quillet with Windows",
    "FolderNotWritable": (
        "You cannot write to the folder %s. Quillet keeps its settings beside itself, so it "
        "needs a folder you can write to. Choose another one, such as a folder in your user "
        "profile."),
    "StillRunning": (
        "Quillet is running from %s and did not exit when asked. Choose Exit in Quillet's "
        "menu in the notification area, then Retry. Cancel leaves everything as it is."),
    "RunningElsewhere": (
        "Quillet is running from %s. Close it and use the installed Quillet? Its settings "
        "come along."),
    "FolderIsRoot": (
        "You cannot install Quillet into the root of a drive (%s). Choose a folder in it, "
        "such as %s\\Quillet."),
    "SetupRunning": "Quillet's installer is already running. Finish or cancel it first.",
    "RunElevated": (
        "This installer was started as administrator. Start it again without \"Run as "
        "administrator\": it installs Quillet for you alone and needs no administrator "
        "rights."),
    "FileNotReplaced": (
        "Quillet could not be installed into %s: a file there could not be written. Another "
        "program may hold it open, or the disk may be full. A Quillet that was running runs "
        "again."),
    "NotRemoved": (
        "Quillet.exe in %s could not be removed: Quillet may still be running, or another "
        "program holds the file. Quillet stays in the installed apps, so that you can remove "
        "it again later."),
}
# What each %s of a text stands for, when it is not the installation folder.
FOLDERS = {"StillRunning": ["$QuilletFolder"], "RunningElsewhere": ["$QuilletFolder"],
           "FolderIsRoot": ["$FolderRoot", "$FolderRoot"]}


def placeholders(text):
    """The placeholders in order ('s' for %s); "%%" is a percent sign."""
    kinds, i = [], 0
    while i < len(text):
        if text[i] != "%":
            i += 1
        elif i + 1 == len(text):
            kinds.append("%")
            i += 1
        else:
            if text[i + 1] != "%":
                kinds.append(text[i + 1])
            i += 2
    return kinds


def nsis_string(text, folders=()):
    """A quoted NSIS string: its own specials escaped, each %s the next of
    folders, the installation folder when there are none."""
    out, i, folders = [], 0, list(folders)
    specials = {"$": "$$", '"': '$\\"', "\n": "$\\r$\\n", "\t": "$\\t", "\r": ""}
    while i < len(text):
        if text.startswith("%s", i):
            out.append(folders.pop(0) if folders else "$INSTDIR")
            i += 2
        elif text.startswith("%%", i):
            out.append("%")
            i += 2
        else:
            out.append(specials.get(text[i], text[i]))
            i += 1
    return '"' + "".join(out) + '"'


def translations(path, display):
    """{name: translated text} of one .po file, checked."""
    english_to_name = {english: name for name, english in TEXTS.items()}
    found = {}
    for context, english, text, line, fuzzy in read_po(path):
        if context != CONTEXT or fuzzy or not text:
            continue
        if english not in english_to_name:
            continue  # an old text: the program's catalog check reports unknown ones
        if placeholders(text) != placeholders(english):
            raise PoError("%s:%d: the placeholders (%%d, %%s) differ from the English text"
                          % (display, line))
        found[english_to_name[english]] = text
    return found


def language_of_id(rows):
    """The macro QuilletLanguageOfId: a row of the primary language alone wins over
    one region's row of it, as in the program's choice."""
    chosen = {}
    for row in rows:
        primary = row.id & 0x3FF
        if primary not in chosen or row.id == primary and chosen[primary].id != primary:
            chosen[primary] = row
    lines = ["!macro QuilletLanguageOfId"]
    for n, (primary, row) in enumerate(chosen.items()):
        lines += ["  ${%s} $R4 = 0x%02X" % ("If" if n == 0 else "ElseIf", primary),
                  "    StrCpy $R5 ${LANG_%s}" % row.installer.upper()]
    return lines + ["  ${EndIf}", "!macroend"]


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    output, table, template, pos = argv[0], argv[1], argv[2], argv[3:]
    try:
        rows, catalogs = catalogs_of(table, template, pos)
        known = {english for context, english, _, _, _ in read_po(template) if context == CONTEXT}
        missing = [english for english in TEXTS.values() if english not in known]
        if missing:
            raise PoError("%r (context %r) is not in %s" % (missing[0], CONTEXT,
                                                            os.path.basename(template)))
        lines = ["; Generated by installer/installer_texts.py from lang/languages.csv and "
                 "lang/po; do not edit."]
        lines += ['!insertmacro MUI_LANGUAGE "%s"' % row.installer for row in rows]
        lines += ["LangString %s ${LANG_%s} %s"
                  % (name, rows[0].installer.upper(),
                     nsis_string(english, FOLDERS.get(name, ())))
                  for name, english in TEXTS.items()]
        for row, path in catalogs:
            display = os.path.join(os.path.basename(os.path.dirname(path)), os.path.basename(path))
            texts = translations(path, display)
            lines += ["LangString %s ${LANG_%s} %s"
                      % (name, row.installer.upper(),
                         nsis_string(texts.get(name, english), FOLDERS.get(name, ())))
                      for name, english in TEXTS.items()]
        lines += language_of_id(rows)
    except (PoError, OSError) as e:
        print("installer_texts: %s" % e, file=sys.stderr)
        return 1
    with open(output, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
