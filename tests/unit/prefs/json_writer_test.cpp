#include "prefs/json_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "prefs/json_parser.h"

namespace quillet {
namespace {

std::u16string Rewritten(std::u16string_view text, uint32_t flags) {
    JsonValue root;
    JsonError error;
    if (!ParseJson(text, root, &error)) {
        ADD_FAILURE() << "parse failed: " << error.message;
        return u"";
    }
    return JsonText(root, flags);
}

TEST(JsonWriter, Layouts) {
    struct Case {
        std::u16string input, compact, pretty;
    } cases[] = {
        {u"{}", u"{}", u"{}"},
        {u"[]", u"[]", u"[]"},
        {u"null", u"null", u"null"},
        {u"{\"a\":{\"b\":1}}", u"{\"a\":{\"b\":1}}",
         u"{\r\n  \"a\": {\r\n      \"b\": 1\r\n    }\r\n}"},
        {u"{\"a\":[1,2]}", u"{\"a\":[1,2]}",
         u"{\r\n  \"a\": [\r\n      1,\r\n      2\r\n    ]\r\n}"},
        {u"[1,[2,{}],{\"k\":true}]", u"[1,[2,{}],{\"k\":true}]",
         u"[\r\n  1,\r\n  [\r\n    2,\r\n    {}\r\n  ],\r\n  {\r\n    \"k\": true\r\n  }\r\n]"},
        // "bb" hashes to chain 0, before "a" in chain 33.
        {u"{\"a\":[],\"bb\":{}}", u"{\"bb\":{},\"a\":[]}",
         u"{\r\n  \"bb\": {},\r\n  \"a\" : []\r\n}"},
        // Padding counts the name before escaping, so the escaped name's colon stands further
        // right.
        {u"{\"a\\\"b\":1,\"abcd\":2}", u"{\"abcd\":2,\"a\\\"b\":1}",
         u"{\r\n  \"abcd\": 2,\r\n  \"a\\\"b\" : 1\r\n}"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Rewritten(c.input, 0), c.compact);
        EXPECT_EQ(Rewritten(c.input, kJsonPrettyPrint), c.pretty);
        EXPECT_EQ(Rewritten(c.input, 2), c.compact);  // other bits do nothing
        // What the writer produced reads back to the same text.
        EXPECT_EQ(Rewritten(c.pretty, kJsonPrettyPrint), c.pretty);
    }
}

std::u16string NumberText(double real) {
    JsonValue v;
    SetJsonFloat(v, real);
    return JsonText(v, 0);
}

TEST(JsonWriter, Numbers) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double value;
        std::u16string text;
    } floats[] = {
        {0.5, u"0.5"},
        {300.0, u"300"},
        {250.0, u"250"},
        {-1.5, u"-1.5"},
        {0.1, u"0.10000000000000000555111512312578"},
        {1e-5, u"1.0000000000000000818030539140313e-05"},
        {0.0001, u"0.00010000000000000000479217360238593"},
        {1e31, u"9999999999999999635896294965248"},
        {1e32, u"1.0000000000000000536616220439347e+32"},
        {-1e300, u"-1.0000000000000000525047602552044e+300"},
        {4.9406564584124654e-324, u"4.9406564584124654417656879286822e-324"},
        {inf, u"null"},
        {-inf, u"null"},
        {std::numeric_limits<double>::quiet_NaN(), u"null"},
    };
    for (const auto& c : floats) EXPECT_EQ(NumberText(c.value), c.text);

    JsonValue negativeZero;
    SetJsonFloat(negativeZero, -0.0);
    EXPECT_EQ(JsonText(negativeZero, 0), u"0");
    EXPECT_FALSE(std::signbit(negativeZero.payload.real));  // stored back as +0

    const int64_t integers[] = {0, -1, 300, INT64_MAX, INT64_MIN};
    const std::u16string texts[] = {u"0", u"-1", u"300", u"9223372036854775807",
                                    u"-9223372036854775808"};
    for (int i = 0; i < 5; ++i) {
        JsonValue v;
        SetJsonInteger(v, integers[i]);
        EXPECT_EQ(JsonText(v, 0), texts[i]);
    }
    // A whole float goes out without a point and reads back as an integer.
    JsonValue whole;
    SetJsonFloat(whole, 250.0);
    JsonValue read;
    ASSERT_TRUE(ParseJson(JsonText(whole, 0), read));
    EXPECT_EQ(read.isFloat, 0);
}

// Records every sink call, so surrogate pairs can be seen travelling as one.
std::vector<uint32_t> SinkCalls(std::u16string_view text) {
    JsonValue v;
    SetJsonString(v, text);
    std::vector<uint32_t> calls;
    EXPECT_TRUE(WriteJson(
        v, [&](uint32_t cp) { return calls.push_back(cp), true; }, 0, 0));
    return calls;
}

std::u16string StringText(std::u16string_view text) {
    JsonValue v;
    SetJsonString(v, text);
    return JsonText(v, 0);
}

TEST(JsonWriter, Strings) {
    struct Case {
        std::u16string text, written;
    } cases[] = {
        {u"", u"\"\""},
        {u"a/b", u"\"a/b\""},
        {u"\"\\", u"\"\\\"\\\\\""},
        {u"\b\t\n\f\r", u"\"\\b\\t\\n\\f\\r\""},
        {std::u16string{1, 0x1F, 0x7F}, u"\"\\u0001\\u001f\x7F\""},
        {u"\u00e9\u20ac", u"\"\u00e9\u20ac\""},
        {u"\U0001F600", u"\"\U0001F600\""},
        // Lone surrogates go out as escapes and read back unchanged.
        {std::u16string{u'a', char16_t(0xD83D)}, u"\"a\\ud83d\""},
        {std::u16string{char16_t(0xDE00), u'b'}, u"\"\\ude00b\""},
        {std::u16string{char16_t(0xD83D), char16_t(0xD83D), char16_t(0xDE00)},
         u"\"\\ud83d\U0001F600\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StringText(c.text), c.written);
        JsonValue read;
        ASSERT_TRUE(ParseJson(c.written, read));
        EXPECT_EQ(read.text, c.text);
    }
    EXPECT_EQ(SinkCalls(u"\U0001F600"), (std::vector<uint32_t>{'"', 0xDE00D83D, '"'}));
}

TEST(JsonWriter, StopsAtTheFirstFailedSinkCall) {
    JsonValue root;
    ASSERT_TRUE(ParseJson(u"{\"a\":[1,2,{\"b\":\"text\"}],\"c\":null}", root));
    const size_t total = JsonText(root, kJsonPrettyPrint).size();
    for (size_t failAt = 0; failAt < total; ++failAt) {
        size_t calls = 0;
        const bool ok = WriteJson(
            root, [&](uint32_t) { return calls++ != failAt; }, 0, kJsonPrettyPrint);
        EXPECT_FALSE(ok);
        EXPECT_EQ(calls, failAt + 1);
    }
    JsonValue bad;
    bad.kind = static_cast<JsonKind>(9);
    EXPECT_FALSE(WriteJson(
        bad, [](uint32_t) { return true; }, 0, 0));
}

}  // namespace
}  // namespace quillet
