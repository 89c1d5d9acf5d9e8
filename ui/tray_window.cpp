#include "ui/tray_window.h"

#include <algorithm>

namespace quillet {

namespace {
// The window's messages by number: this file sees no Windows header.
constexpr uint32_t kMove = 0x0003;
constexpr uint32_t kSize = 0x0005;
constexpr uint32_t kActivate = 0x0006;
constexpr uint32_t kClose = 0x0010;
constexpr uint32_t kCommand = 0x0111;
constexpr uint32_t kTimer = 0x0113;
constexpr uint32_t kLButtonUp = 0x0202;
constexpr uint32_t kLButtonDoubleClick = 0x0203;
constexpr uint32_t kRButtonUp = 0x0205;
}  // namespace

std::u16string TrayTooltip(std::u16string_view text) {
    size_t n = std::min(text.size(), kTrayTooltipLength);
    // Never keep half of a surrogate pair.
    if (n < text.size() && n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
    return std::u16string(text.substr(0, n));
}

bool IconRetry::AfterAdd(bool added, uint64_t nowMs) {
    if (added) {
        refusedAt_.reset();
        return false;
    }
    // A refusal after the retries gave up (at a TaskbarCreated) starts a new round.
    if (!refusedAt_ || nowMs - *refusedAt_ >= kIconRetryLimitMs) refusedAt_ = nowMs;
    return true;
}

bool IconRetry::OnTick(uint64_t nowMs) const {
    return refusedAt_ && nowMs - *refusedAt_ < kIconRetryLimitMs;
}

bool HandleTrayWindowMessage(TrayListener& listener, uint32_t iconId, uint32_t message,
                             uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case kTrayCallbackMessage:
            // A click is the release; presses, moves and double clicks do nothing.
            if (iconId == 0 || wParam != iconId) return true;
            if (lParam == kLButtonUp) listener.OnTrayClick(TrayButton::Left);
            if (lParam == kRButtonUp) listener.OnTrayClick(TrayButton::Right);
            return true;
        case kCommand:
            // A control's command carries its handle; the window has none.
            if (lParam == 0) listener.OnMenuCommand(static_cast<int32_t>(wParam & 0xffff));
            return true;
        case kTimer:
            if (wParam == kClickTimerId) listener.OnTimer();
            return true;
        case kClose:
            listener.OnClose();
            return true;
        // Shown only under its menu, the window takes no focus of its own and no
        // context menu from its own clicks.
        case kActivate:
        case kSize:
        case kMove:
        case kLButtonUp:
        case kLButtonDoubleClick:
        case kRButtonUp:
            return true;
        default:
            return false;
    }
}

}  // namespace quillet
