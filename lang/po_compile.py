#!/usr/bin/env python3
"""Compiles the translations (gettext .po files) into one C++ source, so the
program carries them inside the executable.

    po_compile.py OUTPUT LANGUAGES.csv TEMPLATE.pot LANG.po...

LANGUAGES.csv is the table of languages (lang/languages.csv): each row but the
first (English, the template's) needs its .po file among those given, named for
its code ("de.po", "pt_BR.po"), and each .po file given needs its row; either
missing is an error naming the row or the file. The source also carries each
row's Windows language id, for LanguageNameOfId. Entries that
are empty or marked fuzzy are left out: the program shows the English text
for them. A msgid or msgctxt the template does not know is an error (a typo
would otherwise fall back to English unnoticed). Every translation is checked
by the compiler through static_assert: the same placeholders as the English,
and in the menus (contexts ending in "menu") a mnemonic where the English has
one and no two mnemonics alike within one menu. The failing file and line are
in the compiler's message.

A label shown at times in place of a menu item (the item greyed, say) has the
menu's context followed by " alternative" and comes in the template right
after the item it stands for: it is checked as a label of that menu, in its
item's slot.

Texts of the context "installer" are the installer's, which takes them from the
same files (installer/installer_texts.py); the program leaves them out.
"""

import os
import sys

ESCAPES = {"n": "\n", "t": "\t", "r": "\r", "\\": "\\", '"': '"', "a": "\a", "b": "\b",
           "f": "\f", "v": "\v"}


class PoError(Exception):
    pass


def unquote(text, where):
    text = text.strip()
    if len(text) < 2 or text[0] != '"' or text[-1] != '"':
        raise PoError("%s: expected a quoted string" % where)
    out = []
    i = 1
    while i < len(text) - 1:
        c = text[i]
        if c == "\\":
            i += 1
            if text[i] not in ESCAPES:
                raise PoError("%s: unknown escape \\%s" % (where, text[i]))
            out.append(ESCAPES[text[i]])
        else:
            out.append(c)
        i += 1
    return "".join(out)


def read_po(path):
    """[(context, msgid, msgstr, line, fuzzy)] of the file, header left out."""
    entries = []
    current = None
    field = None

    def finish():
        if current and "msgid" in current:
            entries.append(current)

    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    for number, line in enumerate(lines, 1):
        where = "%s:%d" % (path, number)
        stripped = line.strip()
        if not stripped:
            continue
        if stripped.startswith("#"):
            if "msgid" in (current or {}) and field != "comment":
                finish()
                current = None
            if current is None:
                current = {"line": number, "fuzzy": False}
            field = "comment"
            if stripped.startswith("#,") and "fuzzy" in stripped[2:].replace(",", " ").split():
                current["fuzzy"] = True
            continue
        keyword, _, rest = stripped.partition(" ")
        if keyword in ("msgctxt", "msgid", "msgstr"):
            if current is None or (keyword in ("msgctxt", "msgid") and "msgid" in current):
                finish()
                current = {"line": number, "fuzzy": False}
            if keyword == "msgid":
                current["line"] = number
            if keyword in current:
                raise PoError("%s: a second %s in one entry" % (where, keyword))
            current[keyword] = unquote(rest, where)
            field = keyword
        elif stripped.startswith('"') and field in ("msgctxt", "msgid", "msgstr"):
            current[field] += unquote(stripped, where)
        else:
            raise PoError("%s: cannot read %r" % (where, stripped))
    finish()
    result = []
    for e in entries:
        if "msgstr" not in e:
            raise PoError("%s:%d: msgid without msgstr" % (path, e["line"]))
        if e["msgid"] == "":
            continue
        result.append((e.get("msgctxt", ""), e["msgid"], e["msgstr"], e["line"], e["fuzzy"]))
    return result


class LanguageRow:
    """A row of the table of languages: code, Windows language id, name, installer."""

    def __init__(self, fields, line):
        self.code, langid, self.name, self.installer = fields
        self.id = int(langid, 16)
        self.line = line
        self.tag = self.code.replace("_", "-")


def display_path(path, parts):
    """The last `parts` components of path, as messages show it."""
    return os.path.join(*os.path.normpath(path).split(os.sep)[-parts:])


def read_languages(path):
    """The rows of the table of languages, in order; '#' starts a comment line."""
    rows = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            fields = [field.strip() for field in line.split(",")]
            where = "%s:%d" % (display_path(path, 2), number)
            if len(fields) != 4 or not all(fields):
                raise PoError("%s: expected code, Windows language id, name, installer language"
                              % where)
            try:
                row = LanguageRow(fields, number)
            except ValueError:
                raise PoError("%s: %r is not a language id such as 0x07" % (where, fields[1]))
            if any(r.code == row.code for r in rows):
                raise PoError("%s: a second row for %r" % (where, row.code))
            rows.append(row)
    if not rows:
        raise PoError("%s: no languages" % display_path(path, 2))
    return rows


def catalogs_of(table, template, pos):
    """[(row, .po path)] for every row after the first, in the table's order."""
    rows = read_languages(table)
    by_code = {os.path.basename(path)[:-3]: path for path in pos}
    for code, path in sorted(by_code.items()):
        if not any(row.code == code for row in rows[1:]):
            raise PoError("%s: no row for %r in %s" % (display_path(path, 3), code,
                                                         display_path(table, 2)))
    for row in rows[1:]:
        if row.code not in by_code:
            raise PoError("%s:%d: %s (%s) has no catalog %s.po beside %s"
                          % (display_path(table, 2), row.line, row.name, row.code, row.code,
                             os.path.basename(template)))
    return rows, [(row, by_code[row.code]) for row in rows[1:]]


def literal(text):
    out = []
    for c in text:
        if c in '"\\':
            out.append("\\" + c)
        elif 0x20 <= ord(c) < 0x7F:
            out.append(c)
        elif ord(c) <= 0xFFFF:
            out.append("\\u%04x" % ord(c))
        else:
            raise PoError("character U+%X outside the 16-bit range" % ord(c))
    return 'u"' + "".join(out) + '"'


def message(text):
    return '"' + text.replace("\\", "/").replace('"', "'") + '"'


ALTERNATIVE = " alternative"
INSTALLER = "installer"


def menu_context(context):
    """The menu whose labels the context holds, or None."""
    if context.endswith(ALTERNATIVE):
        context = context[:-len(ALTERNATIVE)]
    return context if context.endswith("menu") else None


def alternatives(template_order):
    """{alternative: the (context, English) of the item it stands for}."""
    found = {}
    for n, (context, english) in enumerate(template_order):
        if not context.endswith(ALTERNATIVE) or menu_context(context) is None:
            continue
        primary = template_order[n - 1] if n > 0 else None
        if not primary or primary[0] != menu_context(context):
            raise PoError("%r (context %r) does not follow an item of the %s" %
                          (english, context, menu_context(context)))
        found[(context, english)] = primary
    return found


def compile_language(row, path, display, known, template_order):
    tag = row.tag
    name = "kCatalog_" + row.code
    entries = []
    checks = []
    seen = set()
    for context, english, text, line, fuzzy in read_po(path):
        where = "%s:%d" % (display, line)
        if (context, english) not in known:
            raise PoError("%s: %r (context %r) is not a text of the program" % (where, english, context))
        if (context, english) in seen:
            raise PoError("%s: %r is translated twice" % (where, english))
        seen.add((context, english))
        if fuzzy or not text or context == INSTALLER:
            continue
        entries.append((context, english, text))
        checks.append("static_assert(SamePlaceholders(%s, %s),\n              %s);" % (
            literal(english), literal(text),
            message("%s: the placeholders (%%d, %%s) differ from the English text" % where)))
        if menu_context(context):
            checks.append("static_assert(SameMnemonicCount(%s, %s),\n              %s);" % (
                literal(english), literal(text),
                message("%s: a menu label has a mnemonic (&) exactly where the English has one"
                        % where)))
    translated = {(c, e): t for c, e, t in entries}

    def label(key):
        return translated.get(key, key[1])

    menus = {}
    for key in template_order:
        if key[0].endswith("menu"):
            menus.setdefault(key[0], []).append(key)
    # Each menu as it shows, then once more with each alternative in its item's slot.
    shown = [(context, [label(k) for k in keys]) for context, keys in menus.items()]
    for alternative, primary in alternatives(template_order).items():
        keys = menus[primary[0]]
        shown.append((primary[0], [label(alternative if k == primary else k) for k in keys]))
    for context, labels in shown:
        checks.append("static_assert(MnemonicsDistinct({%s}),\n              %s);" % (
            ", ".join(literal(l) for l in labels),
            message("%s: two items of the %s share a mnemonic (&)" % (display, context))))
    rows = "".join("    {%s, %s, %s},\n" % (literal(c), literal(e), literal(t))
                   for c, e, t in entries)
    if rows:
        table = "constexpr CatalogEntry %s[] = {\n%s};\n" % (name, rows)
    else:
        table = "constexpr std::span<const CatalogEntry> %s{};\n" % name
    source = table + "\n".join(checks) + "\n\n"
    return tag, name, source


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    output, table, template, pos = argv[0], argv[1], argv[2], argv[3:]
    try:
        rows, languages = catalogs_of(table, template, pos)
        template_order = [(c, e) for c, e, _, _, _ in read_po(template)]
        known = set(template_order)
        parts = []
        catalogs = []
        for row, path in languages:
            tag, name, source = compile_language(row, path, display_path(path, 3), known,
                                                 template_order)
            parts.append(source)
            catalogs.append('    {"%s", %s},\n' % (tag, name))
        ids = "".join('    {0x%04X, "%s"},  // %s\n' % (row.id, row.tag, row.name) for row in rows)
    except (PoError, OSError) as e:
        print("po_compile: %s" % e, file=sys.stderr)
        return 1
    text = ("// Generated by lang/po_compile.py from lang/languages.csv and the .po files; "
            "do not edit.\n"
            '#include "lang/catalog.h"\n#include "lang/catalog_checks.h"\n\n'
            "namespace quillet {\n\nnamespace {\n\n%s"
            "constexpr Catalog kCatalogs[] = {\n%s};\n\n"
            "constexpr LanguageId kLanguageIds[] = {\n%s};\n\n}  // namespace\n\n"
            "std::span<const Catalog> BuiltInCatalogs() { return kCatalogs; }\n\n"
            "std::span<const LanguageId> BuiltInLanguageIds() { return kLanguageIds; }\n\n"
            "}  // namespace quillet\n") % ("".join(parts), "".join(catalogs), ids)
    old = None
    if os.path.exists(output):
        with open(output, encoding="utf-8") as f:
            old = f.read()
    if old != text:
        with open(output + ".tmp", "w", encoding="utf-8") as f:
            f.write(text)
        os.replace(output + ".tmp", output)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
