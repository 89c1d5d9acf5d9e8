// The posted-event window, posting, and the event wait on the thread's messages.
#include <windows.h>

#include "ui/event_wait.h"
#include "ui/window.h"
#include "ui/window_internal.h"

namespace quillet {

namespace {

HWND postEventWindow = nullptr;
UINT unlockMessage = 0;

constexpr wchar_t PostEventClass[] = L"PostEventClass";

// Keys the Tab accelerators must leave alone: Tab typed into an editable rich
// edit or Scintilla control, and controls that capture hot keys.
bool SkipAccelerators(const MSG& m) {
    HWND focus = GetFocus();
    if (!focus) return false;
    if (GetPropW(focus, L"Tarn_Hotkey")) return true;
    if (m.message != WM_KEYDOWN || m.wParam != VK_TAB) return false;
    if (GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0) return false;
    wchar_t cls[32] = {};
    GetClassNameW(focus, cls, 32);
    if (lstrcmpiW(cls, L"Scintilla") == 0) return true;
    if (_wcsnicmp(cls, L"RichEdit", 8) == 0) {
        return (GetWindowLongW(focus, GWL_STYLE) & ES_READONLY) == 0;
    }
    return false;
}

class ThreadMessages : public MessageSource {
  public:
    bool Fetch(int32_t timeoutMs, FetchedMessage& out) override {
        if (timeoutMs < 0) {
            // The keyboard hook runs inside this call.
            if (GetMessageW(&msg_, nullptr, 0, 0) == -1) return false;
        } else if (!PeekMessageW(&msg_, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) {
            if (timeoutMs == 0) return false;
            if (MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(timeoutMs),
                                          QS_ALLINPUT | QS_ALLPOSTMESSAGE) == WAIT_TIMEOUT) {
                return false;
            }
            if (!PeekMessageW(&msg_, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) return false;
        }
        out.message = msg_.message;
        out.wParam = msg_.wParam;
        out.lParam = msg_.lParam;
        out.platform = &msg_;
        return true;
    }

    void Dispatch(FetchedMessage& m) override {
        MSG& message = *static_cast<MSG*>(m.platform);
        HWND active = GetActiveWindow();
        const int32_t number = active ? WindowNumber(active) : -1;
        if (number >= 0) {
            HACCEL table = static_cast<HACCEL>(WindowAccelerators(number));
            if (table && !SkipAccelerators(message) &&
                TranslateAcceleratorW(active, table, &message)) {
                return;
            }
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }

  private:
    MSG msg_{};
};

}  // namespace

void StartEventQueue() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = PostEventClass;
    RegisterClassW(&wc);
    postEventWindow = CreateWindowExW(0, PostEventClass, L"", WS_CAPTION, 0, 0, 1, 1, nullptr,
                                      nullptr, instance, nullptr);
    unlockMessage = RegisterWindowMessageW(L"Tarn_UnlockQueueEventMessage");
    MainEventQueue();
}

void EndEventQueue() {
    if (postEventWindow) DestroyWindow(postEventWindow);
    postEventWindow = nullptr;
    UnregisterClassW(PostEventClass, GetModuleHandleW(nullptr));
}

void WakeEventWait() {
    if (postEventWindow) PostMessageW(postEventWindow, unlockMessage, 0, 0);
}

void PostEvent(int32_t kind, int32_t window, int32_t object, int32_t type) {
    MainEventQueue().AddPosted(kind, window, object, type);
    WakeEventWait();
}

int32_t WaitWindowEvent(int32_t timeoutMs) {
    ThreadMessages messages;
    return WaitForEvent(MainEventQueue(), messages, timeoutMs);
}

}  // namespace quillet
