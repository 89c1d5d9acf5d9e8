#include "filter/double_press_filter.h"

#include "runtime/text.h"

namespace quillet {

namespace {
constexpr uint32_t kPressKind = kWmKeyDown;
constexpr uint32_t kReleaseKind = kWmKeyUp;
constexpr uint32_t kSysBit = 4;  // WM_SYSKEY* differ from WM_KEY* by this bit

// The screen-reader modifiers, in the order of FilterState::modifierHeld.
constexpr int kModifierCount = 3;
constexpr uint32_t kModifierVks[kModifierCount] = {kVkCapital, kVkInsert, kVkNumpad0};

int ModifierIndex(uint32_t vk) {
    for (int index = 0; index < kModifierCount; ++index) {
        if (kModifierVks[index] == vk) return index;
    }
    return -1;
}
}  // namespace

bool DoublePressFilter::ShouldSwallow(int hookCode, uint32_t message, uint32_t vk) {
    if (hookCode != kHcAction) return false;

    // Ctrl+Alt+Escape cycles the ignore mode; every Escape event while both
    // are held is swallowed, so the hot key never reaches an application.
    if (vk == kVkEscape && platform_.IsKeyHeld(kVkControl) && platform_.IsKeyHeld(kVkMenu)) {
        if (message == kWmKeyDown) {
            // The menu may set the mode at any moment; its last word or ours wins.
            const int32_t mode = (state_.ignoreMode.load(std::memory_order_relaxed) + 1) % 3;
            state_.ignoreMode.store(mode, std::memory_order_relaxed);
            if (mode >= 0 && mode < 3) feedback_.Announce(state_.ignoreModeTexts[mode]);
            feedback_.SoundIgnoreModeCue(mode);
        }
        return true;
    }

    const std::u16string keyText = DecimalText(vk);
    TrackModifier(message, vk);
    const std::u16string* name = GuardedName(keyText);
    if (!name || ModifierStillHeld()) return false;

    switch (message & ~kSysBit) {
        case kPressKind:
            return OnPress(keyText, *name);
        case kReleaseKind:
            OnRelease(keyText);
            return false;
        default:
            return false;
    }
}

void DoublePressFilter::TrackModifier(uint32_t message, uint32_t vk) {
    const int index = ModifierIndex(vk);
    if (index < 0) return;
    if (message == kWmKeyDown || message == kWmSysKeyDown) {
        state_.modifierHeld[index] = true;
    } else if (message == kWmKeyUp || message == kWmSysKeyUp) {
        state_.modifierHeld[index] = false;
    }
}

// A release can be lost, for instance to a secure desktop that took over while
// the key was held; the filter must not stay off until it is pressed again.
bool DoublePressFilter::ModifierStillHeld() {
    if (!state_.AnyModifierHeld()) return false;
    for (int index = 0; index < kModifierCount; ++index) {
        if (state_.modifierHeld[index] && !platform_.IsKeyHeld(kModifierVks[index])) {
            state_.modifierHeld[index] = false;
        }
    }
    return state_.AnyModifierHeld();
}

const std::u16string* DoublePressFilter::GuardedName(const std::u16string& keyText) const {
    if (settings_.excludeEscape.load(std::memory_order_relaxed) != 0 && keyText == u"27")
        return nullptr;
    const auto it = state_.keyNames.find(keyText);
    return it == state_.keyNames.end() ? nullptr : &it->second;
}

bool DoublePressFilter::OnPress(const std::u16string& keyText, const std::u16string& name) {
    const int64_t now = platform_.ReadClock();
    switch (state_.ignoreMode.load(std::memory_order_relaxed)) {
        case kIgnoreAlways:
            return false;
        case kIgnoreNextKey:
            state_.ignoreMode.store(kIgnoreOff, std::memory_order_relaxed);
            feedback_.SoundNextKeyConsumedCue();
            return false;
        case kIgnoreOff:
            break;
        default:
            return false;
    }
    KeyState& s = KeyStateFor(state_, keyText);
    const int64_t timeout = settings_.doublePressTimeout.load(std::memory_order_relaxed);
    if (s.releaseCount >= 1 && now - s.lastRelease <= timeout) {
        s.passThrough = 1;
        return false;
    }
    if (s.passThrough != 0) return false;  // auto-repeat of a press let through
    feedback_.Announce(name);
    s.releaseCount = 0;
    return true;
}

void DoublePressFilter::OnRelease(const std::u16string& keyText) {
    const int64_t now = platform_.ReadClock();
    switch (state_.ignoreMode.load(std::memory_order_relaxed)) {
        case kIgnoreOff: {
            KeyState& s = KeyStateFor(state_, keyText);
            s.passThrough = 0;
            s.releaseCount = s.releaseCount >= 1 ? 0 : s.releaseCount + 1;
            s.lastRelease = now;
            return;
        }
        case kIgnoreNextKey:
            state_.ignoreMode.store(kIgnoreOff, std::memory_order_relaxed);
            return;
        default:
            return;
    }
}

}  // namespace quillet
