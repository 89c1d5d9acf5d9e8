#include <windows.h>

#include <mutex>

#include "runtime/module_path.h"
#include "sound/pause.h"

namespace quillet {

namespace {

// winmm is no import of ours: it is not among the libraries Windows always takes
// from the system folder, so a copy beside the executable would be loaded before
// our first line ran.
void RaiseTimerResolution() {
    using TimeBeginPeriod = UINT(WINAPI*)(UINT);
    // Never freed: the raised resolution is meant to last as long as the process.
    auto winmm = static_cast<HMODULE>(LoadSystemLibrary(u"winmm.dll"));
    if (!winmm) return;
    auto begin = reinterpret_cast<TimeBeginPeriod>(
        reinterpret_cast<void*>(GetProcAddress(winmm, "timeBeginPeriod")));
    if (begin) begin(1);
}

}  // namespace

void Pause(int ms) {
    static std::once_flag raised;
    std::call_once(raised, RaiseTimerResolution);
    Sleep(ms < 0 ? 0 : static_cast<DWORD>(ms));
}

}  // namespace quillet
