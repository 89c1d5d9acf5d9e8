#include "ui/tray_window_win32.h"
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "runtime/text.h"
#include "ui/recent_keys_window_win32.h"

namespace quillet {

namespace {

static_assert(sizeof(NOTIFYICONDATAW) == 956, "the notification area expects the full record");

constexpr wchar_t kClass[] = L"WindowClass_0";
// The state needs only the record without hbmpItem, which every version accepts.
constexpr UINT kStateRecordSize = offsetof(MENUITEMINFOW, hbmpItem);
static_assert(kStateRecordSize == 44);

void AllowFromLowerIntegrity(HWND window, UINT message) {
    ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr);
}

MessageAllowance allowMessage = AllowFromLowerIntegrity;

bool AlwaysAdd() { return true; }

IconAddGate iconAddGate = AlwaysAdd;

class NoListener final : public TrayListener {
    void OnTrayClick(TrayButton) override {}
    void OnMenuCommand(int32_t) override {}
    void OnTimer() override {}
    void OnClose() override {}
    void OnExitRequest() override {}
};

// The thread's dialogs and message boxes end as cancelled; the input dialog, a window
// of ours, goes.
BOOL CALLBACK EndDialogWindow(HWND window, LPARAM keep) {
    if (window == reinterpret_cast<HWND>(keep) || !IsWindowVisible(window)) return TRUE;
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (std::wcscmp(name, L"#32770") == 0) {
        EndDialog(window, IDCANCEL);
        ShowWindow(window, SW_HIDE);
    } else {
        DestroyWindow(window);
    }
    return TRUE;
}

// An opaque black square.
HICON BlackSquare() {
    constexpr int kSide = 32;
    const std::vector<uint32_t> pixels(kSide * kSide, 0xff000000u);
    const std::vector<uint8_t> mask(kSide / 8 * kSide, 0);
    HBITMAP colour = CreateBitmap(kSide, kSide, 1, 32, pixels.data());
    HBITMAP transparent = CreateBitmap(kSide, kSide, 1, 1, mask.data());
    HICON icon = nullptr;
    if (colour && transparent) {
        ICONINFO info{};
        info.fIcon = TRUE;
        info.hbmMask = transparent;
        info.hbmColor = colour;
        icon = CreateIconIndirect(&info);
    }
    if (colour) DeleteObject(colour);
    if (transparent) DeleteObject(transparent);
    return icon;
}

}  // namespace

MessageAllowance SetMessageAllowance(MessageAllowance allowance) {
    const MessageAllowance previous = allowMessage;
    allowMessage = allowance;
    return previous;
}

IconAddGate SetIconAddGateForTest(IconAddGate gate) {
    const IconAddGate previous = iconAddGate;
    iconAddGate = gate;
    return previous;
}

bool TrayWindow::Open(const std::u16string& title) {
    Close();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    classIcon_ = LoadIconW(instance, MAKEINTRESOURCEW(1));
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.hIcon = classIcon_;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    // Maximised without a caption, from a width and height left to the system, as
    // the window has always been made.
    RECT outer{0, 0, -65535, -65535};
    AdjustWindowRectEx(&outer, WS_MAXIMIZE, FALSE, 0);
    window_ = CreateWindowExW(0, kClass, Wide(title), WS_MAXIMIZE, 0, 0, outer.right - outer.left,
                              outer.bottom - outer.top, nullptr, nullptr, instance, this);
    if (!window_) {
        UnregisterClassW(kClass, instance);
        return false;
    }
    RECT r{};
    GetWindowRect(window_, &r);
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    const int sh = GetSystemMetrics(SM_CYSCREEN);
    SetWindowPos(window_, nullptr, (sw - std::min<int>(sw, r.right - r.left)) / 2,
                 (sh - std::min<int>(sh, r.bottom - r.top)) / 2, 0, 0,
                 SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE);
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    exitRequest_ = RegisterWindowMessageW(Wide(kExitRequestMessageName));
    if (exitRequest_ != 0) allowMessage(window_, exitRequest_);
    return true;
}

void TrayWindow::Close() {
    RemoveIcon();
    if (menu_) DestroyMenu(menu_);
    menu_ = nullptr;
    if (window_) {
        DestroyWindow(window_);
        UnregisterClassW(kClass, GetModuleHandleW(nullptr));
    }
    window_ = nullptr;
    if (classIcon_) DestroyIcon(classIcon_);
    classIcon_ = nullptr;
}

bool TrayWindow::NotifyIcon(DWORD action, UINT flags) const {
    NOTIFYICONDATAW nid;
    std::memset(&nid, 0, sizeof nid);
    nid.cbSize = sizeof nid;
    nid.hWnd = window_;
    nid.uID = iconId_;
    nid.uFlags = flags;
    nid.uCallbackMessage = kTrayCallbackMessage;
    nid.hIcon = icon_;
    std::memcpy(nid.szTip, tooltip_.data(), tooltip_.size() * sizeof(char16_t));
    return Shell_NotifyIconW(action, &nid) != 0;
}

bool TrayWindow::AddIcon(const std::u16string& tooltip) {
    RemoveIcon();
    if (!window_) return false;
    icon_ = BlackSquare();
    if (!icon_) return false;
    // Before the icon exists, so that its very first click gets through.
    allowMessage(window_, kTrayCallbackMessage);
    if (taskbarCreated_ != 0) allowMessage(window_, taskbarCreated_);
    iconId_ = lastIconId_ + 1;
    tooltip_ = TrayTooltip(tooltip);
    PutIconInTray();
    return shown_;
}

void TrayWindow::PutIconInTray() {
    const UINT flags = NIF_MESSAGE | NIF_ICON;
    // An icon the notification area still holds refuses a second add and takes a
    // modify: Windows also sends TaskbarCreated when the display's scale changes.
    shown_ =
        iconAddGate() && (NotifyIcon(NIM_ADD, flags) || (shown_ && NotifyIcon(NIM_MODIFY, flags)));
    if (shown_) {
        lastIconId_ = iconId_;
        NotifyIcon(NIM_MODIFY, NIF_TIP);
    }
    if (retry_.AfterAdd(shown_, GetTickCount64())) {
        SetTimer(window_, kIconRetryTimerId, kIconRetryIntervalMs, nullptr);
    } else {
        KillTimer(window_, kIconRetryTimerId);
    }
}

void TrayWindow::RemoveIcon() {
    if (shown_) NotifyIcon(NIM_DELETE, 0);
    if (window_) KillTimer(window_, kIconRetryTimerId);
    retry_.Forget();
    if (icon_) DestroyIcon(icon_);
    icon_ = nullptr;
    iconId_ = 0;
    shown_ = false;
    tooltip_.clear();
}

void TrayWindow::BuildMenu(const std::vector<MenuEntry>& entries) {
    if (menu_) DestroyMenu(menu_);
    menu_ = CreatePopupMenu();
    HMENU target = menu_;
    for (const MenuEntry& entry : entries) {
        if (!target) break;
        switch (entry.kind) {
            case MenuEntry::Item:
                AppendMenuW(target, MF_STRING, static_cast<UINT_PTR>(entry.id), Wide(entry.label));
                break;
            case MenuEntry::OpenSubmenu:
                if (HMENU submenu = CreateMenu()) {
                    AppendMenuW(target, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu),
                                Wide(entry.label));
                    target = submenu;
                }
                break;
            case MenuEntry::CloseSubmenu:
                target = menu_;
                break;
        }
    }
}

void TrayWindow::SetItemChecked(int32_t id, bool on) {
    if (!menu_) return;
    MENUITEMINFOW info{};
    info.cbSize = kStateRecordSize;
    info.fMask = MIIM_STATE;
    if (!GetMenuItemInfoW(menu_, static_cast<UINT>(id), FALSE, &info)) return;
    info.fState = on ? (info.fState | MFS_CHECKED) : (info.fState & ~MFS_CHECKED);
    SetMenuItemInfoW(menu_, static_cast<UINT>(id), FALSE, &info);
}

void TrayWindow::SetItemGreyed(int32_t id, bool on) {
    if (menu_) {
        EnableMenuItem(menu_, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_GRAYED : MF_ENABLED));
    }
}

void TrayWindow::SetItemText(int32_t id, const std::u16string& label) {
    if (!menu_) return;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;  // MIIM_STRING needs the full record
    info.fMask = MIIM_STRING;
    std::u16string text = label;
    info.dwTypeData = reinterpret_cast<wchar_t*>(text.data());
    SetMenuItemInfoW(menu_, static_cast<UINT>(id), FALSE, &info);
}

bool TrayWindow::ShowMenu() {
    if (!window_ || !menu_) return false;
    ShowWindow(window_, IsZoomed(window_)   ? SW_MAXIMIZE
                        : IsIconic(window_) ? SW_SHOWMINIMIZED
                                            : SW_SHOWNORMAL);
    POINT at{};
    GetCursorPos(&at);
    SetForegroundWindow(window_);
    TrackPopupMenu(menu_, TPM_RIGHTBUTTON, at.x - 1, at.y - 1, 0, window_, nullptr);
    // The choice is posted before the menu returns; item 0 rules out TPM_RETURNCMD.
    MSG waiting;
    const bool chosen = PeekMessageW(&waiting, window_, WM_COMMAND, WM_COMMAND, PM_NOREMOVE) != 0;
    // While the window still has the foreground to hand on.
    const HWND front = GetForegroundWindow();
    if (!chosen && shown_ && (!front || front == window_)) NotifyIcon(NIM_SETFOCUS, 0);
    ShowWindow(window_, SW_HIDE);
    while (PeekMessageW(&waiting, window_, kTrayCallbackMessage, kTrayCallbackMessage, PM_REMOVE)) {
    }
    return chosen;
}

void TrayWindow::StartTimer(UINT intervalMs) {
    if (window_) SetTimer(window_, kClickTimerId, intervalMs, nullptr);
}

void TrayWindow::StopTimer() {
    if (window_) KillTimer(window_, kClickTimerId);
}

LRESULT CALLBACK TrayWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TrayWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->Receive(window, message, wParam, lParam);
}

// `window` is this window, also while it is being made.
LRESULT TrayWindow::Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Answered here, not after whatever the menu or a dialog is doing: a request left
    // waiting behind them would end Quillet later, when nobody expects it.
    if (message == exitRequest_ && exitRequest_ != 0) {
        EndMenu();
        EnumThreadWindows(GetCurrentThreadId(), EndDialogWindow, reinterpret_cast<LPARAM>(window));
        if (listener_) listener_->OnExitRequest();
        return 0;
    }
    if (message == taskbarCreated_ && taskbarCreated_ != 0 && (shown_ || retry_.Missing())) {
        PutIconInTray();
    }
    if (message == WM_TIMER && wParam == kIconRetryTimerId) {
        if (!shown_ && retry_.OnTick(GetTickCount64())) {
            PutIconInTray();
        } else {
            KillTimer(window, kIconRetryTimerId);
        }
    }
    if (message == kTrayCallbackMessage && shown_ && wParam == iconId_) {
        // The menu that a click may open closes properly the next time only after a
        // task switch to this thread.
        PostMessageW(window, WM_NULL, 0, 0);
    }
    static NoListener nobody;
    if (!HandleTrayWindowMessage(listener_ ? *listener_ : nobody, ShownIconId(), message, wParam,
                                 lParam)) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // A message another thread sent is handled inside GetMessageW, which returns only
    // for a posted one; the loop must see what the call changed.
    if (InSendMessage()) PostMessageW(window, WM_NULL, 0, 0);
    return 0;
}

void WaitWindowMessage() {
    MSG message;
    if (GetMessageW(&message, nullptr, 0, 0) == -1) return;
    if (TakeRecentKeysMessage(message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

}  // namespace quillet
