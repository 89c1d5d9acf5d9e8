#include "ui/dialog_owner_win32.h"

namespace quillet {

HWND DialogOwner() {
    HWND foreground = GetForegroundWindow();
    if (!foreground) return nullptr;
    DWORD process = 0;
    GetWindowThreadProcessId(foreground, &process);
    return process == GetCurrentProcessId() ? foreground : nullptr;
}

BOOL CALLBACK ThreadWindowsDisabled::Collect(HWND window, LPARAM self) {
    auto& list = reinterpret_cast<ThreadWindowsDisabled*>(self)->windows_;
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return TRUE;
    if (!IsWindowVisible(window)) return TRUE;
    Remembered r{window, (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, false};
    if (window != GetForegroundWindow() && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        r.disabled = true;
    }
    list.push_back(r);
    return TRUE;
}

ThreadWindowsDisabled::ThreadWindowsDisabled() {
    EnumWindows(Collect, reinterpret_cast<LPARAM>(this));
    for (const Remembered& r : windows_) {
        if (r.topmost) {
            SetWindowPos(r.window, HWND_NOTOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
}

void ThreadWindowsDisabled::Restore() {
    for (const Remembered& r : windows_) {
        if (!IsWindow(r.window)) continue;
        if (r.disabled) EnableWindow(r.window, TRUE);
        if (r.topmost) {
            SetWindowPos(r.window, HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    windows_.clear();
}

}  // namespace quillet
