// The program's whole life on its main thread: start-up, the event loop and every
// way out through the one end sequence.
#pragma once

#include "app/app_state.h"
#include "app/seams.h"

namespace quillet {

// Runs the program to its end; always 0, the process's exit code.
int RunQuillet(const Seams& seams, AppState& state);

}  // namespace quillet
