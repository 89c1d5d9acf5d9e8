// Fakes and a small event-script runner shared by the filter tests.
#pragma once

#include <string>
#include <vector>

#include "filter/double_press_filter.h"

namespace quillet::testing {

class FakeKeyboard final : public FilterPlatform {
public:
    bool ctrl = false;
    bool alt = false;
    int64_t now = 0;
    int clockReads = 0;
    std::vector<uint32_t> keysAsked;

    bool IsKeyHeld(uint32_t vk) override {
        keysAsked.push_back(vk);
        return vk == kVkControl ? ctrl : vk == kVkMenu ? alt : false;
    }
    int64_t ReadClock() override {
        ++clockReads;
        return now;
    }
};

class RecordingFeedback final : public FilterFeedback {
public:
    std::vector<std::u16string> spoken;
    std::vector<std::string> cues;

    void Announce(std::u16string_view text) override { spoken.emplace_back(text); }
    void SoundIgnoreModeCue(int32_t mode) override { cues.push_back("mode" + std::to_string(mode)); }
    void SoundNextKeyConsumedCue() override { cues.push_back("next-key"); }
};

// A filter with freshly built key tables and the default settings.
struct FilterRig {
    FilterState state;
    FilterSettings settings;
    std::atomic<uint8_t>& excludeEscape = settings.excludeEscape;
    std::atomic<int32_t>& timeout = settings.doublePressTimeout;
    FakeKeyboard keyboard;
    RecordingFeedback feedback;
    DoublePressFilter filter{state, settings, keyboard, feedback};

    FilterRig() {
        NamedConstantTable constants;
        RegisterKeyConstants(constants);
        BuildKeyTables(state, constants);
    }

    bool Press(uint32_t vk, int64_t at) { return Send(kWmKeyDown, vk, at); }
    bool Release(uint32_t vk, int64_t at) { return Send(kWmKeyUp, vk, at); }
    bool Send(uint32_t message, uint32_t vk, int64_t at) {
        keyboard.now = at;
        return filter.ShouldSwallow(kHcAction, message, vk);
    }
};

}  // namespace quillet::testing
