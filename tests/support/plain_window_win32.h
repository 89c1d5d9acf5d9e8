// One window of a class of its own and a plain message loop: what the small
// Win32 programs beside Quillet (the key target, the minimal benchmark program)
// need of a window.
#pragma once

#include <windows.h>

namespace quillet {

// Registers `className` for `procedure` and creates one window of it, at (x, y)
// with the given size; nullptr on failure.
inline HWND OpenPlainWindow(HINSTANCE instance, WNDPROC procedure, const wchar_t* className,
                            const wchar_t* title, DWORD style, int x, int y, int width,
                            int height) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = className;
    if (!RegisterClassW(&wc)) return nullptr;
    return CreateWindowExW(0, className, title, style, x, y, width, height, nullptr, nullptr,
                           instance, nullptr);
}

// What a window procedure leaves to the system, except that closing the window
// ends the message loop.
inline LRESULT CALLBACK EndLoopOnDestroy(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

// Dispatches until WM_QUIT. No TranslateMessage: only raw key messages matter
// here, and Alt+key must not open a system menu.
inline void RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
}

}  // namespace quillet
