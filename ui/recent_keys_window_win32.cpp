// The "Recent keys" window: the hook's last decisions in a read-only text field a
// screen reader reads line by line, with Copy and Close. It stays open beside the menu,
// so the thread's own message loop hands it its keys (TakeRecentKeysMessage).
#include "ui/recent_keys_window_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "runtime/text.h"
#include "ui/dialog_owner_win32.h"
#include "ui/dialogs.h"
#include "ui/input_dialog_layout.h"

namespace quillet {

namespace {

// The class tools and tests find the window by.
constexpr wchar_t kClass[] = L"QuilletRecentKeys";
constexpr int kListId = 10;
constexpr int kCopyId = 11;
constexpr int kCloseId = IDCANCEL;

// At 96 DPI: the margin, the list's lines and the button's height; the list's width in
// the font's average characters, at least kBaseWidth pixels.
constexpr int kMargin = 10;
constexpr int kListLines = 16;
constexpr int kListChars = 72;
constexpr int kBaseWidth = 560;
constexpr int kButtonWidth = 90;
constexpr int kButtonPadding = 12;
constexpr int kButtonEdges = 8;

struct Window {
    HWND window = nullptr;
    HWND list = nullptr;
    HWND copy = nullptr;
    HWND close = nullptr;
    HFONT font = nullptr;
    HACCEL keys = nullptr;
    std::u16string report;
};

Window open;

int Scale(int pixels, int dpi) { return MulDiv(pixels, dpi, kBaseDpi); }

// The list's caret at the start of its last line, the newest decision, in view.
void ShowNewest() {
    const auto lines = static_cast<WPARAM>(SendMessageW(open.list, EM_GETLINECOUNT, 0, 0));
    const LRESULT start = SendMessageW(open.list, EM_LINEINDEX, lines > 0 ? lines - 1 : 0, 0);
    SendMessageW(open.list, EM_SETSEL, static_cast<WPARAM>(start), start);
    SendMessageW(open.list, EM_SCROLLCARET, 0, 0);
}

void CopyReport() {
    if (!OpenClipboard(open.window)) return;
    EmptyClipboard();
    const size_t bytes = (open.report.size() + 1) * sizeof(char16_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void* target = GlobalLock(memory)) {
            std::memcpy(target, open.report.c_str(), bytes);
            GlobalUnlock(memory);
            if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

// Sizes in the message font at the window's DPI: the list wide and high enough for its
// lines in that font, the buttons for their labels, the window around them.
void Layout(const std::u16string& copyLabel, const std::u16string& closeLabel) {
    const int dpi = WindowDpi(open.window);
    HFONT old = open.font;
    open.font = MessageFont(dpi);
    int lineHeight = Scale(13, dpi), charWidth = Scale(6, dpi), labelWidth = 0;
    if (HDC dc = GetDC(open.window)) {
        HGDIOBJ previous = SelectObject(dc, open.font);
        TEXTMETRICW metrics{};
        if (GetTextMetricsW(dc, &metrics)) {
            lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
            charWidth = metrics.tmAveCharWidth;
        }
        for (const std::u16string* label : {&copyLabel, &closeLabel}) {
            RECT r{0, 0, 0, 0};
            DrawTextW(dc, Wide(*label), static_cast<int>(label->size()), &r,
                      DT_CALCRECT | DT_SINGLELINE);
            labelWidth = std::max(labelWidth, static_cast<int>(r.right));
        }
        SelectObject(dc, previous);
        ReleaseDC(open.window, dc);
    }
    const int margin = Scale(kMargin, dpi);
    const int listWidth = std::max(Scale(kBaseWidth, dpi), kListChars * charWidth);
    const int listHeight = kListLines * lineHeight + Scale(kButtonEdges, dpi);
    const int buttonHeight = std::max(Scale(25, dpi), lineHeight + Scale(kButtonEdges, dpi));
    const int buttonWidth =
        std::max(Scale(kButtonWidth, dpi), labelWidth + 2 * Scale(kButtonPadding, dpi));
    const int buttonsY = margin + listHeight + margin;
    RECT outer{0, 0, margin + listWidth + margin, buttonsY + buttonHeight + margin};
    AdjustWindowRectEx(&outer, WS_CAPTION | WS_SYSMENU, FALSE, 0);
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    SetWindowPos(open.window, nullptr, std::max(0, (GetSystemMetrics(SM_CXSCREEN) - width) / 2),
                 std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    const auto place = [&](HWND control, int x, int y, int w, int h) {
        SetWindowPos(control, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(open.font), TRUE);
    };
    place(open.list, margin, margin, listWidth, listHeight);
    const int closeX = margin + listWidth - buttonWidth;
    place(open.close, closeX, buttonsY, buttonWidth, buttonHeight);
    place(open.copy, closeX - margin - buttonWidth, buttonsY, buttonWidth, buttonHeight);
    if (old) DeleteObject(old);
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == kCopyId) CopyReport();
            if (LOWORD(wParam) == kCloseId) DestroyWindow(window);
            return 0;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && open.list) SetFocus(open.list);
            return 0;
        case WM_DESTROY:
            NotifyWinEvent(EVENT_SYSTEM_DIALOGEND, window, OBJID_WINDOW, CHILDID_SELF);
            if (open.font) DeleteObject(open.font);
            if (open.keys) DestroyAcceleratorTable(open.keys);
            open = Window{};
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND Control(const wchar_t* cls, const std::u16string& text, DWORD style, DWORD exStyle, int id) {
    return CreateWindowExW(exStyle, cls, Wide(text), WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0,
                           0, 0, 0, open.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

void ShowRecentKeysWindow(const RecentKeysTexts& texts) {
    if (!open.window) {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSW wc{};
        wc.lpfnWndProc = Procedure;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
        wc.lpszClassName = kClass;
        RegisterClassW(&wc);  // fails harmlessly when it was registered before
        open.window =
            CreateWindowExW(WS_EX_CONTROLPARENT, kClass, Wide(texts.title), WS_CAPTION | WS_SYSMENU,
                            0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
        if (!open.window) return;
        open.list = Control(L"EDIT", u"", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL,
                            WS_EX_CLIENTEDGE, kListId);
        open.copy = Control(L"BUTTON", texts.copyLabel, BS_PUSHBUTTON, 0, kCopyId);
        open.close = Control(L"BUTTON", texts.closeLabel, BS_PUSHBUTTON, 0, kCloseId);
        // One Escape closes it: the field would take it for itself otherwise.
        ACCEL escape{FVIRTKEY, VK_ESCAPE, kCloseId};
        open.keys = CreateAcceleratorTableW(&escape, 1);
        Layout(texts.copyLabel, texts.closeLabel);
        ShowWindow(open.window, SW_SHOW);
        // A window of its own class is no dialog to a screen reader until it says so.
        NotifyWinEvent(EVENT_SYSTEM_DIALOGSTART, open.window, OBJID_WINDOW, CHILDID_SELF);
    }
    open.report = texts.report;
    SetWindowTextW(open.list, Wide(texts.list));
    SetForegroundWindow(open.window);
    BringWindowToTop(open.window);
    SetFocus(open.list);
    ShowNewest();
}

bool TakeRecentKeysMessage(MSG& message) {
    if (!open.window) return false;
    if (message.hwnd != open.window && !IsChild(open.window, message.hwnd)) return false;
    if (open.keys && TranslateAcceleratorW(open.window, open.keys, &message)) return true;
    return IsDialogMessageW(open.window, &message) != 0;
}

}  // namespace quillet
