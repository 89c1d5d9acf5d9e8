// The one-line input dialog: a prompt, a text field and an OK button, with its
// own message loop so the thread keeps pumping while it waits.
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "runtime/text.h"
#include "ui/dialog_owner_win32.h"
#include "ui/dialogs.h"
#include "ui/input_dialog_layout.h"

namespace quillet {

namespace {

// The class name tools and tests find the dialog by; it has always been this.
constexpr wchar_t DialogClass[] = L"InputRequester";
constexpr int FieldId = 10;
constexpr int CommandOk = 1000;
constexpr int CommandCancel = 1001;

struct Dialog {
    HWND window = nullptr;
    HWND prompt = nullptr;
    HWND field = nullptr;
    HWND button = nullptr;
    HFONT font = nullptr;
    HWND owner = nullptr;
    bool ownerDisabled = false;
    ThreadWindowsDisabled* disabled = nullptr;
    std::u16string promptText;
    std::u16string okLabel;
    bool fitTexts = false;
    std::u16string answer;
    bool done = false;
};

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

void OnDpiChanged(Dialog& d, int dpi, const RECT& suggested);

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
        case WM_DPICHANGED:
            if (d->button) OnDpiChanged(*d, LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
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
             int x, int y, int w, int h, int id, HFONT font) {
    HWND control = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return control;
}

// What the prompt and the button label need in the dialog's font, and the window's frame.
InputDialogTextSize MeasureTexts(const Dialog& d, int promptWidth) {
    InputDialogTextSize needs;
    RECT outer{}, client{};
    if (GetWindowRect(d.window, &outer) && GetClientRect(d.window, &client)) {
        needs.frameHeight = (outer.bottom - outer.top) - client.bottom;
    }
    HDC dc = GetDC(nullptr);
    if (!dc) return needs;
    HGDIOBJ old = SelectObject(dc, d.font);
    TEXTMETRICW metrics{};
    if (GetTextMetricsW(dc, &metrics))
        needs.fontHeight = metrics.tmHeight - metrics.tmInternalLeading;
    const std::u16string& prompt = d.promptText;
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
    DrawTextW(dc, Wide(d.okLabel), static_cast<int>(d.okLabel.size()), &label,
              DT_CALCRECT | DT_SINGLELINE);
    needs.buttonLabelWidth = label.right;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return needs;
}

// Takes the message font for `dpi` (the controls still hold the one before) and
// lays the dialog out in it.
InputDialogLayout FitToDpi(Dialog& d, int dpi) {
    d.font = MessageFont(dpi);
    const int promptWidth = ScaledInputDialog(dpi).prompt.width;
    return FitInputDialog(MeasureTexts(d, promptWidth), dpi, d.fitTexts);
}

void PlaceControl(HWND control, const DialogRect& r, HFONT font) {
    SetWindowPos(control, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

// The window moved to a screen of another DPI: everything again in its sizes,
// from where Windows suggests.
void OnDpiChanged(Dialog& d, int dpi, const RECT& suggested) {
    SetWindowPos(d.window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    HFONT old = d.font;
    const InputDialogLayout layout = FitToDpi(d, dpi);
    SetWindowPos(d.window, nullptr, suggested.left, suggested.top, layout.width, layout.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    const LONG_PTR style = GetWindowLongPtrW(d.prompt, GWL_STYLE) & ~LONG_PTR{SS_TYPEMASK};
    SetWindowLongPtrW(d.prompt, GWL_STYLE,
                      style | (layout.promptWraps ? SS_LEFT : SS_LEFTNOWORDWRAP));
    PlaceControl(d.prompt, layout.prompt, d.font);
    PlaceControl(d.field, layout.field, d.font);
    PlaceControl(d.button, layout.button, d.font);
    DeleteObject(old);
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

std::u16string ShowInputDialog(const std::u16string& title, const std::u16string& prompt,
                               const std::u16string& defaultText, const std::u16string& okLabel,
                               bool fitTexts) {
    HINSTANCE instance = GetModuleHandleW(nullptr);

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
    d.promptText = prompt;
    d.okLabel = okLabel;
    d.fitTexts = fitTexts;
    d.owner = DialogOwner();
    ThreadWindowsDisabled disabled;
    d.disabled = &disabled;
    if (d.owner && IsWindowEnabled(d.owner)) {
        EnableWindow(d.owner, FALSE);
        d.ownerDisabled = true;
    }

    // English till the window knows the DPI of the screen it is on.
    const InputDialogLayout english;
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - english.width / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - english.height / 2;
    d.window = CreateWindowExW(0, DialogClass, Wide(title), WS_CAPTION | WS_SYSMENU | WS_VISIBLE, x,
                               y, english.width, english.height, d.owner, nullptr, instance, &d);
    if (!d.window) {
        Close(d);
        UnregisterClassW(DialogClass, instance);
        return u"";
    }
    const InputDialogLayout layout = FitToDpi(d, WindowDpi(d.window));
    if (layout.width != english.width || layout.height != english.height) {
        SetWindowPos(d.window, nullptr,
                     std::max(0, GetSystemMetrics(SM_CXSCREEN) / 2 - layout.width / 2),
                     std::max(0, GetSystemMetrics(SM_CYSCREEN) / 2 - layout.height / 2),
                     layout.width, layout.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    const auto place = [&](DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style,
                           const DialogRect& r, int id) {
        return Control(d.window, exStyle, cls, text, style, r.x, r.y, r.width, r.height, id,
                       d.font);
    };
    // A translated prompt may hold "&", which is text here, never a mnemonic.
    d.prompt =
        place(0, L"STATIC", Wide(prompt),
              SS_NOPREFIX | (layout.promptWraps ? SS_LEFT : SS_LEFTNOWORDWRAP), layout.prompt, 0);
    d.field =
        place(WS_EX_CLIENTEDGE, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, layout.field, FieldId);
    d.button =
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
    DeleteObject(d.font);
    return d.answer;
}

}  // namespace quillet
