#pragma once

#include <string>
#include <vector>

namespace quillet {

// Commands for the tray icon, popup menus and typed text: menu-items,
// count-windows, tray-exists, tray-delete, broadcast, type. Sets handled to
// false when the word is not one of them.
bool RunShellCommand(const std::vector<std::wstring>& words, bool& handled);

}  // namespace quillet
