#include "runtime/program_list.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/text.h"

namespace quillet {
namespace {

using Names = std::vector<std::u16string>;

TEST(ProgramList, KeepsOnlyFileNamesOnceEach) {
    const std::u16string longest(ProgramList::kMaxNameLength, u'x');
    struct Case {
        Names candidates, kept;
    } cases[] = {
        {{u"", u"C:\\a.exe", u"bin/b.exe", u"c:d.exe", u"e.exe"}, {u"e.exe"}},
        {{longest + u"y", longest}, {longest}},
        {{u"DevEnv.exe", u"devenv.EXE", u"mstsc.exe", u"DEVENV.EXE"},
         {u"DevEnv.exe", u"mstsc.exe"}},
        {{u"\u00e9dit.exe", u"\u00c9DIT.exe", u"\u0444.exe", u"\u0424.EXE"},
         {u"\u00e9dit.exe", u"\u0444.exe"}},
        {{u"\u0131.exe", u"I.exe"}, {u"\u0131.exe", u"I.exe"}},  // apart for Windows too
    };
    for (const Case& c : cases) EXPECT_EQ(ProgramList(c.candidates).Names(), c.kept);

    Names many;
    for (int i = 0; i < 300; ++i) many.push_back(IntegerText(i) + u".exe");
    ProgramList full(many);
    EXPECT_EQ(full.Names(), Names(many.begin(), many.begin() + ProgramList::kMaxPrograms));
    EXPECT_FALSE(full.Add(u"one-more.exe"));
    EXPECT_TRUE(full.Remove(u"0.EXE"));
    EXPECT_TRUE(full.Add(u"one-more.exe"));
}

TEST(ProgramList, MatchesInAnyCase) {
    const std::u16string longest(ProgramList::kMaxNameLength, u'x');
    const std::u16string longestUpper(ProgramList::kMaxNameLength, u'X');
    ProgramList list(Names{u"devenv.exe", u"\u0420\u0435\u0434.exe", u"\u00c5r.exe", longest});
    const std::u16string_view listed[] = {u"devenv.exe", u"DEVENV.EXE", u"\u0440\u0415\u0414.EXE",
                                          u"\u00e5R.exe", longestUpper};
    for (auto name : listed) EXPECT_TRUE(list.Contains(name)) << name.size();
    const std::u16string tooLong(400, u'a');
    const std::u16string_view unlisted[] = {u"devenv.ex", u"devenv.exe ", u"", u"C:\\devenv.exe",
                                            tooLong};
    for (auto name : unlisted) EXPECT_FALSE(list.Contains(name)) << name.size();

    EXPECT_FALSE(list.Add(u"DEVENV.exe"));
    EXPECT_FALSE(list.Add(u"C:\\x.exe"));
    EXPECT_TRUE(list.Add(u"Mstsc.exe"));
    EXPECT_FALSE(list.Remove(u"notepad.exe"));
    EXPECT_TRUE(list.Remove(u"DEVENV.EXE"));
    EXPECT_FALSE(list.Contains(u"devenv.exe"));
    EXPECT_TRUE(list.Contains(u"mstsc.EXE"));
    EXPECT_EQ(list.Names(),
              (Names{u"\u0420\u0435\u0434.exe", u"\u00c5r.exe", longest, u"Mstsc.exe"}));
}

// On Windows names are folded by the system, as its file systems fold them: beyond
// the portable table's scripts too, which is all the native build folds.
TEST(ProgramList, MatchesAsWindowsFoldsNames) {
    struct Row {
        std::u16string_view listed, asked;
        bool matches, beyondPortable;
    } rows[] = {
        {u"Tr\u1ea1m.exe", u"TR\u1ea0M.EXE", true, true},                    // Vietnamese
        {u"\uff21\uff22\uff23.exe", u"\uff41\uff42\uff43.exe", true, true},  // fullwidth
        {u"\u053a\u0561\u0574.exe", u"\u053a\u0531\u0544.EXE", true, true},  // Armenian
        {u"\u01c6.exe", u"\u01c4.exe", true, true},                          // Latin Extended-B
        {u"Tr\u1ea1m.exe", u"Tram.exe", false, false},
        {u"\u0131.exe", u"I.exe", false, false},
    };
    for (const Row& r : rows) {
#if !defined(_WIN32)
        if (r.beyondPortable) continue;
#endif
        EXPECT_EQ(ProgramList(Names{std::u16string(r.listed)}).Contains(r.asked), r.matches)
            << Utf16ToUtf8(r.listed);
    }
}

}  // namespace
}  // namespace quillet
