#include <chrono>
#include <thread>

#include "sound/pause.h"

namespace quillet {

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms < 0 ? 0 : ms)); }

}  // namespace quillet
