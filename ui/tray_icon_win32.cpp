// Notification-area icons on the program's windows.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <cstring>

#include "runtime/text.h"
#include "ui/image.h"
#include "ui/numbered_table.h"
#include "ui/tray.h"
#include "ui/tray_text.h"

namespace quillet {

namespace {

static_assert(sizeof(NOTIFYICONDATAW) == 956, "the notification area expects the full record");

struct TrayIcon {
    int32_t number = 0;
    HWND window = nullptr;
    UINT platformId = 0;
    HICON icon = nullptr;
    std::u16string tooltip;
};

constexpr wchar_t CallbackProperty[] = L"tarn_systray_callback";

NumberedTable<TrayIcon> icons;
UINT nextPlatformId = 1;
UINT taskbarCreated = 0;

void AllowFromLowerIntegrity(void* window, uint32_t message) {
    ChangeWindowMessageFilterEx(static_cast<HWND>(window), message, MSGFLT_ALLOW, nullptr);
}

MessageAllowance allowMessage = AllowFromLowerIntegrity;

HICON IconFromImage(const Image& image) {
    HBITMAP colour = CreateBitmap(image.width, image.height, 1, 32, image.pixels.data());
    const std::vector<uint8_t> maskBits = IconMaskBits(image);
    HBITMAP mask = CreateBitmap(image.width, image.height, 1, 1, maskBits.data());
    HICON icon = nullptr;
    if (colour && mask) {
        ICONINFO info{};
        info.fIcon = TRUE;
        info.hbmMask = mask;
        info.hbmColor = colour;
        icon = CreateIconIndirect(&info);
    }
    if (colour) DeleteObject(colour);
    if (mask) DeleteObject(mask);
    return icon;
}

NOTIFYICONDATAW IconData(const TrayIcon& t) {
    NOTIFYICONDATAW nid;
    std::memset(&nid, 0, sizeof nid);
    nid.cbSize = sizeof nid;
    nid.hWnd = t.window;
    nid.uID = t.platformId;
    nid.uCallbackMessage = TrayCallbackMessage;
    nid.hIcon = t.icon;
    return nid;
}

void CopyTip(NOTIFYICONDATAW& nid, const std::u16string& tip) {
    std::memcpy(nid.szTip, tip.data(), tip.size() * sizeof(char16_t));
    nid.szTip[tip.size()] = 0;
}

LRESULT CALLBACK TrayProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto previous = reinterpret_cast<WNDPROC>(GetPropW(hwnd, CallbackProperty));
    if (message == taskbarCreated && taskbarCreated != 0) {
        for (int32_t i = 0; i < icons.Capacity(); ++i) {
            const TrayIcon* t = icons.Find(i);
            if (!t || t->window != hwnd) continue;
            NOTIFYICONDATAW nid = IconData(*t);
            nid.uFlags = NIF_MESSAGE | NIF_ICON;
            if (!t->tooltip.empty()) {
                nid.uFlags |= NIF_TIP;
                CopyTip(nid, t->tooltip);
            }
            Shell_NotifyIconW(NIM_ADD, &nid);
        }
    } else if (message == WM_NCDESTROY) {
        RemovePropW(hwnd, CallbackProperty);
    }
    if (!previous) return DefWindowProcW(hwnd, message, wParam, lParam);
    return CallWindowProcW(previous, hwnd, message, wParam, lParam);
}

}  // namespace

void StartTrayLayer() { taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated"); }

void EndTrayLayer() { RemoveAllTrayIcons(); }

uint32_t TaskbarCreatedMessage() { return taskbarCreated; }

MessageAllowance SetMessageAllowance(MessageAllowance allowance) {
    const MessageAllowance previous = allowMessage;
    allowMessage = allowance;
    return previous;
}

int AddTrayIcon(int32_t number, void* window, int32_t imageNumber) {
    RemoveTrayIcon(number);
    const Image* image = FindImage(imageNumber);
    HWND hwnd = static_cast<HWND>(window);
    if (!hwnd || !IsWindow(hwnd) || !image) return 0;
    HICON icon = IconFromImage(*image);
    if (!icon) return 0;
    // Before the icon exists, so that its very first click gets through.
    allowMessage(hwnd, TrayCallbackMessage);
    if (taskbarCreated != 0) allowMessage(hwnd, taskbarCreated);

    TrayIcon candidate;
    candidate.number = number;
    candidate.window = hwnd;
    candidate.platformId = nextPlatformId;
    candidate.icon = icon;
    NOTIFYICONDATAW nid = IconData(candidate);
    nid.uFlags = NIF_MESSAGE | NIF_ICON;
    if (!Shell_NotifyIconW(NIM_ADD, &nid)) {
        DestroyIcon(icon);
        return 0;
    }
    TrayIcon* t = icons.Create(number);
    if (!t) {
        Shell_NotifyIconW(NIM_DELETE, &nid);
        DestroyIcon(icon);
        return 0;
    }
    *t = candidate;
    if (!GetPropW(hwnd, CallbackProperty)) {
        auto previous =
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TrayProcedure));
        SetPropW(hwnd, CallbackProperty, reinterpret_cast<HANDLE>(previous));
    }
    SetPropW(hwnd, Wide(TrayPropertyName(t->platformId)),
             reinterpret_cast<HANDLE>(static_cast<intptr_t>(number) + 1));
    ++nextPlatformId;
    return 1;
}

void SetTrayIconTooltip(int32_t number, const std::u16string& text) {
    TrayIcon* t = icons.Find(number);
    if (!t) return;
    t->tooltip = TrayTooltip(text);
    NOTIFYICONDATAW nid = IconData(*t);
    nid.uFlags = NIF_TIP;
    CopyTip(nid, t->tooltip);
    Shell_NotifyIconW(NIM_MODIFY, &nid);
}

bool IsTrayIcon(int32_t number) { return icons.Find(number) != nullptr; }

void FocusTrayIcon(int32_t number) {
    const TrayIcon* t = icons.Find(number);
    if (!t) return;
    NOTIFYICONDATAW nid = IconData(*t);
    Shell_NotifyIconW(NIM_SETFOCUS, &nid);
}

void RemoveTrayIcon(int32_t number) {
    TrayIcon* t = icons.Find(number);
    if (!t) return;
    NOTIFYICONDATAW nid = IconData(*t);
    Shell_NotifyIconW(NIM_DELETE, &nid);
    if (t->icon) DestroyIcon(t->icon);
    if (IsWindow(t->window)) RemovePropW(t->window, Wide(TrayPropertyName(t->platformId)));
    icons.Free(number);
}

void RemoveAllTrayIcons() {
    for (int32_t i = 0; i < icons.Capacity(); ++i) RemoveTrayIcon(i);
}

}  // namespace quillet
