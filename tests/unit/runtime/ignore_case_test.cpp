#include "runtime/ignore_case.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace quillet {
namespace {

TEST(IgnoreCase, UpperCasesAsWindowsDoes) {
    const std::u16string_view lower =
        u"az\u00e9\u00fe\u00ff\u0101\u0133\u013a\u017e\u03ac\u03b1\u03c3\u03cc\u03f2\u0430\u0451"
        u"\u0481\u04c2\u04cf\u0523";
    const std::u16string_view upper =
        u"AZ\u00c9\u00de\u0178\u0100\u0132\u0139\u017d\u0386\u0391\u03a3\u038c\u03f9\u0410\u0401"
        u"\u0480\u04c1\u04c0\u0522";
    for (size_t i = 0; i < lower.size(); ++i) EXPECT_EQ(OrdinalUpper(lower[i]), upper[i]) << i;
    // No capital in Windows' table: µ ß ÷ İ ı ĸ ŉ ſ ς ϐ; Armenian is past the table.
    for (char16_t kept : u"@\u00b5\u00df\u00f7\u0130\u0131\u0138\u0149\u017f\u03c2\u03d0\u0561") {
        EXPECT_EQ(OrdinalUpper(kept), kept) << static_cast<int>(kept);
    }
    EXPECT_TRUE(EqualIgnoringCase(u"Devenv.EXE", u"devenv.exe"));
    EXPECT_FALSE(EqualIgnoringCase(u"devenv.exe", u"devenv.ex"));
}

// The order a sorted list is searched in: upper-cased units, then the shorter first.
TEST(IgnoreCase, OrdersAsTheFileSystemCompares) {
    const std::u16string_view sorted[] = {u"",  u"a", u"AB",     u"abc",
                                          u"B", u"_", u"\u0430", u"\u0411"};
    for (size_t i = 0; i + 1 < std::size(sorted); ++i) {
        EXPECT_LT(CompareIgnoringCase(sorted[i], sorted[i + 1]), 0) << i;
        EXPECT_GT(CompareIgnoringCase(sorted[i + 1], sorted[i]), 0) << i;
    }
    EXPECT_EQ(CompareIgnoringCase(std::u16string_view(), u""), 0);
    EXPECT_EQ(CompareIgnoringCase(u"ABC", u"abc"), 0);
}

#if defined(_WIN32)
// Every pair of units in the folded blocks is equal exactly when the system says so.
TEST(IgnoreCase, AgreesWithTheSystemOnEveryPair) {
    auto covered = [](int c) { return c < 0x180 || (c >= 0x370 && c < 0x524); };
    int disagreements = 0;
    for (int a = 0; a < 0x524; ++a) {
        for (int b = a + 1; b < 0x524 && covered(a); ++b) {
            // Wine pairs Greek yot with its capital from a newer Unicode than Windows' table.
            if (!covered(b) || (a == 0x37F && b == 0x3F3)) continue;
            const wchar_t x = static_cast<wchar_t>(a), y = static_cast<wchar_t>(b);
            const bool system = CompareStringOrdinal(&x, 1, &y, 1, TRUE) == CSTR_EQUAL;
            if (system != (OrdinalUpper(x) == OrdinalUpper(y)) && ++disagreements <= 10) {
                ADD_FAILURE() << std::hex << a << " " << b << " system " << system;
            }
        }
    }
    EXPECT_EQ(disagreements, 0);
}
#endif

}  // namespace
}  // namespace quillet
