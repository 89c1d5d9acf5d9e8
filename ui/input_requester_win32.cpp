// The one-line input dialog: a prompt, a text field and an OK button, with its
// own message loop so the thread keeps pumping while it waits.
#include <windows.h>

#include <cstddef>
#include <vector>

#include "runtime/text.h"
#include "ui/input_dialog_layout.h"
#include "ui/requester_owner_win32.h"
#include "ui/requesters.h"

namespace quillet {

namespace {

constexpr wchar_t DialogClass[] = L"InputRequester";
constexpr int FieldId = 10;
constexpr int CommandOk = 1000;
constexpr int CommandCancel = 1001;

struct Dialog {
    HWND window = nullptr;
    HWND field = nullptr;
    HWND owner = nullptr;
    bool ownerDisabled = false;
    ThreadWindowsDisabled* disabled = nullptr;
    std::u16string answer;
    bool done = false;
};

HFONT DialogFont() {
    static HFONT font = [] {
        // The record without iPaddedBorderWidth, which every version accepts.
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
        HFONT made = nullptr;
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
            made = CreateFontIndirectW(&metrics.lfMessageFont);
        }
        return made ? made : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }();
    return font;
}

void Close(Dialog& d) {
    if (d.ownerDisabled) {
        EnableWindow(d.owner, TRUE);
        d.ownerDisabled = false;
    }
    if (d.disabled) d.disabled->Restore();
    if (d.window) {
        NotifyWinEvent(EVENT_SYSTEM_DIALOGEND, d.window, OBJID_WINDOW, CHILDID_SELF);
        DestroyWindow(d.window);
    }
}

LRESULT CALLBACK DialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* d = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!d) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == CommandOk) {
                const int length = GetWindowTextLengthW(d->field);
                std::vector<wchar_t> text(static_cast<size_t>(length) + 1, 0);
                const int got = GetWindowTextW(d->field, text.data(), length + 1);
                d->answer = FromWide(text.data(), static_cast<size_t>(got > 0 ? got : 0));
                Close(*d);
            } else if (LOWORD(wParam) == CommandCancel) {
                Close(*d);
            }
            return 0;
        case WM_CLOSE:
            Close(*d);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && d->field) SetFocus(d->field);
            return 0;
        case WM_NCDESTROY:
            d->window = nullptr;
            d->done = true;
            // Closed by a message sent from another thread, the loop may still sit in
            // GetMessageW, which returns only for a posted message.
            PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND Control(HWND parent, DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style,
             int x, int y, int w, int h, int id) {
    HWND control = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), TRUE);
    return control;
}

// What the prompt and the button label need in the dialog's font.
InputDialogTextSize MeasureTexts(const std::u16string& prompt, const std::u16string& okLabel,
                                 int promptWidth) {
    InputDialogTextSize needs;
    HDC dc = GetDC(nullptr);
    if (!dc) return needs;
    HGDIOBJ old = SelectObject(dc, DialogFont());
    const int length = static_cast<int>(prompt.size());
    SIZE line{};
    if (GetTextExtentPoint32W(dc, Wide(prompt), length, &line)) {
        needs.promptWidth = line.cx;
        needs.promptLineHeight = line.cy;
    }
    // The flags a wrapping STATIC draws with.
    RECT wrapped{0, 0, promptWidth, 0};
    DrawTextW(dc, Wide(prompt), length, &wrapped,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    needs.promptWrappedHeight = wrapped.bottom;
    RECT label{0, 0, 0, 0};
    DrawTextW(dc, Wide(okLabel), static_cast<int>(okLabel.size()), &label,
              DT_CALCRECT | DT_SINGLELINE);
    needs.buttonLabelWidth = label.right;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return needs;
}

void RunLoop(Dialog& d, HACCEL keys) {
    MSG m;
    while (!d.done) {
        const BOOL got = GetMessageW(&m, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // Leave the quit request for the loop that owns the thread.
            PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        if (d.window && keys && TranslateAcceleratorW(d.window, keys, &m)) continue;
        if (d.window && IsDialogMessageW(d.window, &m)) continue;
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    if (d.window) Close(d);
}

}  // namespace

std::u16string InputRequester(const std::u16string& title, const std::u16string& prompt,
                              const std::u16string& defaultText, const std::u16string& okLabel,
                              bool fitTexts) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    DialogFont();

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = DialogProcedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
    wc.lpszClassName = DialogClass;
    RegisterClassExW(&wc);

    Dialog d;
    d.owner = RequesterOwner();
    ThreadWindowsDisabled disabled;
    d.disabled = &disabled;
    if (d.owner && IsWindowEnabled(d.owner)) {
        EnableWindow(d.owner, FALSE);
        d.ownerDisabled = true;
    }

    const InputDialogLayout layout =
        fitTexts ? FitInputDialog(MeasureTexts(prompt, okLabel, InputDialogLayout().prompt.width))
                 : InputDialogLayout();
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - layout.width / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - layout.height / 2;
    d.window = CreateWindowExW(0, DialogClass, Wide(title), WS_CAPTION | WS_SYSMENU | WS_VISIBLE, x,
                               y, layout.width, layout.height, d.owner, nullptr, instance, &d);
    if (!d.window) {
        Close(d);
        UnregisterClassW(DialogClass, instance);
        return u"";
    }

    const auto place = [&](DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style,
                           const DialogRect& r, int id) {
        return Control(d.window, exStyle, cls, text, style, r.x, r.y, r.width, r.height, id);
    };
    // A translated prompt may hold "&", which is text here, never a mnemonic.
    place(0, L"STATIC", Wide(prompt),
          SS_NOPREFIX | (layout.promptWraps ? SS_LEFT : SS_LEFTNOWORDWRAP), layout.prompt, 0);
    d.field =
        place(WS_EX_CLIENTEDGE, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, layout.field, FieldId);
    place(0, L"BUTTON", Wide(okLabel), BS_DEFPUSHBUTTON | WS_TABSTOP, layout.button, CommandOk);
    SetFocus(d.field);
    if (!defaultText.empty()) {
        SendMessageW(d.field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(defaultText)));
        const auto end = static_cast<WPARAM>(defaultText.size());
        SendMessageW(d.field, EM_SETSEL, end, static_cast<LPARAM>(end));
    }

    ACCEL keys[2] = {{FVIRTKEY, VK_RETURN, CommandOk}, {FVIRTKEY, VK_ESCAPE, CommandCancel}};
    HACCEL table = CreateAcceleratorTableW(keys, 2);
    SetForegroundWindow(d.window);
    BringWindowToTop(d.window);
    // A window of its own class is no dialog to a screen reader until it says so.
    NotifyWinEvent(EVENT_SYSTEM_DIALOGSTART, d.window, OBJID_WINDOW, CHILDID_SELF);

    RunLoop(d, table);

    if (table) DestroyAcceleratorTable(table);
    UnregisterClassW(DialogClass, instance);
    return d.answer;
}

}  // namespace quillet
