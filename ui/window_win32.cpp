// The program's numbered windows and their window procedure.
#include <windows.h>

#include <algorithm>

#include "runtime/text.h"
#include "ui/numbered_table.h"
#include "ui/tray_text.h"
#include "ui/window.h"
#include "ui/window_internal.h"
#include "ui/window_messages.h"

namespace quillet {

namespace {

struct WindowRecord {
    HWND handle = nullptr;
    HACCEL acceleratorTable = nullptr;
    int32_t sizeState = 0;
    int32_t pendingShow = -1;
    int32_t opened = 0;
};

constexpr wchar_t WindowIdProperty[] = L"Tarn_WindowID";
constexpr wchar_t FocusProperty[] = L"Tarn_Focus";

NumberedTable<WindowRecord> windows;
HICON classIcon = nullptr;
HCURSOR arrowCursor = nullptr;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

// The window of the program that a handle belongs to: the handle itself or its
// nearest ancestor carrying the window id, made by this module.
HWND OwningProgramWindow(HWND hwnd, int32_t& number) {
    number = -1;
    for (HWND w = hwnd; w; w = GetParent(w)) {
        const auto id = reinterpret_cast<intptr_t>(GetPropW(w, WindowIdProperty));
        if (id == 0) continue;
        if (reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(w, GWLP_HINSTANCE)) != Instance()) {
            return nullptr;
        }
        number = static_cast<int32_t>(id - 1);
        return w;
    }
    return nullptr;
}

void MoveFocus(HWND window, bool previous) {
    HWND next = GetNextDlgTabItem(window, GetFocus(), previous ? TRUE : FALSE);
    if (next) SetFocus(next);
}

void ForgetWindow(HWND hwnd, int32_t number) {
    RemovePropW(hwnd, FocusProperty);
    RemovePropW(hwnd, WindowIdProperty);
    if (WindowRecord* r = windows.Find(number); r && r->handle == hwnd) {
        if (r->acceleratorTable) DestroyAcceleratorTable(r->acceleratorTable);
        windows.Free(number);
    }
    MainEventQueue().RemoveWindowEvents(number);
}

BOOL CALLBACK ForwardColourChange(HWND child, LPARAM) {
    SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    int32_t number = -1;
    HWND programWindow = OwningProgramWindow(hwnd, number);
    WindowRecord* record = windows.Find(number);
    if (record && record->handle != programWindow) record = nullptr;

    WindowContext context;
    context.number = record ? number : -1;
    context.isSelf = programWindow == hwnd;
    context.opened = record && record->opened == 1;
    context.sizeState = record ? &record->sizeState : nullptr;

    WindowMessage m{message, wParam, lParam};
    if (message == WM_COMMAND && lParam) {
        m.controlId = static_cast<int32_t>(GetWindowLongW(reinterpret_cast<HWND>(lParam), GWL_ID));
    } else if (message == msg::TrayCallback) {
        const std::u16string name = TrayPropertyName(static_cast<uint32_t>(wParam));
        const auto value = reinterpret_cast<intptr_t>(GetPropW(hwnd, Wide(name)));
        m.trayIcon = value ? static_cast<int32_t>(value - 1) : -1;
    }

    const int32_t cleanupNumber = number;
    const MessageOutcome out = HandleWindowMessage(MainEventQueue(), context, m);

    if (out.wakeWaiter) WakeEventWait();
    if (out.postNull) PostMessageW(hwnd, WM_NULL, 0, 0);
    if (out.moveFocus && programWindow) MoveFocus(programWindow, out.moveFocus < 0);
    if (out.saveFocus) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) SetPropW(hwnd, FocusProperty, focus);
        const LRESULT ui = SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0);
        if ((ui & (UISF_HIDEFOCUS | UISF_HIDEACCEL)) != (UISF_HIDEFOCUS | UISF_HIDEACCEL)) {
            SendMessageW(hwnd, WM_UPDATEUISTATE,
                         MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
        }
    }
    if (out.restoreFocus) {
        HWND focus = static_cast<HWND>(GetPropW(hwnd, FocusProperty));
        if (focus && IsWindow(focus) && IsChild(hwnd, focus)) SetFocus(focus);
    }
    if (out.forwardToChildren) {
        EnumChildWindows(hwnd, ForwardColourChange, 0);
    }
    if (out.cleanUp) {
        if (programWindow == hwnd) ForgetWindow(hwnd, cleanupNumber);
        DefWindowProcW(hwnd, message, wParam, lParam);
        return out.result;
    }
    if (out.callDefault) return DefWindowProcW(hwnd, message, wParam, lParam);
    return out.result;
}

void ActivateOwner(HWND hwnd) {
    if (HWND owner = GetWindow(hwnd, GW_OWNER)) SetActiveWindow(owner);
}

}  // namespace

void StartWindowLayer() {
    classIcon = LoadIconW(Instance(), MAKEINTRESOURCEW(1));
    arrowCursor = LoadCursorW(nullptr, IDC_ARROW);
}

void EndWindowLayer() {
    CloseWindow(-1);
    if (classIcon) DestroyIcon(classIcon);
    classIcon = nullptr;
}

void* OpenWindow(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                 const std::u16string& title, uint32_t flags, void* parent) {
    if (number < -1) return nullptr;
    if (number == -1) number = windows.FreeNumber();
    CloseWindow(number);

    const std::u16string className = WindowClassName(number);
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WindowProcedure;
    wc.hInstance = Instance();
    wc.hIcon = classIcon;
    wc.hCursor = arrowCursor;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = Wide(className);
    RegisterClassW(&wc);  // may already exist

    DWORD style = flags & ~WindowNoGadgetTarget;
    // Nothing asked beyond where to place it and whether to show it: a plain window
    // with a caption.
    constexpr uint32_t kPlacementFlags =
        WindowInvisible | WindowNoGadgetTarget | WindowCentreParent | WindowCentreScreen;
    if ((flags & ~kPlacementFlags) == 0) style |= WS_CAPTION;
    const bool invisible = style & WindowInvisible;
    style &= ~WindowInvisible;
    DWORD exStyle = 0;
    if (flags & WindowTool) {
        style &= ~(WS_MINIMIZE | WS_MAXIMIZE | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
        style |= WS_CAPTION;
        exStyle = WS_EX_TOOLWINDOW;
    }

    RECT outer{0, 0, width, height};
    AdjustWindowRectEx(&outer, style & ~7u, FALSE, exStyle);
    int px = x;
    int py = y;
    if (!(x != WindowDefaultPosition &&
          (y != WindowDefaultPosition || (flags & (WindowCentreScreen | WindowCentreParent))))) {
        px = CW_USEDEFAULT;
        py = CW_USEDEFAULT;
    }

    HWND owner = static_cast<HWND>(parent);
    HWND hwnd = CreateWindowExW(exStyle, Wide(className), Wide(title),
                                style & ~(7u | WindowNoActivate), px, py, outer.right - outer.left,
                                outer.bottom - outer.top, owner, nullptr, Instance(), nullptr);
    if (!hwnd) {
        UnregisterClassW(Wide(className), Instance());
        return nullptr;
    }
    WindowRecord* record = windows.Create(number);
    record->handle = hwnd;
    record->opened = 0;
    SetPropW(hwnd, WindowIdProperty, reinterpret_cast<HANDLE>(static_cast<intptr_t>(number) + 1));

    if (flags & (WindowCentreScreen | WindowCentreParent)) {
        RECT r{};
        GetWindowRect(hwnd, &r);
        const int w = r.right - r.left;
        const int h = r.bottom - r.top;
        bool move = true;
        int cx = 0;
        int cy = 0;
        if (flags & WindowCentreScreen) {
            const int sw = GetSystemMetrics(SM_CXSCREEN);
            const int sh = GetSystemMetrics(SM_CYSCREEN);
            cx = (sw - std::min(sw, w)) / 2;
            cy = (sh - std::min(sh, h)) / 2;
        } else if (owner) {
            RECT p{};
            GetWindowRect(owner, &p);
            cx = std::max(0L, p.left + ((p.right - p.left) - w) / 2);
            cy = std::max(0L, p.top + ((p.bottom - p.top) - h) / 2);
        } else {
            move = false;
        }
        if (move)
            SetWindowPos(hwnd, nullptr, cx, cy, 0, 0, SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE);
    }

    if (!invisible) {
        const bool quiet = flags & WindowNoActivate;
        int show = quiet ? SW_SHOWNOACTIVATE : SW_SHOWNORMAL;
        if (style & WS_MAXIMIZE) {
            show = quiet ? SW_SHOWNA : SW_MAXIMIZE;
        } else if (style & WS_MINIMIZE) {
            show = quiet ? SW_SHOWMINNOACTIVE : SW_SHOWMINIMIZED;
        }
        ShowWindow(hwnd, show);
    }

    record->sizeState = (style & (WS_MAXIMIZE | WS_MINIMIZE)) ? 1 : 0;
    ACCEL keys[2] = {{FVIRTKEY | FNOINVERT, VK_TAB, CommandNextControl},
                     {FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, CommandPreviousControl}};
    record->acceleratorTable = CreateAcceleratorTableW(keys, 2);
    record->pendingShow = -1;
    record->opened = 1;
    return hwnd;
}

void CloseWindow(int32_t number) {
    if (number == -1) {
        for (int32_t i = 0; i < windows.Capacity(); ++i) {
            if (windows.Find(i)) CloseWindow(i);
        }
        return;
    }
    WindowRecord* record = windows.Find(number);
    if (!record) return;
    HWND hwnd = record->handle;
    ActivateOwner(hwnd);
    DestroyWindow(hwnd);  // WM_NCDESTROY forgets the record
    windows.Free(number);
    UnregisterClassW(Wide(WindowClassName(number)), Instance());
    MainEventQueue().RemoveWindowEvents(number);
}

void* WindowHandle(int32_t number) {
    const WindowRecord* record = windows.Find(number);
    return record ? record->handle : nullptr;
}

int32_t WindowNumber(void* handle) {
    if (!handle) return -1;
    const auto id =
        reinterpret_cast<intptr_t>(GetPropW(static_cast<HWND>(handle), WindowIdProperty));
    const WindowRecord* record = windows.Find(static_cast<int32_t>(id - 1));
    return record && record->handle == handle ? static_cast<int32_t>(id - 1) : -1;
}

void* WindowAccelerators(int32_t number) {
    const WindowRecord* record = windows.Find(number);
    return record ? record->acceleratorTable : nullptr;
}

void HideWindowNumber(int32_t number, int hide) {
    WindowRecord* record = windows.Find(number);
    if (!record) return;
    HWND hwnd = record->handle;
    if (hide) {
        ActivateOwner(hwnd);
        ShowWindow(hwnd, SW_HIDE);
        return;
    }
    int state;
    if (record->pendingShow == -1) {
        state = IsZoomed(hwnd) ? SW_MAXIMIZE : IsIconic(hwnd) ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
    } else {
        state = record->pendingShow;
        record->pendingShow = -1;
    }
    ShowWindow(hwnd, state);
}

int AddWindowTimer(int32_t number, uint32_t timerId, uint32_t intervalMs) {
    const WindowRecord* record = windows.Find(number);
    if (!record) return 0;
    return SetTimer(record->handle, timerId, intervalMs, nullptr) != 0;
}

void RemoveWindowTimer(int32_t number, uint32_t timerId) {
    if (const WindowRecord* record = windows.Find(number)) KillTimer(record->handle, timerId);
}

}  // namespace quillet
