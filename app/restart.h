// Relaunching the program: elevated at start when the settings ask for it, and
// from the menu after the run-as-administrator switch changed.
#pragma once

#include "app/app_state.h"
#include "app/seams.h"

namespace quillet {

// True when this instance must end: the elevated instance was launched, or the
// launch failed and another instance took the mutex meanwhile. Otherwise this
// instance has its mutex back and goes on.
bool RelaunchElevatedAtStart(Process& process, const AppState& state);

// True when this instance must end: the new instance was launched, or another one
// took the mutex meanwhile. Otherwise this instance has its mutex and tray icon back.
// The hook stays in throughout.
bool RestartFromMenu(Process& process, Shell& shell, Feedback& feedback, const AppState& state);

}  // namespace quillet
