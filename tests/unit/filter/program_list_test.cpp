#include "filter/program_list.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/text.h"

namespace quillet {
namespace {

using Names = std::vector<std::u16string>;

TEST(ProgramList, KeepsOnlyFileNamesOnceEach) {
    const std::u16string longest(ProgramList::kMaxNameLength, u'x');
    struct Case {
        const char* name;
        Names candidates;
        Names kept;
    } cases[] = {
        {"plain", {u"devenv.exe", u"mstsc.exe"}, {u"devenv.exe", u"mstsc.exe"}},
        {"empty dropped", {u"", u"mstsc.exe"}, {u"mstsc.exe"}},
        {"folders and drives dropped",
         {u"C:\\Tools\\a.exe", u"bin/b.exe", u"c:d.exe", u"e.exe"},
         {u"e.exe"}},
        {"longest kept, longer dropped", {longest + u"y", longest}, {longest}},
        {"first spelling kept", {u"DevEnv.exe", u"devenv.EXE", u"DEVENV.EXE"}, {u"DevEnv.exe"}},
        {"non-ASCII repeats",
         {u"\u00e9diteur.exe", u"\u00c9DITEUR.exe", u"\u0444.exe", u"\u0424.EXE"},
         {u"\u00e9diteur.exe", u"\u0444.exe"}},
        {"distinct where Windows keeps them apart",
         {u"\u0131.exe", u"I.exe"},
         {u"\u0131.exe", u"I.exe"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgramList(c.candidates).Names(), c.kept) << c.name;
    }
}

TEST(ProgramList, HoldsAtMost256) {
    Names many;
    for (int i = 0; i < 300; ++i) many.push_back(DecimalText(i) + u".exe");
    ProgramList list(many);
    ASSERT_EQ(list.Names().size(), ProgramList::kMaxPrograms);
    EXPECT_EQ(list.Names().back(), many[ProgramList::kMaxPrograms - 1]);
    EXPECT_FALSE(list.Contains(many[ProgramList::kMaxPrograms]));
    EXPECT_FALSE(list.Add(u"one-more.exe"));
    EXPECT_TRUE(list.Remove(many[0]));
    EXPECT_TRUE(list.Add(u"one-more.exe"));
}

TEST(ProgramList, MatchesInAnyCase) {
    const ProgramList list(Names{u"devenv.exe", u"\u0420\u0435\u0434.exe", u"\u00c5r.exe"});
    struct Row {
        std::u16string_view fileName;
        bool listed;
    } rows[] = {
        {u"devenv.exe", true},
        {u"DEVENV.EXE", true},
        {u"devenv.ex", false},
        {u"devenv.exe ", false},
        {u"\u0440\u0415\u0414.EXE", true},
        {u"\u00e5R.exe", true},
        {u"", false},
        {u"C:\\devenv.exe", false},
        {std::u16string(400, u'a'), false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(list.Contains(r.fileName), r.listed) << r.fileName.size();
    }
    EXPECT_FALSE(ProgramList().Contains(u"devenv.exe"));
}

TEST(ProgramList, AddAndRemoveFollowTheSameRules) {
    ProgramList list(Names{u"devenv.exe"});
    EXPECT_FALSE(list.Add(u"DEVENV.exe"));
    EXPECT_FALSE(list.Add(u"C:\\x.exe"));
    EXPECT_FALSE(list.Add(u""));
    EXPECT_TRUE(list.Add(u"Mstsc.exe"));
    EXPECT_TRUE(list.Contains(u"mstsc.EXE"));
    EXPECT_FALSE(list.Remove(u"notepad.exe"));
    EXPECT_TRUE(list.Remove(u"DEVENV.EXE"));
    EXPECT_FALSE(list.Contains(u"devenv.exe"));
    EXPECT_TRUE(list.Contains(u"mstsc.exe"));
    EXPECT_EQ(list.Names(), Names{u"Mstsc.exe"});
}

}  // namespace
}  // namespace quillet
