#include <gtest/gtest.h>

#include <utility>

#include "filter/double_press_filter.h"
#include "filter/millisecond_clock.h"

namespace quillet {
namespace {

// The ignore mode as the hook thread sees it, with the menu's choice (if any)
// landing between the hook's read and its write.
struct ScriptedMode {
    IgnoreMode value;
    int32_t menuChoice;  // -1: the menu does nothing

    IgnoreMode load(std::memory_order) const { return value; }
    bool compare_exchange(IgnoreMode& expected, IgnoreMode desired) {
        if (menuChoice >= 0) value = static_cast<IgnoreMode>(std::exchange(menuChoice, -1));
        if (value != expected) {
            expected = value;
            return false;
        }
        value = desired;
        return true;
    }
    bool compare_exchange_weak(IgnoreMode& e, IgnoreMode d, std::memory_order) {
        return compare_exchange(e, d);
    }
    bool compare_exchange_strong(IgnoreMode& e, IgnoreMode d, std::memory_order) {
        return compare_exchange(e, d);
    }
};

TEST(IgnoreMode, AMenuChoiceBetweenReadAndWriteIsNeverLost) {
    struct Case {
        bool cycle;  // the hot key; otherwise the end of "next key only"
        int32_t before, menuChoice, after, answer;
    } cases[] = {
        {true, 0, -1, 1, 1}, {true, 2, -1, 0, 0},  {true, 0, 2, 0, 0},
        {true, 1, 0, 1, 1},  {false, 1, -1, 0, 1}, {false, 1, 2, 2, 0},
        {false, 1, 0, 0, 0}, {false, 1, 1, 0, 1},  {false, 2, -1, 2, 0},
    };
    for (const auto& c : cases) {
        ScriptedMode mode{static_cast<IgnoreMode>(c.before), c.menuChoice};
        const int32_t answer =
            c.cycle ? static_cast<int32_t>(CycleIgnoreMode(mode)) : EndNextKeyMode(mode);
        EXPECT_EQ(answer, c.answer) << c.cycle << " " << c.before << " " << c.menuChoice;
        EXPECT_EQ(static_cast<int32_t>(mode.value), c.after)
            << c.cycle << " " << c.before << " " << c.menuChoice;
    }
}

TEST(KeyTables, ThirteenGuardedKeysNamedByVirtualKey) {
    FilterState state;
    state.keyStates[116] = {99, true, true};
    BuildKeyTables(state);
    const struct {
        uint32_t vk;
        const char16_t* name;
    } cases[] = {{27, u"Escape"}, {112, u"F1"}, {121, u"F10"}, {123, u"F12"}};
    for (const auto& c : cases) {
        ASSERT_LT(GuardedKeyIndex(c.vk), kGuardedKeyCount) << c.vk;
        EXPECT_EQ(state.keyNames[GuardedKeyIndex(c.vk)], c.name);
    }
    int guarded = 0;
    for (uint32_t vk = 0; vk < 256; ++vk) {
        const size_t index = kGuardedKeyIndexByVk[vk];
        if (index == kGuardedKeyCount) continue;
        ++guarded;
        EXPECT_EQ(index, GuardedKeyIndex(vk)) << vk;
    }
    EXPECT_EQ(guarded, 13);
    for (uint32_t absent : {0u, 111u, 124u, 45u}) {
        EXPECT_EQ(GuardedKeyIndex(absent), kGuardedKeyCount) << absent;
    }
    EXPECT_EQ(state.keyStates[116].held, HeldPress::None);
    EXPECT_EQ(state.keyStates[116].lastRelease, 0);
}

class FakeCounter final : public CounterSource {
  public:
    bool hasCounter = true;
    int64_t frequency = 10'000'000;
    int64_t counter = 0;
    uint32_t ticks = 0;
    bool QueryFrequency(int64_t& f) override {
        f = frequency;
        return hasCounter;
    }
    int64_t QueryCounter() override { return counter; }
    uint32_t TickCount() override { return ticks; }
};

TEST(MillisecondClock, CountsMillisecondsFromTheFirstReading) {
    FakeCounter source;
    source.counter = 5'000'000'000;
    MillisecondClock clock(source);
    EXPECT_EQ(clock.Read(), 0);
    source.counter += 3'009'999;  // 300.9999 ms truncates
    EXPECT_EQ(clock.Read(), 300);
    source.counter += 10'000'000LL * 86'400 * 60;  // sixty days on, no 32-bit wrap
    EXPECT_EQ(clock.Read(), 300 + 86'400'000LL * 60);
}

TEST(MillisecondClock, FallsBackToTickCountUntilTheCounterWorks) {
    struct Case {
        bool hasCounter;
        int64_t frequency;
    } unusable[] = {{false, 10'000'000}, {true, 999}, {true, 0}};
    for (const auto& c : unusable) {
        FakeCounter source;
        source.hasCounter = c.hasCounter;
        source.frequency = c.frequency;
        source.ticks = 0xFFFFFFF0u;
        MillisecondClock clock(source);
        EXPECT_EQ(clock.Read(), 0xFFFFFFF0LL);  // widened without sign
        source.ticks += 0x20;                   // wraps: the reading goes on
        EXPECT_EQ(clock.Read(), 0x100000010LL);
        source.hasCounter = true;
        source.frequency = 1000;
        source.counter = 77;
        source.ticks += 5;
        // Tried again, now from the counter, carrying on where the ticks left off.
        EXPECT_EQ(clock.Read(), 0x100000015LL);
        source.counter = 177;
        EXPECT_EQ(clock.Read(), 0x100000015LL + 100);
        source.counter = 100;  // a counter that steps back is not followed
        EXPECT_EQ(clock.Read(), 0x100000015LL + 100);
    }
}

}  // namespace
}  // namespace quillet
