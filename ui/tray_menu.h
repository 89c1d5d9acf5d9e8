// The tray icon's popup menu as one table: its items in display order with their
// identifiers and labels ("&" marks the mnemonic), the submenu of the three
// ignore modes and the submenu of the keys that pass on a single press; and the
// label of the item that names the program in front. The program, the window-layer
// probe and the tests build it from here; the window that shows it is ui/tray_window*.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/text.h"
#include "ui/tray_window.h"

namespace quillet {

enum MenuId : int32_t {
    kMenuExcludeEscape = 0,
    kMenuTimeout = 1,
    kMenuIgnoreOff = 2,
    kMenuIgnoreNextKey = 3,
    kMenuIgnoreAlways = 4,
    kMenuRunAsAdmin = 5,
    kMenuExit = 6,
    kMenuLetKeysThrough = 7,
    kMenuStartWithWindows = 8,
    // F1 to F12 in the single-press submenu.
    kMenuSinglePressF1 = 9,
    kMenuSinglePressF12 = 20,
    kMenuRecentKeys = 21,
};

// The n of Fn for a single-press item.
constexpr int32_t SinglePressKeyNumber(int32_t id) { return id - kMenuSinglePressF1 + 1; }

struct TrayMenuEntry {
    MenuEntry::Kind kind;
    int32_t id;  // an item's, or a submenu's marker
    const char16_t* label;
};

// The marker of the submenu that TrayMenuEntries fills with F1 to F12; no item has it.
inline constexpr int32_t kSinglePressSubmenu = -2;

inline constexpr TrayMenuEntry kTrayMenu[] = {
    {MenuEntry::Item, kMenuExcludeEscape, u"Exclude Escape key (allow single-press for it)"},
    {MenuEntry::Item, kMenuTimeout, u"Change double press &timeout..."},
    {MenuEntry::OpenSubmenu, -1, u"Ignore double-&press"},
    {MenuEntry::Item, kMenuIgnoreOff, u"Don't ignore (default)"},
    {MenuEntry::Item, kMenuIgnoreNextKey, u"Ignore for the next key &only"},
    {MenuEntry::Item, kMenuIgnoreAlways, u"Ignore"},
    {MenuEntry::CloseSubmenu, -1, u""},
    // Names the program in front each time the menu opens.
    {MenuEntry::Item, kMenuLetKeysThrough, u"&Let keys through in %s"},
    // Its items are F1 to F12 by their own names, kMenuSinglePressF1 on.
    {MenuEntry::OpenSubmenu, kSinglePressSubmenu, u"&Single press for"},
    {MenuEntry::CloseSubmenu, -1, u""},
    {MenuEntry::Item, kMenuRunAsAdmin, u"Run as &admin"},
    {MenuEntry::Item, kMenuStartWithWindows, u"Start with &Windows"},
    {MenuEntry::Item, kMenuRecentKeys, u"Recent &keys..."},
    {MenuEntry::Item, kMenuExit, u"E&xit"},
};

// The translators' names for the menu and for its submenus (one name for every submenu, as
// the catalogs have it); mnemonics are kept apart within each.
inline constexpr char16_t kTrayMenuContext[] = u"tray menu";
inline constexpr char16_t kSubmenuContext[] = u"ignore submenu";
// Shown in place of its tray menu item at times: its mnemonic stands in the same slot.
inline constexpr char16_t kTrayMenuAlternativeContext[] = u"tray menu alternative";

// "Let keys through" while no program is known to have been in front; greyed.
inline constexpr char16_t kLetKeysThroughNoProgram[] = u"&Let keys through in the program in front";

// The table with each label as `labelText(menu context, English label)` gives it.
template <typename LabelText>
std::vector<MenuEntry> TrayMenuEntries(LabelText labelText) {
    std::vector<MenuEntry> entries;
    const char16_t* context = kTrayMenuContext;
    for (const TrayMenuEntry& entry : kTrayMenu) {
        if (entry.kind == MenuEntry::CloseSubmenu) {
            entries.push_back({entry.kind, entry.id, {}});
            context = kTrayMenuContext;
            continue;
        }
        entries.push_back({entry.kind, entry.id, std::u16string(labelText(context, entry.label))});
        if (entry.kind == MenuEntry::OpenSubmenu) context = kSubmenuContext;
        if (entry.kind == MenuEntry::OpenSubmenu && entry.id == kSinglePressSubmenu) {
            for (int32_t id = kMenuSinglePressF1; id <= kMenuSinglePressF12; ++id) {
                entries.push_back(
                    {MenuEntry::Item, id,
                     std::u16string(u"F").append(IntegerText(SinglePressKeyNumber(id)))});
            }
        }
    }
    return entries;
}

// The label of "Let keys through" for the program in front, `programName` as the menu
// names it, empty while none is known; `language` looks the labels up as Language does.
template <typename Texts>
std::u16string LetKeysThroughLabel(std::u16string_view programName, const Texts& language) {
    if (programName.empty()) {
        return language.Text(kLetKeysThroughNoProgram, kTrayMenuAlternativeContext);
    }
    // The name's own "&" shows as itself, not as a mnemonic.
    std::u16string name;
    for (char16_t c : programName) {
        name += c;
        if (c == u'&') name += c;
    }
    return language.Text(u"&Let keys through in %s", kTrayMenuContext, name);
}

// The menu in English.
inline std::vector<MenuEntry> TrayMenuEntries() {
    return TrayMenuEntries([](const char16_t*, const char16_t* label) { return label; });
}

}  // namespace quillet
