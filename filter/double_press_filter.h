// The double-press rule: decides for every key event of the desktop whether it
// reaches the system. Portable; the Win32 hook procedure feeds it.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string_view>

#include "filter/key_tables.h"

namespace quillet {

// Hook message kinds.
inline constexpr uint32_t kWmKeyDown = 256;
inline constexpr uint32_t kWmKeyUp = 257;
inline constexpr uint32_t kWmSysKeyDown = 260;
inline constexpr uint32_t kWmSysKeyUp = 261;
inline constexpr int kHcAction = 0;

// What the filter asks of the system, only when it needs it.
class FilterPlatform {
  public:
    virtual ~FilterPlatform() = default;
    virtual bool IsKeyHeld(uint32_t vk) = 0;  // high bit of GetAsyncKeyState
    virtual int64_t ReadClock() = 0;          // MillisecondClock
    // Virtual key 255 down and up, which no program acts on, marked so that our
    // own hook passes it at once.
    virtual void SendNoOpKey() = 0;
};

// What the filter tells the user.
class FilterFeedback {
  public:
    virtual ~FilterFeedback() = default;
    virtual void Announce(std::u16string_view text) = 0;
    virtual void SoundIgnoreModeCue(int32_t mode) = 0;
    virtual void SoundNextKeyConsumedCue() = 0;
    // Called by the hook thread once a hook call has returned: the moment for work
    // that must not hold up a key, such as waking another thread.
    virtual void Flush() {}
};

// The two settings the filter reads afresh at every event, so a menu change on
// the main thread applies to the next key on the hook thread.
struct FilterSettings {
    std::atomic<uint8_t> excludeEscape{0};
    std::atomic<int32_t> doublePressTimeout{300};
};

// Where an event came from, as the hook sees it. Passed by reference: three
// bytes stored apart and loaded as one register stall the load for a while.
struct KeyOrigin {
    bool injected = false;       // sent by a program (LLKHF_INJECTED), not typed
    bool chainConsumed = false;  // a hook further down the chain swallowed it
    bool extended = false;       // LLKHF_EXTENDED: the main Insert, not the numpad's
};

class DoublePressFilter {
  public:
    DoublePressFilter(FilterState& state, const FilterSettings& settings, FilterPlatform& platform,
                      FilterFeedback& feedback)
        : state_(state), settings_(settings), platform_(platform), feedback_(feedback) {}

    // True to swallow the event. The caller has already passed it down the
    // hook chain and returns the chain's result otherwise.
    bool ShouldSwallow(int hookCode, uint32_t message, uint32_t vk, const KeyOrigin& origin = {});

    // After a session unlock, a switch of the input desktop, a resume or a hook
    // reinstall, where releases can be lost: no key or modifier counts as held
    // any more, and no key is let through as held.
    void ForgetHeldKeys();

  private:
    // The decision for an event that repeats no earlier press; `guarded` tells
    // whether a copy of it, if the chain below sends one, must be decided alike.
    // `kind` is the message without its system-key bit.
    bool Decide(uint32_t message, uint32_t kind, uint32_t vk, const KeyOrigin& origin,
                bool& guarded);
    // Notes a guarded key going down or up; false for a release whose press we
    // never saw (a key held when we started, a press trapped above us).
    bool NoteKeyDown(uint32_t kind, uint32_t vk);
    // The spoken name of a guarded key, or nothing for a key that passes untouched.
    const std::u16string* GuardedName(uint32_t vk) const;
    // Only for guarded keys, whose codes are below 256.
    bool OnPress(uint32_t vk, const std::u16string& name);
    void OnRelease(uint32_t vk);
    void TrackModifier(uint32_t message, uint32_t vk, const KeyOrigin& origin);
    // Asked only after a swallowed press, never per key.
    bool ModifierWouldActAlone();
    // Whether a modifier flag still stands once checked against the key's real state.
    bool ModifierStillHeld();

    FilterState& state_;
    const FilterSettings& settings_;
    FilterPlatform& platform_;
    FilterFeedback& feedback_;
};

// What the hook reads of an event's key data.
struct HookKey {
    uint32_t vk;
    bool injected;
    bool extended;
};

// The hook procedure's shape: the chain is called first for every event, then
// the filter decides. `keyOf` is only asked for action events, whose key data is valid.
template <typename CallNext, typename KeyOf>
intptr_t RunHook(DoublePressFilter& filter, int hookCode, uint32_t message, CallNext callNext,
                 KeyOf keyOf) {
    const intptr_t chainResult = callNext();
    if (hookCode != kHcAction) return chainResult;
    const HookKey key = keyOf();
    return filter.ShouldSwallow(hookCode, message, key.vk,
                                {key.injected, chainResult != 0, key.extended})
               ? 1
               : chainResult;
}

}  // namespace quillet
