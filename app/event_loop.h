// The event loop on the main thread and the tray menu's commands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/app_state.h"
#include "app/desktop.h"
#include "app/tray_menu.h"

namespace quillet {

enum class LoopEnd {
    Exit,       // Exit chosen or the window asked to close: shut down normally
    Restarted,  // a new instance was launched: end at once
};

LoopEnd RunEventLoop(Desktop& desktop, AppState& state);

// Shows the popup menu with its marks refreshed from the settings and the ignore mode.
void ShowTrayMenu(Desktop& desktop, AppState& state);

// The timeout dialog's prompt for the current value.
std::u16string TimeoutPrompt(int32_t currentTimeout, const Language& language);

// The new timeout for an answer of the timeout dialog, or nothing when the
// answer changes nothing (empty, other characters, negative, too large).
std::optional<int32_t> ParseTimeoutAnswer(std::u16string_view answer);

}  // namespace quillet
