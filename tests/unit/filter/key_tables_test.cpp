#include "filter/key_tables.h"

#include <gtest/gtest.h>

#include "filter/millisecond_clock.h"

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
    EXPECT_TRUE(state.keyStates.empty());
}

TEST(KeyTables, KeyStateForCreatesAZeroedRecordOnce) {
    FilterState state;
    KeyState& s = KeyStateFor(state, u"116");
    EXPECT_EQ(s.lastRelease, 0);
    EXPECT_EQ(s.releaseCount, 0);
    EXPECT_EQ(s.passThrough, 0);
    s.lastRelease = 99;
    s.passThrough = 1;
    EXPECT_EQ(&KeyStateFor(state, u"116"), &s);
    EXPECT_EQ(KeyStateFor(state, u"116").lastRelease, 99);
    EXPECT_EQ(state.keyStates.size(), 1u);
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
