#!/usr/bin/env python3
"""Writes the installer's own texts in every language as NSIS language strings,
from the same .po files as Quillet's texts (context "installer"), so that a
translator has one place.

    installer_texts.py OUTPUT.nsh TEMPLATE.pot LANG.po...

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
from po_compile import INSTALLER as CONTEXT, PoError, read_po  # noqa: E402

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
# The .po file's name -> the name of the language in NSIS's Modern UI.
LANGUAGES = {"de": "GERMAN", "es": "SPANISH", "fr": "FRENCH", "it": "ITALIAN",
             "pt_BR": "PORTUGUESEBR", "ru": "RUSSIAN"}


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


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    output, template, pos = argv[0], argv[1], argv[2:]
    try:
        known = {english for context, english, _, _, _ in read_po(template) if context == CONTEXT}
        missing = [english for english in TEXTS.values() if english not in known]
        if missing:
            raise PoError("%r (context %r) is not in %s" % (missing[0], CONTEXT,
                                                            os.path.basename(template)))
        lines = ["; Generated by installer/installer_texts.py from lang/po; do not edit."]
        lines += ["LangString %s ${LANG_ENGLISH} %s"
                  % (name, nsis_string(english, FOLDERS.get(name, ())))
                  for name, english in TEXTS.items()]
        for path in sorted(pos, key=os.path.basename):
            code = os.path.basename(path)[:-3]
            display = os.path.join(os.path.basename(os.path.dirname(path)), os.path.basename(path))
            texts = translations(path, display)
            if code not in LANGUAGES:
                raise PoError("%s: no installer language for %r; add it to LANGUAGES in %s"
                              % (display, code, os.path.basename(__file__)))
            lines += ["LangString %s ${LANG_%s} %s"
                      % (name, LANGUAGES[code],
                         nsis_string(texts.get(name, english), FOLDERS.get(name, ())))
                      for name, english in TEXTS.items()]
    except (PoError, OSError) as e:
        print("installer_texts: %s" % e, file=sys.stderr)
        return 1
    with open(output, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
