// The keys the filter knows by their virtual-key codes: the guarded keys with
// their spoken names, and the modifiers it asks about.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillet {

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

struct GuardedKey {
    uint32_t vk;
    std::u16string_view name;  // in English; the shell puts Escape's in the user's language
};

inline constexpr GuardedKey kGuardedKeys[] = {
    {kVkEscape, u"Escape"}, {kVkF1, u"F1"},     {kVkF1 + 1, u"F2"},  {kVkF1 + 2, u"F3"},
    {kVkF1 + 3, u"F4"},     {kVkF1 + 4, u"F5"}, {kVkF1 + 5, u"F6"},  {kVkF1 + 6, u"F7"},
    {kVkF1 + 7, u"F8"},     {kVkF1 + 8, u"F9"}, {kVkF1 + 9, u"F10"}, {kVkF1 + 10, u"F11"},
    {kVkF1 + 11, u"F12"},
};
inline constexpr size_t kGuardedKeyCount = std::size(kGuardedKeys);

// Sets of guarded keys as bit masks, bit n for kGuardedKeys[n].
constexpr uint32_t GuardedKeyBit(size_t index) { return uint32_t{1} << index; }

// Where `vk` is in kGuardedKeys, or kGuardedKeyCount for a key that passes untouched.
constexpr size_t GuardedKeyIndex(uint32_t vk) {
    size_t n = 0;
    while (n < kGuardedKeyCount && kGuardedKeys[n].vk != vk) ++n;
    return n;
}

// The same by virtual key, for the hook: one read per event.
inline constexpr std::array<uint8_t, 256> kGuardedKeyIndexByVk = [] {
    std::array<uint8_t, 256> index{};
    index.fill(kGuardedKeyCount);
    for (size_t n = 0; n < kGuardedKeyCount; ++n)
        index[kGuardedKeys[n].vk] = static_cast<uint8_t>(n);
    return index;
}();

}  // namespace quillet
