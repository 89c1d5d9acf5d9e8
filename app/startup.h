// The program's whole life on its main thread: start-up, the event loop and
// every way out through the one end sequence.
#pragma once

#include <string>

#include "app/desktop.h"
#include "filter/double_press_filter.h"
#include "filter/key_tables.h"
#include "prefs/settings.h"

namespace quillet {

struct AppState {
    SettingsRecord settings;
    FilterState filter;
    // What the hook thread reads of the settings; see PublishFilterSettings.
    FilterSettings filterSettings;
    NamedConstantTable constants;
    std::u16string executablePath;
    std::u16string parameterText;
    int32_t deferredClickPending = 0;
};

inline constexpr char16_t kQuilletTitle[] = u"Quillet";
inline constexpr char16_t kAlreadyRunning[] = u"Already running.";
inline constexpr char16_t kErrorTitle[] = u"Error";
inline constexpr char16_t kMissingExportTitle[] = u"error";
inline constexpr char16_t kCannotLoadComponents[] = u"Could not load required components.";
inline constexpr char16_t kCannotInitializeKeys[] = u"Could not initialize keys.";

// Hands the settings the filter reads to the hook thread; called whenever they change.
inline void PublishFilterSettings(AppState& state) {
    state.filterSettings.excludeEscape = state.settings.exclude_escape;
    state.filterSettings.doublePressTimeout = state.settings.doublePressTimeout;
}

// Runs the program to its end; always 0, the process's exit code.
int RunQuillet(Desktop& desktop, AppState& state);

}  // namespace quillet
