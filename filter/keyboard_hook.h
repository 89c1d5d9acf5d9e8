// The system side of the filter: the low-level keyboard hook and the key
// state and clock readings it needs. Windows only.
#pragma once

#include "filter/double_press_filter.h"

namespace quillet {

// GetKeyState and the performance-counter clock.
FilterPlatform& SystemFilterPlatform();

// Installs the WH_KEYBOARD_LL hook with `filter` deciding; false on failure.
bool InstallKeyboardHook(DoublePressFilter& filter);
void RemoveKeyboardHook();

}  // namespace quillet
