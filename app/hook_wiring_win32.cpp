#include "app/hook_wiring_win32.h"

#include "filter/keyboard_hook.h"

namespace quillet {

Win32KeyboardHook::Win32KeyboardHook(AppState& state, FilterFeedback& feedback,
                                     FrontWindowListener& inFront)
    : language_(state.language),
      feedback_(feedback),
      platform_(SystemFilterPlatform(state.programs, inFront, state.filter.programNames)),
      filter_(state.filter, state.filterSettings, *platform_, feedback) {}

bool Win32KeyboardHook::StartKeyboardHook() {
    return quillet::StartKeyboardHook(filter_, feedback_, language_.Text(kCannotInitializeKeys));
}

void Win32KeyboardHook::StopKeyboardHook() { quillet::StopKeyboardHook(); }

}  // namespace quillet
