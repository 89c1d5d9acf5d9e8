// The "Recent keys" window's part of the thread's message loop. Windows only; it is
// opened through ShowRecentKeysWindow (ui/dialogs.h).
#pragma once

#include <windows.h>

namespace quillet {

// Handles `message` when it is the open window's (Tab between its controls, Escape
// to close it); false for any other message, which the loop dispatches itself.
bool TakeRecentKeysMessage(MSG& message);

}  // namespace quillet
