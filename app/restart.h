// Relaunching the program: elevated at start when the settings ask for it, and
// from the menu after the run-as-administrator switch changed.
#pragma once

#include "app/desktop.h"
#include "app/startup.h"

namespace quillet {

// True when the elevated instance was launched and this one must end. On a
// refused or failed launch this instance takes its mutex back and goes on.
bool RelaunchElevatedAtStart(Desktop& desktop, const AppState& state);

// True when the new instance was launched and this one must end. On failure
// this instance takes its mutex back, restores its tray icon and keeps guarding.
bool RestartFromMenu(Desktop& desktop, const AppState& state);

}  // namespace quillet
