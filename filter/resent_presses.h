// Presses a screen reader may send again. A reader's hook below ours traps some
// keys (Escape in browse mode) and later passes them on by injecting the same
// press; that copy must get the decision the typed press got, not a second one.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace quillet {

class ResentPresses {
  public:
    static constexpr size_t kCapacity = 8;
    // How long past the double-press timeout a copy is still awaited: a copy
    // decided afresh within the timeout would pass as a second press.
    static constexpr int64_t kLapseAfterTimeoutMs = 1000;
    // However long the timeout: past this an injected key is more likely another
    // program's (an on-screen keyboard, a braille display's keys) than the copy.
    static constexpr int64_t kLongestWaitMs = 3000;

    // A typed press of `vk` that the chain below consumed, and whether we swallowed it.
    void Expect(uint32_t vk, bool swallowed, int64_t now, int64_t timeoutMs);
    // Cheap test before the clock is read: is any copy of `vk` awaited?
    bool Awaits(uint32_t vk) const;
    // For an injected event of `vk`: the decision of the press it repeats, or
    // nothing when it repeats none. A copy is its down, its up, and an up that
    // may come first while the key is still held.
    std::optional<bool> Take(uint32_t vk, bool press, int64_t now);

  private:
    struct Expected {
        uint32_t vk;
        bool swallowed;
        bool downSeen;
        int64_t until;
    };
    void Erase(size_t index);
    // Index of the newest copy of `vk` still awaited whose down has (or has
    // not) come, or count_.
    size_t Newest(uint32_t vk, bool downSeen) const;

    // Oldest first.
    std::array<Expected, kCapacity> items_{};
    size_t count_ = 0;
};

}  // namespace quillet
