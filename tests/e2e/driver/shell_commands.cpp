#include "shell_commands.h"

#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>

#include "commands.h"
#include "menu_reader.h"
#include "output.h"
#include "window_access.h"

namespace quillet {
namespace {

using Words = std::vector<std::wstring>;

struct Count {
    const std::wstring* className;
    const std::wstring* title;
    int visible;
};

BOOL CALLBACK CountVisible(HWND window, LPARAM param) {
    auto* count = reinterpret_cast<Count*>(param);
    bool classMatches = *count->className == L"*" || ClassOf(window) == *count->className;
    bool titleMatches = count->title->empty() || TextOf(window) == *count->title;
    if (classMatches && titleMatches && IsWindowVisible(window)) ++count->visible;
    return TRUE;
}

// "count-windows <class|*> [title]": how many visible top-level windows match.
bool CountWindowsCommand(const Words& w) {
    if (w.size() < 2 || w.size() > 3) return Fail(L"usage: count-windows <class|*> [title]");
    std::wstring title = w.size() == 3 ? w[2] : L"";
    Count count{&w[1], &title, 0};
    EnumWindows(CountVisible, reinterpret_cast<LPARAM>(&count));
    PrintLine(std::to_wstring(count.visible));
    return true;
}

// The system tray knows an icon by its window and id; a modify request that
// changes nothing tells whether the tray still holds it.
bool TrayCall(const Words& w, DWORD message, bool& accepted) {
    HWND window = nullptr;
    int64_t id = 0;
    if (w.size() != 3) return Fail(L"usage: " + w[0] + L" <hwnd> <id>");
    // The window may be gone already: the tray keeps icons by handle value.
    int64_t handle = 0;
    if (!Number(w[1], handle) || !Number(w[2], id)) return false;
    window = reinterpret_cast<HWND>(static_cast<intptr_t>(handle));
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = UINT(id);
    accepted = Shell_NotifyIconW(message, &data) != FALSE;
    return true;
}

bool TrayExistsCommand(const Words& w) {
    bool present = false;
    if (!TrayCall(w, NIM_MODIFY, present)) return false;
    PrintLine(present ? L"present" : L"absent");
    return true;
}

bool TrayDeleteCommand(const Words& w) {
    bool deleted = false;
    return TrayCall(w, NIM_DELETE, deleted) && (deleted || Fail(L"the tray refused"));
}

// "broadcast <msg|registered-name> [wparam lparam]": sent to every top-level window.
bool BroadcastCommand(const Words& w) {
    int64_t msg = 0, wParam = 0, lParam = 0;
    if (w.size() != 2 && w.size() != 4) return Fail(L"usage: broadcast <msg|name> [wparam lparam]");
    if (!ParseNumber(w[1], msg)) msg = RegisterWindowMessageW(w[1].c_str());
    if (w.size() == 4 && (!Number(w[2], wParam) || !Number(w[3], lParam))) return false;
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, UINT(msg), WPARAM(wParam), LPARAM(lParam), SMTO_ABORTIFHUNG,
                        3000, &result);
    return true;
}

// "type <text>": each character as a Unicode key press and release, 20 ms apart.
bool TypeCommand(const Words& w) {
    if (w.size() != 2) return Fail(L"usage: type <text>");
    for (wchar_t c : w[1]) {
        INPUT input[2] = {};
        for (int i = 0; i < 2; ++i) {
            input[i].type = INPUT_KEYBOARD;
            input[i].ki.wScan = c;
            input[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
        }
        if (SendInput(2, input, sizeof(INPUT)) != 2) return Fail(L"SendInput refused");
        Sleep(20);
    }
    return true;
}

// "menu-items <hwnd of a #32768 window>": one line per item, submenus after
// their entry: "<depth> <id> <checked> <greyed> <highlighted> <label>" (id -1 for an entry
// that opens a submenu).
bool MenuItemsCommand(const Words& w) {
    HWND window = nullptr;
    if (w.size() != 2) return Fail(L"usage: menu-items <hwnd>");
    if (!Window(w[1], window)) return false;
    DWORD_PTR menu = 0;
    if (!SendMessageTimeoutW(window, 0x01E1 /* MN_GETHMENU */, 0, 0, SMTO_ABORTIFHUNG, 2000,
                             &menu) ||
        !menu) {
        return Fail(L"the window gave no menu");
    }
    std::vector<std::wstring> lines;
    if (!ReadMenu(window, reinterpret_cast<HMENU>(menu), lines)) return false;
    for (const std::wstring& line : lines) PrintLine(line);
    return true;
}

// "window-rect <hwnd>": "left top right bottom" in screen coordinates.
bool WindowRectCommand(const Words& w) {
    HWND window = nullptr;
    RECT r{};
    if (w.size() != 2) return Fail(L"usage: window-rect <hwnd>");
    if (!Window(w[1], window) || !GetWindowRect(window, &r)) return false;
    PrintLine(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
              std::to_wstring(r.right) + L" " + std::to_wstring(r.bottom));
    return true;
}

// What a control's text needs in the dialog font (the message font, made as the
// input dialog makes it: a font handle of another process cannot be used here).
SIZE TextNeeds(HWND control, const std::wstring& text, bool wraps, UINT prefix) {
    static HFONT font = [] {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
        return CreateFontIndirectW(&metrics.lfMessageFont);
    }();
    RECT client{};
    GetClientRect(control, &client);
    RECT need{0, 0, wraps ? client.right : 0, 0};
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need,
              DT_CALCRECT | DT_EXPANDTABS | prefix | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return {need.right, need.bottom};
}

// "control-fit <hwnd>": "client <w> <h>" of the window, then per child with a
// text "<class> <x> <y> <w> <h> <wrap|line> <needed w> <needed h> <text>", the
// position in client coordinates, so a case can tell a clipped text.
bool ControlFitCommand(const Words& w) {
    HWND window = nullptr;
    if (w.size() != 2) return Fail(L"usage: control-fit <hwnd>");
    if (!Window(w[1], window)) return false;
    RECT client{};
    GetClientRect(window, &client);
    PrintLine(L"client " + std::to_wstring(client.right) + L" " + std::to_wstring(client.bottom));
    for (const ChildWindow& child : ChildrenOf(window)) {
        if (child.text.empty()) continue;
        RECT r{};
        GetWindowRect(child.window, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        const bool isStatic =
            CompareStringOrdinal(child.className.c_str(), -1, L"Static", -1, TRUE) == CSTR_EQUAL;
        const LONG style = GetWindowLongW(child.window, GWL_STYLE);
        const bool wraps = isStatic && (style & SS_TYPEMASK) == SS_LEFT;
        const SIZE need = TextNeeds(child.window, child.text, wraps,
                                    isStatic && (style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
        PrintLine(child.className + L" " + std::to_wstring(r.left) + L" " + std::to_wstring(r.top) +
                  L" " + std::to_wstring(r.right - r.left) + L" " +
                  std::to_wstring(r.bottom - r.top) + (wraps ? L" wrap " : L" line ") +
                  std::to_wstring(need.cx) + L" " + std::to_wstring(need.cy) + L" " +
                  Escaped(child.text));
    }
    return true;
}

// "mouse <x> <y> [move|left|right]": moves the pointer there (screen
// coordinates), then optionally clicks that button.
bool MouseCommand(const Words& w) {
    int64_t x = 0, y = 0;
    if (w.size() < 3 || w.size() > 4) return Fail(L"usage: mouse <x> <y> [move|left|right]");
    if (!Number(w[1], x) || !Number(w[2], y)) return false;
    std::wstring action = w.size() == 4 ? w[3] : L"move";
    if (action != L"move" && action != L"left" && action != L"right") {
        return Fail(L"unknown mouse action: " + action);
    }
    INPUT input[3] = {};
    for (INPUT& i : input) i.type = INPUT_MOUSE;
    input[0].mi.dx = LONG(x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
    input[0].mi.dy = LONG(y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    UINT n = 1;
    if (action != L"move") {
        bool left = action == L"left";
        input[1].mi.dwFlags = left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN;
        input[2].mi.dwFlags = left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP;
        n = 3;
    }
    return SendInput(n, input, sizeof(INPUT)) == n || Fail(L"SendInput refused");
}

const std::map<std::wstring, std::function<bool(const Words&)>> shellCommands = {
    {L"window-rect", WindowRectCommand},
    {L"control-fit", ControlFitCommand},
    {L"mouse", MouseCommand},
    {L"count-windows", CountWindowsCommand},
    {L"tray-exists", TrayExistsCommand},
    {L"tray-delete", TrayDeleteCommand},
    {L"broadcast", BroadcastCommand},
    {L"type", TypeCommand},
    {L"menu-items", MenuItemsCommand},
};

}  // namespace

bool RunShellCommand(const Words& words, bool& handled) {
    auto it = shellCommands.find(words[0]);
    handled = it != shellCommands.end();
    return handled && it->second(words);
}

}  // namespace quillet
