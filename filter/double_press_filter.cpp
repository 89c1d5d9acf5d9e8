// The rule for one guarded key while the ignore mode is off, for a fresh press:
//
//   event    when                                decision        then
//   press    armed, within the timeout after     pass            Passed
//            the last release (never before it)
//   press    otherwise                           swallow, speak  Swallowed, not armed
//
// Before it: every fresh Escape press while Ctrl and Alt are held is the hot key's,
// swallowed, and cycles the ignore mode; while a screen-reader modifier is held, or
// a program that gets its keys is in front, every press passes and counts for
// nothing; "next key only" ends at the next guarded press, which passes; "always"
// passes everything. A copy a screen reader sends of a press it trapped gets that
// press's decision, changing nothing.
//
// A key the user chose to pass on a single press (Escape excluded, or one of F1
// to F12) is not guarded: its events pass untouched, as any other key's.
//
// An auto-repeat and a release belong to their press, whatever is in front, held,
// chosen or the mode when they come:
//
//   press was                       repeat                        release
//   Swallowed (a first press)       swallow, speak again          pass; arms, the time kept
//   Passed (a second press)         pass while the window its     pass; disarms, the time kept
//                                   press went to is in front,
//   Outside (passed for another     else swallow silently         pass
//            reason)
//   HotKey                          swallow silently              swallow
//   never seen                      -                             pass
//
// A repeat never spends "next key only", never arms and never counts. A press is a
// repeat only while its press can still be down: no other key was typed since (the
// keyboard repeats the key typed last), it comes within kLongestRepeatGap of the
// key's last down event, and, for one that reached the system, the system shows the
// key down (inside the hook its state is still the one before this event). Otherwise its release
// was lost (to an elevated window, or a hook above ours): the record ends as if nothing had been
// held and the press is decided afresh.
//
// A program's event of a key whose typed press is held (an on-screen keyboard, a
// braille display's key) is decided on its own, leaving the typed press's record alone.
//
// Each press of a guarded key (the hot key's, a copy's and a repeat's too) is listed in
// FilterState::decisions with why it went as it did (Decision); a repeat only when its
// decision changes, so a key held down does not push out the rest.
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
// Windows repeats a held key after at most 1 s, then at least every 400 ms (the slow
// repeat of FilterKeys waits up to 2 s); a longer silence means the key went up.
constexpr int64_t kLongestRepeatGap = 2500;

// The screen-reader modifiers as physical keys, in the order of
// FilterState::modifierHeld, each with the virtual keys it can show as.
constexpr int kModifierCount = 3;
constexpr uint32_t kModifierVks[kModifierCount][2] = {
    {kVkCapital, kVkCapital}, {kVkInsert, kVkInsert}, {kVkInsert, kVkNumpad0}};

// Shift, Ctrl, Alt and Win by virtual key: the left and right keys a hook sees, and
// the undivided ones a program may send; and the screen-reader modifiers.
constexpr uint8_t kReaderModifier = kLeftShift | kRightShift;
constexpr std::array<uint8_t, 256> kModifierBitByVk = [] {
    std::array<uint8_t, 256> bits{};
    bits[kVkShift] = bits[0xA0] = kLeftShift;
    bits[0xA1] = kRightShift;
    bits[kVkControl] = bits[0xA2] = kLeftCtrl;
    bits[0xA3] = kRightCtrl;
    bits[kVkMenu] = bits[0xA4] = kLeftAlt;
    bits[0xA5] = kRightAlt;
    bits[kVkLWin] = kLeftWin;
    bits[kVkRWin] = kRightWin;
    bits[kVkCapital] = bits[kVkInsert] = bits[kVkNumpad0] = kReaderModifier;
    return bits;
}();

// What a repeat is listed as, by how its press was decided, before adding 1 for a
// swallowed one: a passed press's repeats pass or are swallowed, the others' are swallowed.
constexpr uint8_t kRepeatDecisions[] = {
    0,
    static_cast<uint8_t>(Decision::RepeatSpoken) - 1,   // Swallowed
    static_cast<uint8_t>(Decision::RepeatPassed),       // Passed
    static_cast<uint8_t>(Decision::RepeatPassed),       // Outside
    static_cast<uint8_t>(Decision::HotKeyRepeat) - 1};  // HotKey
static_assert(static_cast<int>(Decision::RepeatSwallowed) ==
              static_cast<int>(Decision::RepeatPassed) + 1);

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

// What the filter does with each key: most of what is typed only becomes the key
// typed last; a modifier (a reader's, or Shift, Ctrl, Alt, Win for the list) is
// tracked; a guarded key is decided.
enum class KeyRole : uint8_t { Other, Modifier, Guarded };
constexpr std::array<KeyRole, 256> kKeyRoles = [] {
    std::array<KeyRole, 256> roles{};
    for (size_t vk = 0; vk < roles.size(); ++vk) {
        if (kModifierBitByVk[vk] != 0) roles[vk] = KeyRole::Modifier;
    }
    for (const GuardedKey& key : kGuardedKeys) roles[key.vk] = KeyRole::Guarded;
    return roles;
}();
}  // namespace

bool DoublePressFilter::ShouldSwallow(int hookCode, uint32_t message, uint32_t vk,
                                      const KeyOrigin& origin) {
    if (hookCode != kHcAction) return false;

    const uint32_t kind = message & ~kSysBit;
    const KeyRole role = vk < kKeyRoles.size() ? kKeyRoles[vk] : KeyRole::Other;
    if (role != KeyRole::Guarded) {
        if (role == KeyRole::Modifier) TrackModifier(message, vk, origin);
        if (kind == kPressKind && !origin.injected) state_.lastTyped = vk;
        return false;
    }
    if (origin.injected) return DecideSent(message, kind, vk, origin);

    bool fresh = kind == kPressKind;
    KeyState& record = state_.keyStates[vk];
    const bool swallow = Decide(record, message, kind, vk, origin, fresh);
    if (kind == kPressKind) state_.lastTyped = vk;
    if (origin.chainConsumed) {
        // A press the rule holds (a single-press key's is not held) is one whose copy, if
        // the chain below sends one, must be decided alike.
        if (kind == kPressKind && record.held != HeldPress::None) {
            state_.resentPresses.Expect(
                vk, swallow, platform_.ReadClock(),
                settings_.doublePressTimeout.load(std::memory_order_relaxed));
        }
    } else if (swallow && fresh) {
        KeepModifierFromActingAlone();
    }
    return swallow;
}

bool DoublePressFilter::DecideSent(uint32_t message, uint32_t kind, uint32_t vk,
                                   const KeyOrigin& origin) {
    bool fresh = kind == kPressKind;
    bool swallow = false;
    // A copy the chain below sends of a press it trapped is decided as that press
    // was, silently, and leaves every state as it is.
    std::optional<bool> copy;
    if (state_.resentPresses.Awaits(vk)) {
        copy = state_.resentPresses.Take(vk, fresh, platform_.ReadClock());
    }
    if (copy) {
        swallow = *copy;
        if (kind == kPressKind) Record(vk, origin, Decision::Copy, swallow);
    } else {
        KeyState& record = state_.keyStates[vk];
        swallow = record.held != HeldPress::None && !record.sent
                      ? DecideAmidTypedPress(record, message, kind, vk, origin, fresh)
                      : Decide(record, message, kind, vk, origin, fresh);
    }
    if (swallow && fresh && !origin.chainConsumed) KeepModifierFromActingAlone();
    return swallow;
}

// Last, once every state is settled: under Wine the no-op key enters the hook again
// from within the call that sends it.
void DoublePressFilter::KeepModifierFromActingAlone() {
    if (ModifierWouldActAlone()) platform_.SendNoOpKey();
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

bool DoublePressFilter::DecideAmidTypedPress(KeyState& record, uint32_t message, uint32_t kind,
                                             uint32_t vk, const KeyOrigin& origin, bool& fresh) {
    KeyState scratch = record;
    scratch.held = record.sentHeld;
    const bool swallow = Decide(scratch, message, kind, vk, origin, fresh);
    record.sentHeld = scratch.held;
    // The program's release shows the key up in the system's state: from now on only
    // the time tells whether the user's press is still down.
    if (kind == kReleaseKind && !swallow && record.reached) {
        record.reached = false;
        record.lastDown = platform_.ReadClock();
    }
    return swallow;
}

bool DoublePressFilter::Decide(KeyState& s, uint32_t message, uint32_t kind, uint32_t vk,
                               const KeyOrigin& origin, bool& fresh) {
    if (kind == kReleaseKind) return OnRelease(s);
    if (kind == kPressKind && s.held != HeldPress::None) {
        if (IsRepeat(s, vk)) {
            fresh = false;
            const bool swallow = DecideRepeat(s, vk);
            // Listed when its decision changes: a key held down would push out the rest.
            const auto why = static_cast<Decision>(kRepeatDecisions[static_cast<int>(s.held)] +
                                                   static_cast<int>(swallow));
            if (why != s.listedRepeat) ListRepeat(s, vk, origin, why);
            return swallow;
        }
        s.held = HeldPress::None;  // its release was lost: armed and its time stay
    }

    // Ctrl+Alt+Escape cycles the ignore mode; its press, repeats and release never
    // reach an application.
    if (vk == kVkEscape && platform_.IsKeyHeld(kVkControl) && platform_.IsKeyHeld(kVkMenu)) {
        if (message == kWmKeyDown) {
            const auto mode = static_cast<int32_t>(CycleIgnoreMode(state_.ignoreMode));
            feedback_.Announce(state_.ignoreModeTexts[mode]);
            feedback_.SoundCueFromHook(IgnoreModeCue(mode));
            Record(vk, origin, Decision::HotKey, static_cast<uint8_t>(mode));
        }
        if (kind == kPressKind) {
            s.armed = false;  // Escape needs two presses of its own after it
            HoldSwallowed(s, HeldPress::HotKey, origin, platform_.ReadClock());
        }
        return true;
    }

    const std::u16string* name = GuardedName(vk, origin);
    if (!name || kind != kPressKind) return false;
    if (ModifierStillHeld() || platform_.ListedOrOwnWindowInFront()) {
        Record(vk, origin,
               state_.AnyModifierHeld() ? Decision::ReaderKeyHeld : Decision::ProgramGetsItsKeys);
        HoldPassed(s, HeldPress::Outside, origin, platform_.ReadClock());
        return false;
    }
    return OnPress(s, vk, *name, origin);
}

bool DoublePressFilter::IsRepeat(KeyState& s, uint32_t vk) {
    if (!s.sent && state_.lastTyped != vk) return false;  // another key went down since
    // Too long since its last down event for the keyboard's repeat; a release eaten by
    // a hook above ours leaves the system's state down too.
    const int64_t now = platform_.ReadClock();
    if (now - s.lastDown > kLongestRepeatGap) return false;
    if (s.reached && !platform_.IsKeyHeld(vk)) return false;
    s.lastDown = now;
    return true;
}

bool DoublePressFilter::DecideRepeat(const KeyState& s, uint32_t vk) {
    switch (s.held) {
        case HeldPress::Swallowed:
            feedback_.Announce(state_.keyNames[kGuardedKeyIndexByVk[vk]]);
            return true;
        case HeldPress::HotKey:
            return true;
        default:
            // The user decided for the window in front, not for the one that follows it.
            return platform_.WindowInFront() != s.window;
    }
}

void DoublePressFilter::ListRepeat(KeyState& s, uint32_t vk, const KeyOrigin& origin,
                                   Decision why) {
    s.listedRepeat = why;
    Record(vk, origin, why);
}

void DoublePressFilter::ForgetHeldKeys() {
    for (auto& held : state_.modifierHeld) held = kModifierUp;
    state_.modifiersDown = 0;
    // A second press let through ends at its release, which may never come now.
    for (KeyState& s : state_.keyStates) s.held = s.sentHeld = HeldPress::None;
}

void DoublePressFilter::ForgetTrappedModifiers() {
    for (auto& held : state_.modifierHeld) {
        if (held == kModifierTrapped) held = kModifierUp;
    }
}

void DoublePressFilter::TrackModifier(uint32_t message, uint32_t vk, const KeyOrigin& origin) {
    const uint8_t bit = kModifierBitByVk[vk];
    if (bit != kReaderModifier) {
        if (message == kWmKeyDown || message == kWmSysKeyDown) state_.modifiersDown |= bit;
        if (message == kWmKeyUp || message == kWmSysKeyUp) {
            state_.modifiersDown &= static_cast<uint8_t>(~bit);
        }
        return;
    }
    const int index = ModifierIndex(vk, origin.extended);
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
// A trapped one is trusted until a window whose input we may not see comes to the
// front (FilterPlatform::ForegroundStamp): its release may go there.
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

const std::u16string* DoublePressFilter::GuardedName(uint32_t vk, const KeyOrigin& origin) {
    const size_t index = kGuardedKeyIndexByVk[vk];  // vk < 256: a guarded key's
    if ((vk == kVkEscape && settings_.excludeEscape.load(std::memory_order_relaxed) != 0) ||
        (settings_.singlePressKeys.load(std::memory_order_relaxed) & GuardedKeyBit(index))) {
        RecordSinglePress(vk, origin);  // a press: releases never come here
        return nullptr;
    }
    return &state_.keyNames[index];
}

void DoublePressFilter::RecordSinglePress(uint32_t vk, const KeyOrigin& origin) {
    Record(vk, origin, Decision::SinglePress);
}

bool DoublePressFilter::OnPress(KeyState& s, uint32_t vk, const std::u16string& name,
                                const KeyOrigin& origin) {
    switch (state_.ignoreMode.load(std::memory_order_relaxed)) {
        case IgnoreMode::Off:
            break;
        case IgnoreMode::NextKey:
            if (EndNextKeyMode(state_.ignoreMode)) feedback_.SoundCueFromHook(Cue::NextKeyUsed);
            Record(vk, origin, Decision::Ignoring, static_cast<uint8_t>(IgnoreMode::NextKey));
            HoldPassed(s, HeldPress::Outside, origin, platform_.ReadClock());
            return false;
        default:
            Record(vk, origin, Decision::Ignoring, static_cast<uint8_t>(IgnoreMode::Always));
            HoldPassed(s, HeldPress::Outside, origin, platform_.ReadClock());
            return false;
    }
    const int64_t now = platform_.ReadClock();
    const int64_t timeout = settings_.doublePressTimeout.load(std::memory_order_relaxed);
    // A press dated before the release it follows is no second press.
    if (s.armed && now >= s.lastRelease && now - s.lastRelease <= timeout) {
        Record(vk, origin, Decision::SecondPress);
        HoldPassed(s, HeldPress::Passed, origin, now);
        return false;
    }
    Record(vk, origin, Decision::FirstPress);
    feedback_.Announce(name);
    s.armed = false;
    HoldSwallowed(s, HeldPress::Swallowed, origin, now);
    return true;
}

void DoublePressFilter::HoldPassed(KeyState& s, HeldPress how, const KeyOrigin& origin,
                                   int64_t now) {
    const bool kept = origin.chainConsumed;
    s.held = how;
    s.listedRepeat = Decision::None;
    s.sent = origin.injected;
    s.reached = !kept;
    s.lastDown = now;
    // A press a hook below kept went to the window in front as far as the user knows.
    s.window = platform_.WindowInFront();
}

void DoublePressFilter::HoldSwallowed(KeyState& s, HeldPress how, const KeyOrigin& origin,
                                      int64_t now) {
    s.held = how;
    s.listedRepeat = Decision::None;
    s.sent = origin.injected;
    s.reached = false;
    s.lastDown = now;
}

bool DoublePressFilter::OnRelease(KeyState& s) {
    const HeldPress press = s.held;
    s.held = HeldPress::None;
    if (press == HeldPress::Swallowed || press == HeldPress::Passed) {
        s.armed = press == HeldPress::Swallowed;
        s.lastRelease = platform_.ReadClock();
    }
    return press == HeldPress::HotKey;
}

}  // namespace quillet
