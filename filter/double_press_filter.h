// The double-press rule: decides for every key event of the desktop whether it
// reaches the system. Portable; the Win32 hook procedure feeds it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "filter/decision_log.h"
#include "filter/key_tables.h"
#include "filter/resent_presses.h"
#include "runtime/cue.h"

namespace quillet {

// Hook message kinds.
inline constexpr uint32_t kWmKeyDown = 256;
inline constexpr uint32_t kWmKeyUp = 257;
inline constexpr uint32_t kWmSysKeyDown = 260;
inline constexpr uint32_t kWmSysKeyUp = 261;
inline constexpr int kHcAction = 0;

// How the press of a key that is down now was decided; its auto-repeats and its
// release follow it, whatever has changed since.
enum class HeldPress : uint8_t {
    None = 0,   // not down, or its press was never seen
    Swallowed,  // a first press, swallowed and spoken by the double-press rule
    Passed,     // a second press the rule let through
    Outside,    // passed for a reason outside the rule: a reader's modifier, a program
                // that gets its keys, an ignore mode
    HotKey,     // taken by the hot key
};

struct KeyState {
    int64_t lastRelease = 0;  // clock reading at the last release of a counted press
    int64_t lastDown = 0;     // clock reading at the held press's last down event
    uint64_t window = 0;      // the window in front when the held press passed
    HeldPress held = HeldPress::None;
    Decision listedRepeat = Decision::None;  // how its repeats were listed last (beside
                                             // `held`: both are set in one store)
    HeldPress sentHeld = HeldPress::None;    // a program's press amid the user's held one
    bool armed = false;                      // a release armed the key: a press soon after passes
    bool reached = false;  // the held press reached the system: the key's state shows it
    bool sent = false;     // the held press was sent by a program, not typed
};

// The values are the menu's order and the index of each mode's text and cue.
enum class IgnoreMode : int32_t {
    Off = 0,      // the double-press rule applies
    NextKey = 1,  // suspended for the next guarded key only
    Always = 2,   // suspended until changed again
};

// What the hot key announces for each mode, in English.
inline constexpr std::u16string_view kIgnoreModeTexts[3] = {
    u"Double-press ignore off.",
    u"Ignoring double-press for the next key only.",
    u"Ignoring double-press.",
};

// Changes of the ignore mode that depend on what it was, by compare-and-swap:
// a choice made in the menu between the read and the write is never lost.
// Over any atomic-like `Mode`, so a test can script what the menu does between.
template <typename Mode>
IgnoreMode CycleIgnoreMode(Mode& mode) {
    const auto next = [](IgnoreMode m) {
        return static_cast<IgnoreMode>((static_cast<int32_t>(m) + 1) % 3);
    };
    IgnoreMode seen = mode.load(std::memory_order_relaxed);
    while (!mode.compare_exchange_weak(seen, next(seen), std::memory_order_relaxed)) {
    }
    return next(seen);
}

// Ends "next key only"; false when the mode was something else by then.
template <typename Mode>
bool EndNextKeyMode(Mode& mode) {
    IgnoreMode expected = IgnoreMode::NextKey;
    return mode.compare_exchange_strong(expected, IgnoreMode::Off, std::memory_order_relaxed);
}

enum ModifierHold : uint8_t {
    kModifierUp = 0,
    kModifierHeld = 1,     // its press reached the system, so the key's state shows it
    kModifierTrapped = 2,  // a hook below ours (the reader's) kept it: only its release tells
};

// Everything the filter remembers between events. Belongs to the hook thread;
// only ignoreMode is shared, because the menu reads and sets it.
struct FilterState {
    // Spoken for each guarded key, in the order of kGuardedKeys.
    std::array<std::u16string, kGuardedKeyCount> keyNames;
    // By virtual key; only the guarded keys' records are ever written.
    std::array<KeyState, 256> keyStates{};
    // Spoken for each ignore mode; the shell puts in the user's language before
    // the hook starts, so the hook thread never looks a text up.
    std::u16string ignoreModeTexts[3] = {std::u16string(kIgnoreModeTexts[0]),
                                         std::u16string(kIgnoreModeTexts[1]),
                                         std::u16string(kIgnoreModeTexts[2])};
    std::atomic<IgnoreMode> ignoreMode{IgnoreMode::Off};
    // One held flag per screen-reader modifier key (Caps Lock, Insert, the
    // numpad's Insert or 0).
    // Flags rather than a press/release count: auto-repeats and releases
    // without a press must not leave the filter switched off.
    ModifierHold modifierHeld[3] = {kModifierUp, kModifierUp, kModifierUp};
    // The window in front when each trapped modifier went down (FilterPlatform::ForegroundStamp).
    uint64_t trappedIn[3] = {0, 0, 0};
    // The key typed last: Windows repeats only that one, so a press of another key
    // that says it is held is no auto-repeat.
    uint32_t lastTyped = 0;
    // Shift, Ctrl, Alt and Win as the hook saw them go down and up (ModifierBit), for
    // the decisions' list only.
    uint8_t modifiersDown = 0;
    ResentPresses resentPresses;
    // The last decisions about guarded keys, which the main thread reads.
    DecisionLog decisions;
    // The names of the programs found in front: the hook's platform keeps each as
    // ListedOrOwnWindowInFront finds it.
    ProgramNames programNames;

    bool AnyModifierHeld() const { return modifierHeld[0] || modifierHeld[1] || modifierHeld[2]; }
};

// The English names into keyNames and a zeroed record for every key.
void BuildKeyTables(FilterState& state);

// What the filter asks of the system, only when it needs it.
class FilterPlatform {
  public:
    virtual ~FilterPlatform() = default;
    virtual bool IsKeyHeld(uint32_t vk) = 0;  // high bit of GetAsyncKeyState
    virtual int64_t ReadClock() = 0;          // MillisecondClock
    // Virtual key 255 down and up, which no program acts on, marked so that our
    // own hook passes it at once.
    virtual void SendNoOpKey() = 0;
    // Whether the window in front gets its keys: a listed program's, or one of Quillet's
    // own (its menu and dialogs). Asked for guarded keys only.
    virtual bool ListedOrOwnWindowInFront() = 0;
    // Changes when the window in front becomes one whose keys may go unseen (a
    // higher integrity level); asked only while a trapped modifier is held.
    virtual uint64_t ForegroundStamp() = 0;
    // The window in front (GetForegroundWindow): asked when a guarded press reaches the
    // system and at each of its auto-repeats, never on other paths.
    virtual uint64_t WindowInFront() = 0;
};

// What the filter tells the user.
class FilterFeedback {
  public:
    virtual ~FilterFeedback() = default;
    virtual void Announce(std::u16string_view text) = 0;
    virtual void SoundCueFromHook(Cue cue) = 0;
    // Called by the hook thread once a hook call has returned: the moment for work
    // that must not hold up a key, such as waking another thread. True when some of
    // it could not be done without waiting and the hook thread should call again soon.
    virtual bool HandOverAfterHookCall() { return false; }
};

// The settings the filter reads afresh at every event, so a menu change on the
// main thread applies to the next key on the hook thread.
struct FilterSettings {
    std::atomic<uint8_t> excludeEscape{0};
    std::atomic<int32_t> doublePressTimeout{300};
    // Keys that pass untouched, as GuardedKeyBit masks; never Escape, which has excludeEscape.
    std::atomic<uint32_t> singlePressKeys{0};
};

// Where an event came from, as the hook sees it. Passed by reference: three
// bytes stored apart and loaded as one register stall the load for a while.
struct KeyOrigin {
    bool injected = false;       // sent by a program (LLKHF_INJECTED), not typed
    bool chainConsumed = false;  // a hook further down the chain swallowed it
    bool extended = false;       // LLKHF_EXTENDED: the main Insert, not the numpad's
    uint32_t time = 0;           // the event's time stamp, for the decisions' list
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

    // A window whose input we may never see (a higher integrity level) came to the
    // front. A modifier the reader trapped shows in no key state, and its release may
    // go there, so it is held no longer. The reader's own dialogs, at our level, keep it.
    void ForgetTrappedModifiers();

  private:
    // The decision for an event that is no copy, by the key's record `s`; `fresh` tells
    // whether it is a press that repeats no earlier one. `kind` is the message without
    // its system-key bit.
    bool Decide(KeyState& s, uint32_t message, uint32_t kind, uint32_t vk, const KeyOrigin& origin,
                bool& fresh);
    // A program's event: a copy of a press the chain below trapped, one amid a press the
    // user holds, or one decided as a typed one.
    [[gnu::noinline]] bool DecideSent(uint32_t message, uint32_t kind, uint32_t vk,
                                      const KeyOrigin& origin);
    // After a swallowed press: the no-op key, when a modifier would otherwise act alone.
    [[gnu::noinline]] void KeepModifierFromActingAlone();
    // A program's event amid a press the user holds: decided on a copy of the record,
    // with the program's own press.
    [[gnu::noinline]] bool DecideAmidTypedPress(KeyState& record, uint32_t message, uint32_t kind,
                                                uint32_t vk, const KeyOrigin& origin, bool& fresh);
    // Whether a press of a key whose record says it is held is that press's auto-repeat;
    // otherwise the release was lost on its way to us.
    bool IsRepeat(KeyState& s, uint32_t vk);
    // An auto-repeat follows its press: swallowed again (and spoken, for a first press),
    // or passed again while the window its press went to is still in front.
    bool DecideRepeat(const KeyState& s, uint32_t vk);
    // Lists a repeat whose decision differs from its press's repeats before.
    [[gnu::noinline]] void ListRepeat(KeyState& s, uint32_t vk, const KeyOrigin& origin,
                                      Decision why);
    // The spoken name of a guarded key, or nothing for a key that passes untouched.
    // Lists the press of a key chosen for a single press.
    const std::u16string* GuardedName(uint32_t vk, const KeyOrigin& origin);
    // Only for guarded keys, whose codes are below 256; for a fresh press. Inlined into
    // Decide: as a call of its own it cost a tenth of every press's decision.
    [[gnu::always_inline]] inline bool OnPress(KeyState& s, uint32_t vk, const std::u16string& name,
                                               const KeyOrigin& origin);
    // Note how the fresh press now down at the clock reading `now` was decided, for its
    // repeats and release: one that passed (Passed, Outside), or one that never reached
    // the system (Swallowed, HotKey).
    void HoldPassed(KeyState& s, HeldPress how, const KeyOrigin& origin, int64_t now);
    void HoldSwallowed(KeyState& s, HeldPress how, const KeyOrigin& origin, int64_t now);
    // Ends what the key's press began; true for the hot key's, which is swallowed. A
    // release whose press we never saw (a key held when we started, a press trapped
    // above us) changes nothing.
    bool OnRelease(KeyState& s);
    void TrackModifier(uint32_t message, uint32_t vk, const KeyOrigin& origin);
    // Asked only after a swallowed press, never per key.
    bool ModifierWouldActAlone();
    // Whether a modifier flag still stands once checked against the key's real state.
    bool ModifierStillHeld();
    // Apart, so that GuardedName stays short on every key's path.
    [[gnu::noinline]] void RecordSinglePress(uint32_t vk, const KeyOrigin& origin);
    // Lists a guarded key's press with why it was decided so.
    void Record(uint32_t vk, const KeyOrigin& origin, Decision why, uint8_t detail = 0) {
        state_.decisions.Write({origin.time, static_cast<uint8_t>(vk), state_.modifiersDown, why,
                                detail, state_.programNames.Current()});
    }

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
    uint32_t time;
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
                                {key.injected, chainResult != 0, key.extended, key.time})
               ? 1
               : chainResult;
}

}  // namespace quillet
