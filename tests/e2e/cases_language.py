"""End-to-end cases for Quillet in the user's own language: Wine takes the
user interface language from LANG and LC_ALL, set for Quillet's processes of
one case only (Case.ui_locale). The driver measures the dialog's texts in the
message font, which Wine gives alike under every one of these locales."""

import struct
import time

from cases import HOT_KEY, case
from cases_shell import KEYS, close_menu, menu_items, open_menu, start
from harness import check, wait_until

# What each language shows and says, as its .po file has it.
LANGUAGES = {
    "de": {
        "locale": "de_DE.UTF-8",
        "top": ["Escape-Taste ausnehmen (einfacher Druck genügt)", "Doppeldruck-&Zeitlimit ändern...",
                "Doppeldruck &ignorieren", "&Tasten in key_target.exe durchlassen",
                "&Einfacher Druck für", "Als &Administrator ausführen", "Mit &Windows starten",
                "&Letzte Tasten...", "&Beenden"],
        "sub": ["Nicht ignorieren (Standard)", "Nur für die &nächste Taste ignorieren",
                "Immer ignorieren"],
        "escape": "Escape",
        "next_key_only": "Doppeldruck wird nur für die nächste Taste ignoriert.",
        "timeout_key": "z",
        "timeout_title": "Zeitlimit",
        "prompt": ("Wie lange soll Quillet auf den zweiten Tastendruck warten (in Millisekunden, "
                   "mindestens 50 ms)? Derzeit: 300, Standard: 300 ms. Leer lassen, um nichts zu "
                   "ändern."),
        "changed": ("Geändert", "Das neue Zeitlimit für den Doppeldruck beträgt 120 ms"),
        "already_running": "Läuft bereits.",
    },
    "fr": {
        "locale": "fr_FR.UTF-8",
        "top": ["Exclure la touche Échap (un seul appui suffit)",
                "Modifier le &délai du double appui...", "&Ignorer le double appui",
                "&Laisser passer les touches dans key_target.exe", "&Un seul appui pour",
                "Exécuter en tant qu'&administrateur", "Démarrer avec &Windows",
                "Touches &récentes...", "&Quitter"],
        "sub": ["Ne pas ignorer (par défaut)", "Ignorer &seulement pour la prochaine touche",
                "Toujours ignorer"],
        "escape": "échap",
        "next_key_only": "Double appui ignoré pour la prochaine touche seulement.",
        "timeout_key": "d",
        "timeout_title": "Délai",
        "prompt": ("Combien de temps Quillet doit-il attendre le second appui (en millisecondes, "
                   "50\u00a0ms au minimum)\u00a0? Actuellement\u00a0: 300, par défaut\u00a0: "
                   "300\u00a0ms. Laissez vide pour ne rien changer."),
        "changed": ("Modifié", "Le nouveau délai du double appui est de 120\u00a0ms"),
        "already_running": "Déjà en cours d'exécution.",
    },
}


def controls(c, dialog):
    """(client width, client height), [(class, x, y, w, h, wraps, need w, need h, text)]."""
    lines = c.driver("control-fit", dialog)
    _, width, height = lines[0].split(" ")
    found = []
    for line in lines[1:]:
        cls, x, y, w, h, mode, nw, nh, text = line.split(" ", 8)
        found.append((cls, int(x), int(y), int(w), int(h), mode == "wrap", int(nw), int(nh), text))
    return (int(width), int(height)), found


def check_not_clipped(c, dialog):
    (width, height), found = controls(c, dialog)
    check(len(found) == 2, "expected the prompt and the button: %r" % found)
    for cls, x, y, w, h, _, nw, nh, text in found:
        check(nw <= w and nh <= h, "%s %r needs %dx%d, has %dx%d" % (cls, text, nw, nh, w, h))
        check(x >= 0 and y >= 0 and x + w <= width and y + h <= height,
              "%s %r at %d,%d %dx%d is outside the %dx%d dialog" % (cls, text, x, y, w, h,
                                                                   width, height))


def language_case(code):
    lang = LANGUAGES[code]

    def in_language(c):
        c.ui_locale = lang["locale"]
        start(c)
        # The menu, both levels, with their mnemonics.
        items = menu_items(c, open_menu(c))
        top = [label for depth, _, _, _, label in items if depth == 0]
        sub = [label for depth, _, _, _, label in items if depth == 1]
        check(top == lang["top"], "top-level items %r" % top)
        check(sub == lang["sub"] + KEYS, "submenu items %r" % sub)
        close_menu(c)
        # A single Escape says the key's name, the hot key the new mode.
        c.focus_target()
        c.mark()
        c.driver("tap", "esc")
        c.wait_spoken(lang["escape"])
        time.sleep(0.4)
        c.mark()
        c.script(HOT_KEY)
        c.wait_spoken(lang["next_key_only"])
        # The timeout dialog: translated, not clipped, and its confirmation.
        open_menu(c)
        c.driver("tap", lang["timeout_key"])
        dialog = c.driver("wait-window", "InputRequester", lang["timeout_title"], 5000)[0]
        texts = c.read_box(dialog)
        check(lang["prompt"] in texts["text"], "prompt %r" % texts["text"])
        check_not_clipped(c, dialog)
        c.wait_in_front(dialog, "the timeout dialog never had the focus")
        c.driver("type", "120")
        c.driver("tap", "enter")
        title, text = lang["changed"]
        box = c.find_box(title, 5000)
        check(c.read_box(box)["text"] == [text], "confirmation %r" % c.read_box(box)["text"])
        c.close_box(box, title)
        # A second start says it in the same language.
        c.start_quillet(ready=False)
        box = c.find_box("Quillet")
        check(c.read_box(box)["text"] == [lang["already_running"]],
              "second start's box %r" % c.read_box(box)["text"])
        c.close_box(box, "Quillet")

    in_language.__name__ = "language_" + code
    return case(in_language)


for _code in LANGUAGES:
    language_case(_code)


@case
def language_english_dialog_layout_exact(c):
    """English keeps the dialog exactly as it always was."""
    start(c)
    open_menu(c)
    c.driver("tap", "t")
    dialog = c.driver("wait-window", "InputRequester", "Timeout", 5000)[0]
    left, top, right, bottom = map(int, c.driver("window-rect", dialog)[0].split())
    check((right - left, bottom - top) == (500, 140), "dialog %dx%d" % (right - left, bottom - top))
    _, found = controls(c, dialog)
    placed = [(cls, x, y, w, h, wraps) for cls, x, y, w, h, wraps, _, _, _ in found]
    check(placed == [("Static", 10, 10, 480, 22, False), ("Button", 210, 67, 80, 25, False)],
          "controls %r" % placed)
    c.driver("close-window", dialog)
    wait_until(lambda: c.try_driver("find-window", "InputRequester", "Timeout") is None, 5,
               "the dialog stayed open after its close box")


# Windows' text size at 225 % on a screen at 200 %: Wine reads LogPixels here before
# HKLM's Hardware Profiles\Current\Software\Fonts, and the message font as a LOGFONTW
# for 96 DPI (its own is 11 px); deleted, both are Wine's own again.
LARGE_TEXT = [
    (r"HKCU\Control Panel\Desktop", "LogPixels", "REG_DWORD", "192"),
    (r"HKCU\Control Panel\Desktop\WindowMetrics", "MessageFont", "REG_BINARY",
     (struct.pack("<5l8B", -25, 0, 0, 0, 400, 0, 0, 0, 1, 0, 0, 0, 0) +
      "Tahoma".encode("utf-16-le").ljust(64, b"\0")).hex()),
]


@case
def language_english_dialog_fits_large_text(c):
    """The prompt wraps whole inside the dialog, doubled for the DPI. Every window has
    the system's DPI under Wine, so the driver's message font is the dialog's (Wine
    answers WM_GETFONT to no other process)."""
    try:
        for key, name, kind, data in LARGE_TEXT:
            code, _, err = c.wine.run(["reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f"])
            check(code == 0, "reg add %s failed: %s" % (name, err.strip()))
        start(c)
        open_menu(c)
        c.driver("tap", "t")
        dialog = c.driver("wait-window", "InputRequester", "Timeout", 5000)[0]
        check_not_clipped(c, dialog)
        (width, _), found = controls(c, dialog)
        check(width > 960 and found[0][5], "prompt %r in a dialog %d wide" % (found[0], width))
    finally:
        for key, name, _, _ in LARGE_TEXT:
            c.wine.run(["reg", "delete", key, "/v", name, "/f"])
