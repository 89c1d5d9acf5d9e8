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

namespace quillet {
namespace {

HHOOK hook = nullptr;

LRESULT CALLBACK SwallowF5(int code, WPARAM message, LPARAM data) {
    LRESULT chained = CallNextHookEx(nullptr, code, message, data);
    if (code == HC_ACTION && reinterpret_cast<KBDLLHOOKSTRUCT*>(data)->vkCode == VK_F5) return 1;
    return chained;
}

LRESULT CALLBACK HiddenProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace
}  // namespace quillet

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace quillet;
    WNDCLASSW wc{};
    wc.lpfnWndProc = HiddenProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"QuilletMinimal";
    if (!RegisterClassW(&wc)) return 1;
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"minimal", WS_OVERLAPPEDWINDOW, 0, 0,
                                  100, 100, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    if (__argc >= 2 && _wcsicmp(__wargv[1], L"/hook") == 0) {
        hook = SetWindowsHookExW(WH_KEYBOARD_LL, SwallowF5, GetModuleHandleW(nullptr), 0);
        if (!hook) return 1;
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (hook) UnhookWindowsHookEx(hook);
    return 0;
}
