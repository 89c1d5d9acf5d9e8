// The rule for one guarded key while the ignore mode is off:
//
//   event    when                                decision        then
//   press    armed, within the timeout of the    pass            letThrough
//            last release
//   press    letThrough (an auto-repeat)         pass            -
//   press    otherwise                           swallow, speak  not armed
//
// Before it: every Escape event while Ctrl and Alt are held is the hot key's,
// swallowed, and its press cycles the ignore mode; while a screen-reader modifier
// is held, or a program that gets its keys is in front, every press passes and
// counts for nothing; "next key only" ends at the next guarded press, which
// passes; "always" passes everything. A copy a screen reader sends of a press it
// trapped gets that press's decision, changing nothing.
//
// A key the user chose to pass on a single press (Escape exempted, or one of F1
// to F12) is not guarded: its events pass untouched, as any other key's.
//
// A release belongs to its press, whatever is in front or held, or chosen, when
// it comes:
//
//   press was                                    decision        then
//   counted by the rule above                    pass            armed flips, not
//                                                                letThrough, the time kept
//   passed outside the rule, or the hot key's    pass (the hot   not letThrough
//                                                key's: swallow)
//   never seen                                   pass            -
//
// So a release neither ends "next key only" (the press that used it ended it)
// nor arms a key whose press another reason let through.
#include "filter/double_press_filter.h"

namespace quillet {

void BuildKeyTables(FilterState& state) {
    for (size_t n = 0; n < kGuardedKeyCount; ++n) state.keyNames[n] = kGuardedKeys[n].name;
    state.keyStates.fill(KeyState{});
}

namespace {
constexpr uint32_t kPressKind = kWmKeyDown;
constexpr uint32_t kReleaseKind = kWmKeyUp;
constexpr uint32_t kSysBit = 4;  // WM_SYSKEY* differ from WM_KEY* by this bit

// The screen-reader modifiers as physical keys, in the order of
// FilterState::modifierHeld, each with the virtual keys it can show as.
constexpr int kModifierCount = 3;
constexpr uint32_t kModifierVks[kModifierCount][2] = {
    {kVkCapital, kVkCapital}, {kVkInsert, kVkInsert}, {kVkInsert, kVkNumpad0}};

// The numpad key is Insert with NumLock off and 0 with it on; toggled while it
// is held, it comes up under the other name. The main Insert is the extended
// one, so a numpad release never ends its hold.
int ModifierIndex(uint32_t vk, bool extended) {
    switch (vk) {
        case kVkCapital:
            return 0;
        case kVkInsert:
            return extended ? 1 : 2;
        case kVkNumpad0:
            return 2;
        default:
            return -1;
    }
}
}  // namespace

bool DoublePressFilter::ShouldSwallow(int hookCode, uint32_t message, uint32_t vk,
                                      const KeyOrigin& origin) {
    if (hookCode != kHcAction) return false;

    const uint32_t kind = message & ~kSysBit;
    bool press = kind == kPressKind;  // and no auto-repeat
    bool swallow = false;
    // A copy the chain below sends of a press it trapped is decided as that press
    // was, silently, and leaves every state as it is.
    std::optional<bool> copy;
    if (origin.injected && state_.resentPresses.Awaits(vk)) {
        copy = state_.resentPresses.Take(vk, press, platform_.ReadClock());
    }
    if (copy) {
        swallow = *copy;
    } else {
        press = press && state_.keyStates[vk & 0xFF].held == HeldPress::None;
        bool guarded = false;
        swallow = Decide(message, kind, vk, origin, guarded);
        if (guarded && origin.chainConsumed && !origin.injected && kind == kPressKind) {
            state_.resentPresses.Expect(
                vk, swallow, platform_.ReadClock(),
                settings_.doublePressTimeout.load(std::memory_order_relaxed));
        }
    }
    // Last, once every state is settled: under Wine the no-op key enters the hook
    // again from within the call that sends it.
    if (swallow && press && !origin.chainConsumed && ModifierWouldActAlone()) {
        platform_.SendNoOpKey();
    }
    return swallow;
}

// A modifier that goes down and up with nothing between is a command of its own:
// the menu bar (Alt), the Start menu (Win), the next keyboard layout (Ctrl+Shift).
// A press we swallow leaves exactly that, unless a key comes between.
bool DoublePressFilter::ModifierWouldActAlone() {
    if (platform_.IsKeyHeld(kVkMenu) || platform_.IsKeyHeld(kVkLWin) ||
        platform_.IsKeyHeld(kVkRWin)) {
        return true;
    }
    return platform_.IsKeyHeld(kVkControl) && platform_.IsKeyHeld(kVkShift);
}

bool DoublePressFilter::Decide(uint32_t message, uint32_t kind, uint32_t vk,
                               const KeyOrigin& origin, bool& guarded) {
    KeyState& s = state_.keyStates[vk & 0xFF];  // virtual-key codes are below 256
    // Ctrl+Alt+Escape cycles the ignore mode; every Escape event while both
    // are held is swallowed, so the hot key never reaches an application.
    if (vk == kVkEscape && platform_.IsKeyHeld(kVkControl) && platform_.IsKeyHeld(kVkMenu)) {
        if (message == kWmKeyDown) {
            const auto mode = static_cast<int32_t>(CycleIgnoreMode(state_.ignoreMode));
            feedback_.Announce(state_.ignoreModeTexts[mode]);
            feedback_.SoundCue(IgnoreModeCue(mode));
        }
        if (kind == kPressKind && s.held == HeldPress::None) s.held = HeldPress::Outside;
        if (kind == kReleaseKind) OnRelease(s);
        guarded = true;
        return true;
    }

    TrackModifier(message, vk, origin);
    // A release ends its own press, whatever is in front, held or exempted now. Only
    // a guarded key's press is ever recorded: for any other key this changes nothing.
    if (kind == kReleaseKind) {
        if (vk < kGuardedKeyIndexByVk.size()) OnRelease(s);
        return false;
    }
    const std::u16string* name = GuardedName(vk);
    if (!name) return false;
    guarded = true;
    if (kind != kPressKind) return false;
    if (ModifierStillHeld() || platform_.ProgramGetsItsKeys()) {
        if (s.held == HeldPress::None) s.held = HeldPress::Outside;
        return false;
    }
    return OnPress(s, *name);
}

void DoublePressFilter::ForgetHeldKeys() {
    for (auto& held : state_.modifierHeld) held = kModifierUp;
    // A second press let through ends at its release, which may never come now.
    for (KeyState& s : state_.keyStates) {
        s.letThrough = false;
        s.held = HeldPress::None;
    }
}

void DoublePressFilter::ForgetTrappedModifiers() {
    for (auto& held : state_.modifierHeld) {
        if (held == kModifierTrapped) held = kModifierUp;
    }
}

void DoublePressFilter::TrackModifier(uint32_t message, uint32_t vk, const KeyOrigin& origin) {
    const int index = ModifierIndex(vk, origin.extended);
    if (index < 0) return;
    if (message == kWmKeyDown || message == kWmSysKeyDown) {
        if (origin.chainConsumed) {
            // Asked once per press, auto-repeats included: a repeat comes from
            // the window the key is held in now.
            state_.modifierHeld[index] = kModifierTrapped;
            state_.trappedIn[index] = platform_.ForegroundStamp();
        } else {
            state_.modifierHeld[index] = kModifierHeld;
        }
    } else if (message == kWmKeyUp || message == kWmSysKeyUp) {
        state_.modifierHeld[index] = kModifierUp;
    }
}

// A release can be lost, for instance to a secure desktop that took over while
// the key was held; the filter must not stay off until it is pressed again. Only
// a press that reached the system shows in the key's state: one a screen reader
// trapped never does, so its flag stands until its release or a session change.
// A trapped one is trusted only in the window it went down in: its release may
// go where we cannot see it.
bool DoublePressFilter::ModifierStillHeld() {
    if (!state_.AnyModifierHeld()) return false;
    for (int index = 0; index < kModifierCount; ++index) {
        const uint32_t* vks = kModifierVks[index];
        ModifierHold& hold = state_.modifierHeld[index];
        if (hold == kModifierHeld && !platform_.IsKeyHeld(vks[0]) &&
            (vks[1] == vks[0] || !platform_.IsKeyHeld(vks[1]))) {
            hold = kModifierUp;
        } else if (hold == kModifierTrapped &&
                   platform_.ForegroundStamp() != state_.trappedIn[index]) {
            hold = kModifierUp;
        }
    }
    return state_.AnyModifierHeld();
}

const std::u16string* DoublePressFilter::GuardedName(uint32_t vk) const {
    if (vk >= kGuardedKeyIndexByVk.size()) return nullptr;
    const size_t index = kGuardedKeyIndexByVk[vk];
    if (index == kGuardedKeyCount) return nullptr;
    if (vk == kVkEscape && settings_.excludeEscape.load(std::memory_order_relaxed) != 0)
        return nullptr;
    if (settings_.singlePressKeys.load(std::memory_order_relaxed) & GuardedKeyBit(index))
        return nullptr;
    return &state_.keyNames[index];
}

bool DoublePressFilter::OnPress(KeyState& s, const std::u16string& name) {
    const bool fresh = s.held == HeldPress::None;
    switch (state_.ignoreMode.load(std::memory_order_relaxed)) {
        case IgnoreMode::Off:
            break;
        case IgnoreMode::NextKey:
            if (EndNextKeyMode(state_.ignoreMode)) feedback_.SoundCue(Cue::NextKeyUsed);
            [[fallthrough]];
        default:
            if (fresh) s.held = HeldPress::Outside;
            return false;
    }
    if (fresh) s.held = HeldPress::Counted;
    const int64_t now = platform_.ReadClock();
    const int64_t timeout = settings_.doublePressTimeout.load(std::memory_order_relaxed);
    if (s.armed && now - s.lastRelease <= timeout) {
        s.letThrough = true;
        return false;
    }
    if (s.letThrough) return false;  // auto-repeat of a press let through
    feedback_.Announce(name);
    s.armed = false;
    return true;
}

void DoublePressFilter::OnRelease(KeyState& s) {
    const HeldPress press = s.held;
    if (press == HeldPress::None) return;
    s.held = HeldPress::None;
    s.letThrough = false;
    if (press != HeldPress::Counted) return;
    s.armed = !s.armed;
    s.lastRelease = platform_.ReadClock();
}

}  // namespace quillet
