#include "filter/key_tables.h"

#include <gtest/gtest.h>

#include <utility>

#include "filter/millisecond_clock.h"
#include "runtime/text.h"

namespace quillet {
namespace {

TEST(NamedConstants, LookupIgnoresCaseAndAnswersZeroForUnknownNames) {
    NamedConstantTable table;
    RegisterKeyConstants(table);
    EXPECT_EQ(table.size(), 12u);
    struct Case {
        const char16_t* name;
        int32_t value;
    } cases[] = {
        {u"#VK_F1", 112}, {u"#vk_f1", 112}, {u"#Vk_F12", 123}, {u"#vK_f7", 118},
        {u"#vk_f13", 0},  {u"vk_f1", 0},    {u"#vk_f01", 0},   {u"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(table.LookupConstant(c.name), c.value);
    table.RegisterConstant(u"#vk_F1", 7);
    EXPECT_EQ(table.LookupConstant(u"#VK_F1"), 7);
    EXPECT_EQ(table.size(), 12u);
}

// The ignore mode as the hook thread sees it, with the menu's choice (if any)
// landing between the hook's read and its write.
struct ScriptedMode {
    int32_t value;
    int32_t menuChoice;  // -1: the menu does nothing

    int32_t load(std::memory_order) const { return value; }
    bool compare_exchange(int32_t& expected, int32_t desired) {
        if (menuChoice >= 0) value = std::exchange(menuChoice, -1);
        if (value != expected) {
            expected = value;
            return false;
        }
        value = desired;
        return true;
    }
    bool compare_exchange_weak(int32_t& e, int32_t d, std::memory_order) {
        return compare_exchange(e, d);
    }
    bool compare_exchange_strong(int32_t& e, int32_t d, std::memory_order) {
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
        ScriptedMode mode{c.before, c.menuChoice};
        const int32_t answer = c.cycle ? CycleIgnoreMode(mode) : EndNextKeyMode(mode);
        EXPECT_EQ(answer, c.answer) << c.cycle << " " << c.before << " " << c.menuChoice;
        EXPECT_EQ(mode.value, c.after) << c.cycle << " " << c.before << " " << c.menuChoice;
    }
}

TEST(KeyTables, NameThirteenKeysByVirtualKeyText) {
    NamedConstantTable constants;
    RegisterKeyConstants(constants);
    FilterState state;
    BuildKeyTables(state, constants);
    EXPECT_EQ(state.keyNames.size(), 13u);
    EXPECT_EQ(state.keyNames.at(u"27"), u"Escape");
    EXPECT_EQ(state.keyNames.at(u"112"), u"F1");
    EXPECT_EQ(state.keyNames.at(u"121"), u"F10");
    EXPECT_EQ(state.keyNames.at(u"123"), u"F12");
    for (const char16_t* absent : {u"0", u"0112", u" 112", u"124", u"111"}) {
        EXPECT_FALSE(state.keyNames.contains(absent));
    }
    // The same names by virtual key, where the hook looks; a name changed in
    // the map later (Escape's, in the user's language) is the one it finds.
    int guarded = 0;
    for (uint32_t vk = 0; vk < 256; ++vk) {
        const std::u16string* name = state.guardedNames[vk];
        if (!name) continue;
        ++guarded;
        EXPECT_EQ(name, &state.keyNames.at(DecimalText(vk))) << vk;
    }
    EXPECT_EQ(guarded, 13);
    state.keyNames[u"27"] = u"Echap";
    EXPECT_EQ(*state.guardedNames[27], u"Echap");
}

TEST(KeyTables, BuildingThemAgainZeroesEveryKeysRecord) {
    FilterState state;
    state.keyStates[116] = {99, true, true};
    BuildKeyTables(state, NamedConstantTable{});
    EXPECT_EQ(state.keyStates[116].lastRelease, 0);
    EXPECT_FALSE(state.keyStates[116].letThrough);
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
        source.hasCounter = true;
        source.frequency = 1000;
        source.counter = 77;
        EXPECT_EQ(clock.Read(), 0);  // tried again, now from the counter
        source.counter = 177;
        EXPECT_EQ(clock.Read(), 100);
    }
}

}  // namespace
}  // namespace quillet
