// Links between the window layer's own platform files.
#pragma once

#include <cstdint>

namespace quillet {

// The accelerator table (HACCEL) of a window of the program, or none.
void* WindowAccelerators(int32_t number);

// Posts the unlock message to the posted-event window so a blocked wait returns.
void WakeEventWait();

}  // namespace quillet
