// minimal_win32: the smallest resident Win32 program, built like Quillet.exe
// (i686, static, GUI subsystem, wWinMain), as the yardstick for Quillet's
// start-up time and idle cost: a hidden window and a message loop.
//
// "minimal_win32 /hook" also installs a low-level keyboard hook that
// swallows F5, so startup_probe can see when it is ready the same way it
// sees Quillet's hook, which swallows a first press of F5.
#include <windows.h>

#include <cstdlib>
#include <cwchar>

#include "tests/support/plain_window_win32.h"

namespace quillet {
namespace {

HHOOK hook = nullptr;

LRESULT CALLBACK SwallowF5(int code, WPARAM message, LPARAM data) {
    LRESULT chained = CallNextHookEx(nullptr, code, message, data);
    if (code == HC_ACTION && reinterpret_cast<KBDLLHOOKSTRUCT*>(data)->vkCode == VK_F5) return 1;
    return chained;
}

}  // namespace
}  // namespace quillet

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace quillet;
    HWND window = OpenPlainWindow(instance, EndLoopOnDestroy, L"QuilletMinimal", L"minimal",
                                  WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
    if (!window) return 1;
    if (__argc >= 2 && _wcsicmp(__wargv[1], L"/hook") == 0) {
        hook = SetWindowsHookExW(WH_KEYBOARD_LL, SwallowF5, GetModuleHandleW(nullptr), 0);
        if (!hook) return 1;
    }
    RunMessageLoop();
    if (hook) UnhookWindowsHookEx(hook);
    return 0;
}
