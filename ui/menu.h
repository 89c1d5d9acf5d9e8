// Numbered popup menus built item by item, with submenus, check marks and
// greyed items found by identifier; a choice arrives later as EventMenu.
#pragma once

#include <cstdint>
#include <string>

namespace quillet {

// Creates an empty popup menu under `number` and starts building it; non-zero on success.
int NewPopupMenu(int32_t number);
// Appends a text item to the menu or submenu being built; "&" marks the mnemonic.
void AddMenuItem(int32_t identifier, const std::u16string& label);
// Appends an entry opening a new submenu and builds into it (at most 64 deep).
void BeginSubmenu(const std::u16string& label);
// Goes back to the enclosing menu; does nothing without an open submenu.
void EndSubmenu();

// Both reach items inside submenus.
void SetMenuItemChecked(int32_t menu, int32_t identifier, bool on);
void SetMenuItemGreyed(int32_t menu, int32_t identifier, bool on);
// The check mark of an item, false for an unknown menu or item.
bool IsMenuItemChecked(int32_t menu, int32_t identifier);

// Shows the menu at the mouse pointer, owned by `owner` (HWND); returns when it
// closes, true when an item was chosen (its EventMenu is on the way).
bool ShowPopupMenu(int32_t menu, void* owner);

// The platform handle (HMENU), or none.
void* MenuHandle(int32_t menu);
void FreeMenu(int32_t menu);
void FreeAllMenus();

}  // namespace quillet
