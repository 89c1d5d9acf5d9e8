// The program's one window as the event loop sees it: a hidden window that owns the
// notification-area icon, the popup menu and the click timer, and reports what
// happens to them as calls. What it makes of each message is decided here, apart
// from the platform; tray_window_win32.* is the window itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillet {

enum class TrayButton : uint8_t { Left, Right };

// Called on the main thread, from the window's procedure.
class TrayListener {
  public:
    virtual ~TrayListener() = default;
    // A button was released on the icon.
    virtual void OnTrayClick(TrayButton button) = 0;
    // An item of the popup menu was chosen.
    virtual void OnMenuCommand(int32_t id) = 0;
    // The click timer ticked.
    virtual void OnTimer() = 0;
    // The window was asked to close; it stays until it is closed.
    virtual void OnClose() = 0;
    // Another program (the installer) asks Quillet to end now. Called straight from the
    // window's procedure, also from inside the menu or a dialog, which are gone by then.
    virtual void OnExitRequest() = 0;
};

// The registered message that asks a running Quillet to end at once; the installer
// posts it, also to a Quillet that runs as administrator.
constexpr char16_t kExitRequestMessageName[] = u"QuilletExitRequest";

// One entry of the popup menu, in display order; "&" marks a label's mnemonic.
struct MenuEntry {
    enum Kind : uint8_t { Item, OpenSubmenu, CloseSubmenu };
    Kind kind;
    int32_t id;  // items only
    std::u16string label;
};

// The icon's messages come to the window as this one.
constexpr uint32_t kTrayCallbackMessage = 12501;
constexpr uintptr_t kClickTimerId = 1;

// The icon is asked for again on this timer while the notification area refuses it.
constexpr uintptr_t kIconRetryTimerId = 2;
constexpr uint32_t kIconRetryIntervalMs = 2000;
constexpr uint64_t kIconRetryLimitMs = 10 * 60 * 1000;

// At sign-in the taskbar may not be there yet, or a busy shell times out: a refused
// icon is added again at each TaskbarCreated and every 2 s for 10 minutes after the
// refusal, until the notification area takes it. Clock readings in milliseconds.
class IconRetry {
  public:
    // After an add; true while the retry timer is to run.
    bool AfterAdd(bool added, uint64_t nowMs);
    // A tick of the retry timer: true when the icon is to be added again, false when
    // the timer is to end.
    bool OnTick(uint64_t nowMs) const;
    // Refused and not added since: TaskbarCreated adds it, also after the retries ended.
    bool Missing() const { return refusedAt_.has_value(); }
    // The icon is no longer wanted.
    void Forget() { refusedAt_.reset(); }

  private:
    std::optional<uint64_t> refusedAt_;  // the first refusal of this round of retries
};

// The tooltip as the notification area keeps it: its first 63 characters.
constexpr size_t kTrayTooltipLength = 63;
std::u16string TrayTooltip(std::u16string_view text);

// Reports one of the window's messages to `listener`; true when the message is
// answered with 0, false when it is left to the platform's default procedure.
// `iconId` is the id of the window's icon, 0 for none.
bool HandleTrayWindowMessage(TrayListener& listener, uint32_t iconId, uint32_t message,
                             uintptr_t wParam, intptr_t lParam);

}  // namespace quillet
