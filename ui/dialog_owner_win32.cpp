#include "ui/dialog_owner_win32.h"

#include <cstddef>

#include "ui/input_dialog_layout.h"

namespace quillet {

namespace {

// Functions of Windows 10, resolved at run time: older systems lack them.
template <typename Function>
Function FromUser32(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

int SystemDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

int WindowDpi(HWND window) {
    static const auto forWindow = FromUser32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    const int dpi = forWindow ? static_cast<int>(forWindow(window)) : 0;
    return dpi > 0 ? dpi : SystemDpi();
}

HFONT MessageFont(int dpi) {
    static const auto forDpi =
        FromUser32<BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT)>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW font{};
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0, dpi)) {
        font = metrics.lfMessageFont;
    } else {
        // The record without iPaddedBorderWidth, which every version accepts, in
        // sizes for the system's DPI.
        metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
            font = metrics.lfMessageFont;
        } else if (!GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font)) {
            return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        }
        font.lfHeight = MulDiv(font.lfHeight, dpi, SystemDpi());
    }
    HFONT made = CreateFontIndirectW(&font);
    return made ? made : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

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
