#include "filter/decision_log.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

// The newest 100 are kept, oldest first, across the end of the slots.
TEST(DecisionLog, KeepsTheLastHundredInOrder) {
    for (uint32_t written : {0u, 1u, 100u, 101u, 128u, 129u, 300u}) {
        DecisionLog log;
        for (uint32_t n = 0; n < written; ++n) log.Write({n, 112, 0, Decision::FirstPress, 0, n});
        const std::vector<LoggedDecision> kept = log.Read();
        ASSERT_EQ(kept.size(), std::min(written, DecisionLog::kSize)) << written;
        for (size_t n = 0; n < kept.size(); ++n) {
            EXPECT_EQ(kept[n].time, written - kept.size() + n) << written;
            EXPECT_EQ(kept[n].program, kept[n].time);
        }
    }
}

TEST(ProgramNames, FindsANameUntilItsSlotIsTaken) {
    ProgramNames names;
    const uint32_t first = names.Keep(u"notepad.exe");
    EXPECT_EQ(names.Keep(u"notepad.exe"), first);  // the same program again
    EXPECT_EQ(names.Find(first), u"notepad.exe");
    EXPECT_EQ(names.Current(), first);
    EXPECT_EQ(names.Find(0), u"");
    const std::u16string longName(100, u'x');
    const uint32_t second = names.Keep(longName);
    EXPECT_EQ(names.Find(second), longName.substr(0, ProgramNames::kLength));
    for (uint32_t n = 0; n < ProgramNames::kSlots; ++n) names.Keep(n % 2 ? u"a.exe" : u"b.exe");
    EXPECT_EQ(names.Find(first), u"");
}

}  // namespace
}  // namespace quillet
