// clang-format off
#include <windows.h>
#include <mmsystem.h>  // needs windows.h first
// clang-format on

#include <mutex>

#include "sound/pause.h"

namespace quillet {

void Pause(int ms) {
    static std::once_flag raised;
    std::call_once(raised, [] { timeBeginPeriod(1); });
    Sleep(ms < 0 ? 0 : static_cast<DWORD>(ms));
}

}  // namespace quillet
