// Fakes and a small event-script runner shared by the filter tests.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "filter/double_press_filter.h"

namespace quillet::testing {

class FakeKeyboard final : public FilterPlatform {
  public:
    bool ctrl = false;
    bool alt = false;
    std::set<uint32_t> down;  // other keys, as the rig presses and releases them
    int64_t now = 0;
    int clockReads = 0;
    std::vector<uint32_t> keysAsked;
    int noOpKeys = 0;
    bool listedOrOwnWindowInFront = false;  // the window in front gets its keys
    int programAsks = 0;
    uint64_t foreground = 1;  // the window in front

    bool IsKeyHeld(uint32_t vk) override {
        keysAsked.push_back(vk);
        if ((vk == kVkControl && ctrl) || (vk == kVkMenu && alt)) return true;
        return down.count(vk) != 0;
    }
    int64_t ReadClock() override {
        ++clockReads;
        return now;
    }
    void SendNoOpKey() override { ++noOpKeys; }
    bool ListedOrOwnWindowInFront() override {
        ++programAsks;
        return listedOrOwnWindowInFront;
    }
    uint64_t ForegroundStamp() override { return foreground; }
    uint64_t WindowInFront() override { return foreground; }
};

class RecordingFeedback final : public FilterFeedback {
  public:
    std::vector<std::u16string> spoken;
    std::vector<Cue> cues;

    void Announce(std::u16string_view text) override { spoken.emplace_back(text); }
    void SoundCueFromHook(Cue cue) override { cues.push_back(cue); }
};

// A filter with freshly built key tables and the default settings, asking
// `Keyboard` and telling `Feedback` (the tests' fakes, or the benchmark's).
template <typename Keyboard, typename Feedback>
struct BasicFilterRig {
    FilterState state;
    FilterSettings settings;
    Keyboard keyboard;
    Feedback feedback;
    DoublePressFilter filter{state, settings, keyboard, feedback};

    BasicFilterRig() { BuildKeyTables(state); }
};

struct FilterRig : BasicFilterRig<FakeKeyboard, RecordingFeedback> {
    std::atomic<uint8_t>& excludeEscape = settings.excludeEscape;
    std::atomic<int32_t>& timeout = settings.doublePressTimeout;

    // No key's press was counted by the double-press rule.
    bool KeyStatesUntouched() const {
        for (const KeyState& s : state.keyStates) {
            if (s.lastRelease != 0 || s.armed || s.held == HeldPress::Swallowed ||
                s.held == HeldPress::Passed)
                return false;
        }
        return true;
    }

    bool Press(uint32_t vk, int64_t at) { return Send(kWmKeyDown, vk, at); }
    bool Release(uint32_t vk, int64_t at) { return Send(kWmKeyUp, vk, at); }
    bool Send(uint32_t message, uint32_t vk, int64_t at, KeyOrigin origin = {}) {
        keyboard.now = at;
        const bool swallowed = filter.ShouldSwallow(kHcAction, message, vk, origin);
        // The system's key state changes after the hooks have decided, and never
        // for a key a hook kept.
        if (origin.chainConsumed || swallowed) return swallowed;
        if (message == kWmKeyDown || message == kWmSysKeyDown) keyboard.down.insert(vk);
        if (message == kWmKeyUp || message == kWmSysKeyUp) keyboard.down.erase(vk);
        return swallowed;
    }
};

}  // namespace quillet::testing
