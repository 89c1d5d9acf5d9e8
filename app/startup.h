// Start-up: every layer brought up in its fixed order, up to the keyboard hook.
#pragma once

#include "app/app_state.h"
#include "app/seams.h"

namespace quillet {

// True when everything is up and the event loop is to run. False after an early
// exit (a second instance, an elevated relaunch, no speech library, no hook) has
// shown its message or launched its successor: only the end sequence is left.
bool StartUp(const Seams& seams, AppState& state);

}  // namespace quillet
