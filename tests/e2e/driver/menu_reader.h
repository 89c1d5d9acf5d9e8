#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quillet {

// Lists a menu's items, submenus after their entry, one line each:
// "<depth> <id> <checked 0|1> <greyed 0|1> <highlighted 0|1> <label>". The menu may belong to
// the process that owns the window.
bool ReadMenu(HWND owner, HMENU menu, std::vector<std::wstring>& lines);

}  // namespace quillet
