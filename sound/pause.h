#pragma once

namespace quillet {

// Sleeps for the given number of milliseconds. On Windows the first call raises the
// system timer resolution to 1 ms so that short waits are not rounded up to ~16 ms.
void Pause(int ms);

}  // namespace quillet
