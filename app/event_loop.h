// The event loop on the main thread and the tray menu's commands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/desktop.h"
#include "app/startup.h"

namespace quillet {

// Menu item identifiers, in display order.
enum MenuId : int32_t {
    kMenuExcludeEscape = 0,
    kMenuTimeout = 1,
    kMenuIgnoreOff = 2,
    kMenuIgnoreNextKey = 3,
    kMenuIgnoreAlways = 4,
    kMenuRunAsAdmin = 5,
    kMenuExit = 6,
};

inline constexpr char16_t kMenuExcludeEscapeLabel[] = u"Exclude Escape key (allow single-press for it)";
inline constexpr char16_t kMenuTimeoutLabel[] = u"Change double press &timeout...";
inline constexpr char16_t kMenuIgnoreSubmenuLabel[] = u"Ignore double-&press";
inline constexpr char16_t kMenuIgnoreOffLabel[] = u"Don't ignore (default)";
inline constexpr char16_t kMenuIgnoreNextKeyLabel[] = u"Ignore for the next key &only";
inline constexpr char16_t kMenuIgnoreAlwaysLabel[] = u"Ignore";
inline constexpr char16_t kMenuRunAsAdminLabel[] = u"Run as &admin";
inline constexpr char16_t kMenuExitLabel[] = u"E&xit";

enum class LoopEnd {
    Exit,       // Exit chosen or the window asked to close: shut down normally
    Restarted,  // a new instance was launched: end at once
};

LoopEnd RunEventLoop(Desktop& desktop, AppState& state);

// Shows the popup menu with its marks refreshed from the settings and the ignore mode.
void ShowTrayMenu(Desktop& desktop, const AppState& state);

// The timeout dialog's prompt for the current value.
std::u16string TimeoutPrompt(int32_t currentTimeout);

// The new timeout for an answer of the timeout dialog, or nothing when the
// answer changes nothing (empty, other characters, negative, too large).
std::optional<int32_t> ParseTimeoutAnswer(std::u16string_view answer);

}  // namespace quillet
