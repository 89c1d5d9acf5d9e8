#include "filter/hook_watchdog.h"

namespace quillet {

void HookWatchdog::OnRawKey(int64_t now) {
    if (installed_ && pendingKey_ == kNever) pendingKey_ = now;
}

HookWatchdog::Action HookWatchdog::Check(int64_t now) {
    if (sessionChanged_) {
        sessionChanged_ = false;
        return Action::Reinstall;
    }
    if (!installed_) return now >= retryAt_ ? Action::Reinstall : Action::None;
    if (pendingKey_ == kNever) return Action::None;
    if (lastHookEvent_ >= pendingKey_ - kPairSlackMs) {
        pendingKey_ = kNever;  // the hook saw it
        return Action::None;
    }
    if (now - pendingKey_ < kMissLimitMs) return Action::None;
    return Action::Reinstall;
}

bool HookWatchdog::OnInstalled(bool ok, int64_t now) {
    installed_ = ok;
    pendingKey_ = kNever;
    if (ok) {
        failureTold_ = false;
        return false;
    }
    retryAt_ = now + kRetryMs;
    const bool tell = !failureTold_;
    failureTold_ = true;
    return tell;
}

bool HookWatchdog::WantsSink(int64_t now) const {
    return !installed_ || pendingKey_ != kNever || now - lastHookEvent_ >= kQuietMs;
}

int64_t HookWatchdog::NextCheck(int64_t now) const {
    if (sessionChanged_) return 0;
    if (!installed_) return retryAt_;
    if (pendingKey_ != kNever) return pendingKey_ + kMissLimitMs;
    if (!WantsSink(now)) return lastHookEvent_ + kQuietMs;
    return kNever;
}

}  // namespace quillet
