// The tray icon's popup menu as one table: its items in display order with their
// identifiers and labels ("&" marks the mnemonic), and the submenu of the three
// ignore modes. The program, the window-layer probe and the tests build it from here.
#pragma once

#include <cstdint>
#include <string>

#include "ui/menu.h"

namespace quillet {

enum MenuId : int32_t {
    kMenuExcludeEscape = 0,
    kMenuTimeout = 1,
    kMenuIgnoreOff = 2,
    kMenuIgnoreNextKey = 3,
    kMenuIgnoreAlways = 4,
    kMenuRunAsAdmin = 5,
    kMenuExit = 6,
};

struct TrayMenuEntry {
    enum Kind : uint8_t { Item, OpenSubmenu, CloseSubmenu };
    Kind kind;
    int32_t id;  // items only
    const char16_t* label;
};

inline constexpr TrayMenuEntry kTrayMenu[] = {
    {TrayMenuEntry::Item, kMenuExcludeEscape, u"Exclude Escape key (allow single-press for it)"},
    {TrayMenuEntry::Item, kMenuTimeout, u"Change double press &timeout..."},
    {TrayMenuEntry::OpenSubmenu, -1, u"Ignore double-&press"},
    {TrayMenuEntry::Item, kMenuIgnoreOff, u"Don't ignore (default)"},
    {TrayMenuEntry::Item, kMenuIgnoreNextKey, u"Ignore for the next key &only"},
    {TrayMenuEntry::Item, kMenuIgnoreAlways, u"Ignore"},
    {TrayMenuEntry::CloseSubmenu, -1, u""},
    {TrayMenuEntry::Item, kMenuRunAsAdmin, u"Run as &admin"},
    {TrayMenuEntry::Item, kMenuExit, u"E&xit"},
};

// The translators' names for the two menus; mnemonics are kept apart within each.
inline constexpr char16_t kTrayMenuContext[] = u"tray menu";
inline constexpr char16_t kIgnoreSubmenuContext[] = u"ignore submenu";

// Builds the table as popup menu `number`, each label as `labelText(menu context,
// English label)` gives it; non-zero on success, as NewPopupMenu.
template <typename LabelText>
int BuildTrayMenu(int32_t number, LabelText labelText) {
    const int made = NewPopupMenu(number);
    const char16_t* context = kTrayMenuContext;
    for (const TrayMenuEntry& entry : kTrayMenu) {
        switch (entry.kind) {
            case TrayMenuEntry::Item:
                AddMenuItem(entry.id, labelText(context, entry.label));
                break;
            case TrayMenuEntry::OpenSubmenu:
                BeginSubmenu(labelText(context, entry.label));
                context = kIgnoreSubmenuContext;
                break;
            case TrayMenuEntry::CloseSubmenu:
                EndSubmenu();
                context = kTrayMenuContext;
                break;
        }
    }
    return made;
}

// The menu in English.
inline int BuildTrayMenu(int32_t number) {
    return BuildTrayMenu(
        number, [](const char16_t*, const char16_t* label) { return std::u16string(label); });
}

}  // namespace quillet
