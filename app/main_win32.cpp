#include <windows.h>

#include "app/desktop_win32.h"

#ifdef QUILLET_FAULT_INJECTION
#include <thread>

#include "filter/keyboard_hook.h"

namespace {
// Each time the test sets the event, the hook goes as if Windows had removed it.
void StartFaultInjection() {
    HANDLE drop = CreateEventW(nullptr, FALSE, FALSE, L"QuilletTestDropHook");
    if (!drop) return;
    std::thread([drop] {
        while (WaitForSingleObject(drop, INFINITE) == WAIT_OBJECT_0) quillet::DropKeyboardHookForTest();
    }).detach();
}
}  // namespace
#endif

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
#ifdef QUILLET_FAULT_INJECTION
    StartFaultInjection();
#endif
    static quillet::AppState state;
    static quillet::Win32Desktop desktop(state);
    quillet::RunQuillet(desktop, state);
    ExitProcess(0);
}
