// The tables the keyboard filter works from: named key constants, the guarded
// keys with their spoken names, and what is remembered about each guarded key.
#pragma once

#include <array>
#include <atomic>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "filter/resent_presses.h"

namespace quillet {

// Virtual-key codes the filter cares about.
inline constexpr uint32_t kVkShift = 16;
inline constexpr uint32_t kVkControl = 17;
inline constexpr uint32_t kVkMenu = 18;  // Alt
inline constexpr uint32_t kVkCapital = 20;
inline constexpr uint32_t kVkEscape = 27;
inline constexpr uint32_t kVkInsert = 45;
inline constexpr uint32_t kVkLWin = 91;
inline constexpr uint32_t kVkRWin = 92;
inline constexpr uint32_t kVkNumpad0 = 96;
inline constexpr uint32_t kVkF1 = 112;

struct KeyState {
    int64_t lastRelease = 0;  // clock reading at the last release handled in mode 0
    bool armed = false;       // a release armed the key: a press soon after passes
    bool letThrough = false;  // from a press let through until the next release
};

// Case-insensitive registry of named integer constants ("#VK_F1" = 112 ...).
class NamedConstantTable {
  public:
    void RegisterConstant(std::u16string_view name, int32_t value);
    // 0 when no entry matches, ignoring letter case.
    int32_t LookupConstant(std::u16string_view name) const;
    size_t size() const { return values_.size(); }

  private:
    static std::u16string Fold(std::u16string_view name);
    std::unordered_map<std::u16string, int32_t> values_;
};

void RegisterKeyConstants(NamedConstantTable& table);

using KeyNameTable = std::unordered_map<std::u16string, std::u16string>;
// By virtual key; only the guarded keys' records are ever written.
using KeyStateTable = std::array<KeyState, 256>;

enum IgnoreModeValue : int32_t {
    kIgnoreOff = 0,      // the double-press rule applies
    kIgnoreNextKey = 1,  // suspended for the next guarded key only
    kIgnoreAlways = 2,   // suspended until changed again
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
int32_t CycleIgnoreMode(Mode& mode) {
    int32_t seen = mode.load(std::memory_order_relaxed);
    while (!mode.compare_exchange_weak(seen, (seen + 1) % 3, std::memory_order_relaxed)) {
    }
    return (seen + 1) % 3;
}

// Ends "next key only"; false when the mode was something else by then.
template <typename Mode>
bool EndNextKeyMode(Mode& mode) {
    int32_t expected = kIgnoreNextKey;
    return mode.compare_exchange_strong(expected, kIgnoreOff, std::memory_order_relaxed);
}

enum ModifierHold : uint8_t {
    kModifierUp = 0,
    kModifierHeld = 1,     // its press reached the system, so the key's state shows it
    kModifierTrapped = 2,  // a hook below ours (the reader's) kept it: only its release tells
};

// Everything the filter remembers between events. Belongs to the hook thread;
// only ignoreMode is shared, because the menu reads and sets it.
struct FilterState {
    KeyNameTable keyNames;
    // Each guarded key's name in keyNames by virtual key, so the hook finds it
    // without making or hashing a text; nullptr for every other key.
    std::array<const std::u16string*, 256> guardedNames{};
    KeyStateTable keyStates{};
    // Spoken for each ignore mode; the shell puts in the user's language before
    // the hook starts, so the hook thread never looks a text up.
    std::u16string ignoreModeTexts[3] = {std::u16string(kIgnoreModeTexts[0]),
                                         std::u16string(kIgnoreModeTexts[1]),
                                         std::u16string(kIgnoreModeTexts[2])};
    std::atomic<int32_t> ignoreMode{kIgnoreOff};
    // One held flag per screen-reader modifier key (Caps Lock, Insert, the
    // numpad's Insert or 0).
    // Flags rather than a press/release count: auto-repeats and releases
    // without a press must not leave the filter switched off.
    ModifierHold modifierHeld[3] = {kModifierUp, kModifierUp, kModifierUp};
    // Guarded keys whose press we saw and whose release has not come yet.
    std::bitset<256> keyDown;
    ResentPresses resentPresses;

    bool AnyModifierHeld() const { return modifierHeld[0] || modifierHeld[1] || modifierHeld[2]; }
};

// Fills keyNames with "27" -> "Escape" and the codes of #VK_F1..#VK_F12 -> "F1".."F12",
// points guardedNames at them and zeroes every key's record.
void BuildKeyTables(FilterState& state, const NamedConstantTable& constants);

}  // namespace quillet
