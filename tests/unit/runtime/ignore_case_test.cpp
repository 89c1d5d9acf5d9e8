#include "runtime/ignore_case.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace quillet {
namespace {

TEST(IgnoreCase, UpperCasesAsWindowsDoes) {
    struct Row {
        char16_t in, out;
    } rows[] = {
        {u'a', u'A'},           {u'z', u'Z'},           {u'A', u'A'},
        {u'@', u'@'},           {u'\u00e9', u'\u00c9'}, {u'\u00fe', u'\u00de'},
        {u'\u00f7', u'\u00f7'}, {u'\u00ff', u'\u0178'}, {u'\u00b5', u'\u00b5'},
        {u'\u00df', u'\u00df'}, {u'\u0101', u'\u0100'}, {u'\u012f', u'\u012e'},
        {u'\u0131', u'\u0131'}, {u'\u0130', u'\u0130'}, {u'\u0133', u'\u0132'},
        {u'\u0138', u'\u0138'}, {u'\u013a', u'\u0139'}, {u'\u0148', u'\u0147'},
        {u'\u0149', u'\u0149'}, {u'\u014b', u'\u014a'}, {u'\u0177', u'\u0176'},
        {u'\u017e', u'\u017d'}, {u'\u017f', u'\u017f'}, {u'\u03b1', u'\u0391'},
        {u'\u03c2', u'\u03c2'}, {u'\u03c3', u'\u03a3'}, {u'\u03ac', u'\u0386'},
        {u'\u03af', u'\u038a'}, {u'\u03cc', u'\u038c'}, {u'\u03ce', u'\u038f'},
        {u'\u03d0', u'\u03d0'}, {u'\u03f2', u'\u03f9'}, {u'\u0430', u'\u0410'},
        {u'\u044f', u'\u042f'}, {u'\u0451', u'\u0401'}, {u'\u045f', u'\u040f'},
        {u'\u0481', u'\u0480'}, {u'\u04c2', u'\u04c1'}, {u'\u04cf', u'\u04c0'},
        {u'\u04ff', u'\u04fe'}, {u'\u0523', u'\u0522'}, {u'\u0561', u'\u0561'},
        {u'\uff41', u'\uff41'},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(OrdinalUpper(r.in), r.out) << std::hex << static_cast<int>(r.in);
    }
    EXPECT_TRUE(EqualIgnoringCase(u"Devenv.EXE", u"devenv.exe"));
    EXPECT_TRUE(EqualIgnoringCase(u"\u0440\u0435\u0434\u0430\u043a\u0442\u043e\u0440.exe",
                                  u"\u0420\u0415\u0414\u0410\u041a\u0422\u041e\u0420.EXE"));
    EXPECT_FALSE(EqualIgnoringCase(u"devenv.exe", u"devenv.ex"));
    EXPECT_FALSE(EqualIgnoringCase(u"\u0131.exe", u"I.exe"));
}

#if defined(_WIN32)
// Every pair of units in the folded blocks is equal exactly when the system says so.
TEST(IgnoreCase, AgreesWithTheSystemOnEveryPair) {
    auto covered = [](int c) { return c < 0x180 || (c >= 0x370 && c < 0x524); };
    int disagreements = 0;
    for (int a = 0; a < 0x524; ++a) {
        if (!covered(a)) continue;
        for (int b = a + 1; b < 0x524; ++b) {
            if (!covered(b)) continue;
            // Wine pairs Greek yot with its capital from a newer Unicode than Windows' table.
            if (a == 0x37F && b == 0x3F3) continue;
            const wchar_t x = static_cast<wchar_t>(a);
            const wchar_t y = static_cast<wchar_t>(b);
            const bool system = CompareStringOrdinal(&x, 1, &y, 1, TRUE) == CSTR_EQUAL;
            const bool ours =
                OrdinalUpper(static_cast<char16_t>(a)) == OrdinalUpper(static_cast<char16_t>(b));
            if (system != ours && ++disagreements <= 10) {
                ADD_FAILURE() << std::hex << a << " " << b << " system " << system;
            }
        }
    }
    EXPECT_EQ(disagreements, 0);
}
#endif

}  // namespace
}  // namespace quillet
