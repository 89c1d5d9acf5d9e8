// Notices a keyboard hook that the system removed or stopped calling, and asks
// for it to be installed again. Windows drops a low-level hook without notice
// after repeated timeouts, and input on a secure desktop or after sleep may
// leave it dead. The reference is a raw-input keyboard sink, which sees every
// key independently of hooks: a key it saw that the hook did not see within a
// second means the hook is gone. A hook that is being called is plainly alive,
// and the sink costs a message per key, so the sink listens only once the hook
// has been quiet for a moment. Portable; the hook thread feeds it readings of
// one millisecond clock.
#pragma once

#include <cstdint>

#include "filter/double_press_filter.h"

namespace quillet {

class HookWatchdog {
  public:
    // How long a key seen by the sink may go unseen by the hook.
    static constexpr int64_t kMissLimitMs = 1000;
    // The hook sees a key a fraction of a millisecond before the sink does; a coarse
    // clock may date the two readings apart by up to one tick.
    static constexpr int64_t kPairSlackMs = 100;
    // Between attempts while the hook cannot be installed.
    static constexpr int64_t kRetryMs = 2000;
    // The sink listens once the hook has seen no key for this long.
    static constexpr int64_t kQuietMs = 250;
    static constexpr int64_t kNever = -1;

    enum class Action { None, Reinstall };

    // The hook procedure was called. Runs for every key event, so it only stores.
    void OnHookEvent(int64_t now) { lastHookEvent_ = now; }
    // The raw-input sink saw a key.
    void OnRawKey(int64_t now);
    // The session was unlocked, the input desktop switched, or the system resumed:
    // a hook may have been lost without a key to show it.
    void OnSessionChange() { sessionChanged_ = true; }

    // What to do now; Reinstall asks for the hook to be removed (if any) and
    // installed again, and for the result to be reported through OnInstalled.
    Action Check(int64_t now);
    // True when the failure must be told to the user: the first failure of a run.
    bool OnInstalled(bool ok, int64_t now);
    // Whether the raw-input sink should listen now.
    bool WantsSink(int64_t now) const;
    // When Check and WantsSink have something to decide next, or kNever.
    int64_t NextCheck(int64_t now) const;

  private:
    bool installed_ = true;
    bool failureTold_ = false;
    bool sessionChanged_ = false;
    int64_t lastHookEvent_ = INT64_MIN / 2;
    int64_t pendingKey_ = kNever;  // the first sink key not yet matched by a hook event
    int64_t retryAt_ = 0;
};

// Acts on the watchdog's Check: on Reinstall, `install` removes the hook and puts
// it back, answering whether it is in. Releases typed while the hook was out
// never reached the filter, so it forgets what it held. True when the failure
// must be told to the user.
template <typename Install>
bool ReinstallIfLost(HookWatchdog& watchdog, DoublePressFilter& filter, int64_t now,
                     Install install) {
    if (watchdog.Check(now) != HookWatchdog::Action::Reinstall) return false;
    filter.ForgetHeldKeys();
    return watchdog.OnInstalled(install(), now);
}

}  // namespace quillet
