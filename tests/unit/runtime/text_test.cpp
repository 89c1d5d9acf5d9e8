#include "runtime/text.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(Text, Utf8RoundTripsEveryPlane) {
    const std::u16string samples[] = {u"", u"F5", u"caf\u00e9", u"\u20ac100", u"\U0001F600 ok"};
    for (const auto& s : samples) EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(s)), s);
    EXPECT_EQ(Utf16ToUtf8(u"\u00e9"), "\xC3\xA9");
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST(Text, BadInputBecomesReplacementCharacter) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"\xC3", u"\uFFFD"},            // truncated sequence
        {"\xC0\xAF", u"\uFFFD\uFFFD"},  // overlong
        {"a\xFF"
         "b",
         u"a\uFFFDb"},                            // never valid
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'\xDC00', u'a'}),
              "\xEF\xBF\xBD"
              "a");
}

TEST(Text, IntegerText) {
    EXPECT_EQ(IntegerText(0), u"0");
    EXPECT_EQ(IntegerText(112), u"112");
    EXPECT_EQ(IntegerText(-50), u"-50");
    EXPECT_EQ(IntegerText(INT64_MIN), u"-9223372036854775808");
}

TEST(Text, FillPlaceholderFillsTheFirstOnly) {
    struct Case {
        const char16_t* pattern;
        const char16_t* filled;
    } cases[] = {
        {u"%d MS", u"5 MS"},
        {u"%%d %d", u"%d 5"},  // a percent sign first, then the placeholder
        {u"%s or %d", u"5 or %d"},
        {u"100%%", u"100%"},
    };
    for (const auto& c : cases) EXPECT_EQ(FillPlaceholder(c.pattern, u"5"), c.filled);
}

}  // namespace
}  // namespace quillet
