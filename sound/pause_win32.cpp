#include "sound/pause.h"

#include <windows.h>
#include <mmsystem.h>

#include <mutex>

namespace quillet {

void Pause(int ms) {
    static std::once_flag raised;
    std::call_once(raised, [] { timeBeginPeriod(1); });
    Sleep(ms < 0 ? 0 : static_cast<DWORD>(ms));
}

}  // namespace quillet
