// What the shell keeps for the program's whole life, shared by start-up, the
// event loop and the restart, and the fixed texts of its message boxes.
#pragma once

#include <cstdint>
#include <string>

#include "filter/double_press_filter.h"
#include "filter/program_gets_its_keys_check.h"
#include "lang/language.h"
#include "prefs/settings.h"

namespace quillet {

struct AppState {
    // Chosen first thing at start-up; English until then.
    Language language;
    SettingsRecord settings;
    FilterState filter;
    // What the hook thread reads of the settings; see PublishFilterSettings.
    FilterSettings filterSettings;
    // The programs that get their keys, as the hook thread matches them; see PublishPrograms.
    PublishedPrograms programs;
    std::u16string executablePath;
    std::u16string parameterText;
    int32_t deferredClickPending = 0;
};

// The record's bit for Fn is the filter's for kGuardedKeys[n].
static_assert([] {
    for (size_t n = 1; n <= std::size(kSinglePressKeyNames); ++n) {
        if (kGuardedKeys[n].name != kSinglePressKeyNames[n - 1] ||
            SinglePressKeyBit(n) != GuardedKeyBit(n))
            return false;
    }
    return kSinglePressKeyMask == (GuardedKeyBit(kGuardedKeyCount) - 2);
}());

// Hands the settings the filter reads to the hook thread; called whenever they change.
inline void PublishFilterSettings(AppState& state) {
    state.filterSettings.excludeEscape = state.settings.exclude_escape;
    state.filterSettings.doublePressTimeout = state.settings.doublePressTimeout;
    state.filterSettings.singlePressKeys = state.settings.singlePressKeys;
}

// Hands the list of programs that get their keys to the hook thread, at start and
// after each change: every list published stays until the end.
inline void PublishPrograms(AppState& state) {
    state.programs.Publish(ProgramList(state.settings.exemptPrograms));
}

// The one parameter that starts Quillet without its start cue.
inline constexpr char16_t kSilentParameter[] = u"/silent";
inline constexpr char16_t kQuilletTitle[] = u"Quillet";
inline constexpr char16_t kAlreadyRunning[] = u"Already running.";
inline constexpr char16_t kErrorTitle[] = u"Error";
inline constexpr char16_t kMissingExportTitle[] = u"error";
inline constexpr char16_t kCannotLoadComponents[] = u"Could not load required components.";
inline constexpr char16_t kCannotInitializeKeys[] = u"Could not initialize keys.";
inline constexpr char16_t kEscapeName[] = u"Escape";
inline constexpr char16_t kKeyNameContext[] = u"key name";

// Shown on the braille display alone, for those who cannot hear the cues: what a
// menu choice did, indexed by the new state (0 off, 1 on), and the start and the end.
inline constexpr std::u16string_view kKeyPressTexts[2] = {u"%s: double press", u"%s: single press"};
inline constexpr std::u16string_view kLetKeysThroughTexts[2] = {u"Let keys through in %s: off",
                                                                u"Let keys through in %s: on"};
inline constexpr std::u16string_view kRunAsAdminTexts[2] = {u"Run as admin: off",
                                                            u"Run as admin: on"};
inline constexpr std::u16string_view kStartWithWindowsTexts[2] = {u"Start with Windows: off",
                                                                  u"Start with Windows: on"};
inline constexpr char16_t kQuilletRunning[] = u"Quillet is running";
inline constexpr char16_t kQuilletClosed[] = u"Quillet closed";

}  // namespace quillet
