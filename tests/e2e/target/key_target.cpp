// key_target: a plain visible window that records every key message it
// receives, so the end-to-end tests can tell which presses reached the
// foreground application. Usage: key_target <log-file> [title [class [parent]]]
// With a class the window is of that class (a Store app's frame, or the app's own
// window); with a parent's handle (decimal) it is put inside that window of
// another process, as a Store app's window is put inside its frame.
#include <windows.h>

#include <string>

#include "tests/support/plain_window_win32.h"

namespace quillet {
namespace {

const wchar_t* logPath = nullptr;

// Opened and closed per line so the harness can read the file at any time.
void Record(const std::string& line) {
    if (!logPath) return;
    HANDLE file = CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
}

// Posted by the harness to bring the window back to the front, for example
// after a message box of another program had taken it.
const UINT activateMessage = WM_APP + 1;

void ComeForward(HWND window) {
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    SetFocus(window);
}

const char* KeyKind(UINT msg) {
    switch (msg) {
        case WM_KEYDOWN:
            return "down";
        case WM_KEYUP:
            return "up";
        case WM_SYSKEYDOWN:
            return "sysdown";
        case WM_SYSKEYUP:
            return "sysup";
        default:
            return nullptr;
    }
}

LRESULT CALLBACK TargetProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (const char* kind = KeyKind(msg)) {
        Record(std::string(kind) + " " + std::to_string(wParam));
        // Alt+F4 closes the window, as in any program; no other key acts.
        if (msg != WM_SYSKEYDOWN || wParam != VK_F4) return 0;
    }
    switch (msg) {
        case WM_SETFOCUS:
            Record("focus");
            return 0;
        case WM_KILLFOCUS:
            Record("blur");
            return 0;
        case activateMessage:
            ComeForward(window);
            return 0;
    }
    return EndLoopOnDestroy(window, msg, wParam, lParam);
}

}  // namespace
}  // namespace quillet

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace quillet;
    if (__argc >= 2) logPath = __wargv[1];
    const wchar_t* title = __argc >= 3 ? __wargv[2] : L"Quillet key target";
    const wchar_t* className = __argc >= 4 ? __wargv[3] : L"QuilletKeyTarget";
    const auto parent =
        __argc >= 5 ? reinterpret_cast<HWND>(_wcstoui64(__wargv[4], nullptr, 10)) : nullptr;
    HWND window = OpenPlainWindow(instance, TargetProc, className, title,
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400, 200);
    if (!window) return 1;
    if (parent) {
        SetWindowLongPtrW(window, GWL_STYLE, WS_CHILD | WS_VISIBLE);
        if (!SetParent(window, parent)) return 1;
        MoveWindow(window, 0, 0, 300, 100, TRUE);
        Record("inside");
    } else {
        ComeForward(window);
    }
    RunMessageLoop();
    return 0;
}
