#include "prefs/json_parser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace quillet {
namespace {

using namespace json_messages;

// Each parse replaces the last one's value.
JsonValue& Parsed(std::u16string_view text) {
    static JsonValue root;
    JsonError error;
    if (!ParseJson(text, root, &error)) {
        ADD_FAILURE() << "parse failed: " << error.message;
        ClearJsonValue(root);
    }
    return root;
}

TEST(JsonParser, Failures) {
    struct Case {
        std::u16string text;
        const char* message;
        int32_t line, position;
    } cases[] = {
        {u"", kUnexpectedEnd, 1, 1},
        {u" \t ", kUnexpectedEnd, 1, 3},
        {u"\uFEFF{}", kUnexpectedCharacter, 1, 1},
        {u"{\"a\":1,}", kNameExpected, 1, 8},
        {u"{1:2}", kNameExpected, 1, 2},
        {u"[1,]", kUnexpectedCharacter, 1, 4},
        {u"[1 2]", kUnexpectedCharacter, 1, 4},
        {u"{\"a\" 1}", kColonExpected, 1, 6},
        {u"{\"a\":1 \"b\":2}", kUnexpectedCharacter, 1, 8},
        {u"[\r\n1,\r\nx", kUnexpectedCharacter, 3, 1},
        {u"[\n1,\nx", kUnexpectedCharacter, 3, 1},
        {u"[\r1,\rx", kUnexpectedCharacter, 3, 1},
        {u"[\n\r1,x", kUnexpectedCharacter, 3, 3},  // LF CR is two breaks
        {u"[1,\r\n", kUnexpectedEnd, 2, 1},         // position 0 is reported as 1
        {u"-", kUnexpectedEnd, 1, 1},
        {u"-x", kInvalidNumber, 1, 2},
        {u"1.", kUnexpectedEnd, 1, 2},
        {u"1.x", kInvalidNumber, 1, 3},
        {u"1.e5", kInvalidNumber, 1, 3},
        {u"1e", kUnexpectedEnd, 1, 2},
        {u"1ex", kInvalidNumber, 1, 3},
        {u"1e+", kUnexpectedEnd, 1, 3},
        {u"1e-]", kInvalidNumber, 1, 4},
        {u"+1", kUnexpectedCharacter, 1, 1},
        {u".5", kUnexpectedCharacter, 1, 1},
        {u"\"a\\q\"", kInvalidEscape, 1, 4},
        {u"\"\\u12g4\"", kInvalidEscape, 1, 6},
        {u"\"\\u12", kUnexpectedEnd, 1, 5},
        {u"\"abc", kUnexpectedEnd, 1, 4},
        {u"\"\\", kUnexpectedEnd, 1, 2},
        {u"True", kUnexpectedCharacter, 1, 1},
        {u"tru", kUnexpectedEnd, 1, 3},
        {u"trUe", kUnexpectedCharacter, 1, 3},
        {u"nul", kUnexpectedEnd, 1, 3},
        {u"falsey", kUnexpectedCharacter, 1, 6},
        {u"1 2", kUnexpectedCharacter, 1, 3},
        {u"{\"a\":1", kUnexpectedEnd, 1, 6},
        {u"[", kUnexpectedEnd, 1, 1},
        {u"{", kUnexpectedEnd, 1, 1},
        {u"{\"a\"", kUnexpectedEnd, 1, 4},
        {u"{\"a\":", kUnexpectedEnd, 1, 5},
        {std::u16string(u"[1,\0 2]", 7), kUnexpectedEnd, 1, 3},  // a 0 unit ends the text
    };
    for (const auto& c : cases) {
        JsonValue root;
        JsonError error;
        EXPECT_FALSE(ParseJson(c.text, root, &error)) << "text index " << (&c - cases);
        EXPECT_EQ(error.message, c.message) << "text index " << (&c - cases);
        EXPECT_EQ(error.line, c.line) << "text index " << (&c - cases);
        EXPECT_EQ(error.position, c.position) << "text index " << (&c - cases);
    }
}

TEST(JsonParser, SuccessClearsTheErrorAndAFailureLeavesTheValue) {
    JsonValue root;
    JsonError error;
    EXPECT_FALSE(ParseJson(u"[1,]", root, &error));
    EXPECT_FALSE(error.message.empty());
    EXPECT_EQ(root.kind, JsonKind::Null);  // nothing of the partial tree
    ASSERT_TRUE(ParseJson(u" \r\n{\"keep\":42} \t\r\n", root, &error));
    EXPECT_EQ(error.message, "");
    EXPECT_EQ(error.line, -1);
    EXPECT_EQ(error.position, -1);

    const MemberTable* before = root.members.get();
    EXPECT_FALSE(ParseJson(u"{\"keep\":43,}", root, &error));
    ASSERT_EQ(root.members.get(), before);
    EXPECT_EQ(FindJsonMember(root, u"keep")->payload.integer, 42);
    EXPECT_FALSE(ParseJson(u"[", root));  // the error is optional
    EXPECT_EQ(FindJsonMember(root, u"keep")->payload.integer, 42);
}

TEST(JsonParser, Integers) {
    struct Case {
        std::u16string text;
        int64_t value;
    } cases[] = {
        {u"007", 7},
        {u"-0", 0},
        {u"-12", -12},
        {u"9223372036854775807", INT64_MAX},
        {u"-9223372036854775808", INT64_MIN},
        {u"18446744073709551617", 1},  // 2^64 + 1 wraps
        {u"9223372036854775808", INT64_MIN},
        {u" \r\n\t 300 \r\n", 300},
    };
    for (const auto& c : cases) {
        const JsonValue& v = Parsed(c.text);
        EXPECT_EQ(v.kind, JsonKind::Number);
        EXPECT_EQ(v.isFloat, 0);
        EXPECT_EQ(v.payload.integer, c.value);
    }
}

TEST(JsonParser, Floats) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        std::u16string text;
        double value;
    } cases[] = {
        {u"1.0", 1.0},
        {u"1e2", 100.0},
        {u"1E+2", 100.0},
        {u"-2.5e-3", -0.0025},
        {u"0.1", 0.1},
        {u"250.9", 250.9},
        {u"1e400", inf},
        {u"-1e400", -inf},
        {u"123456789e302", inf},
        {u"0.000000001e-320", 0.0},
        {u"1e-400", 0.0},
        {u"4.9e-324", 4.9406564584124654e-324},
        {u"0e999999999999", 0.0},
        {u"1.7976931348623157e308", 1.7976931348623157e308},
    };
    for (const auto& c : cases) {
        const JsonValue& v = Parsed(c.text);
        EXPECT_EQ(v.kind, JsonKind::Number);
        EXPECT_EQ(v.isFloat, 1);
        EXPECT_EQ(v.payload.real, c.value) << std::string(c.text.begin(), c.text.end());
    }
    EXPECT_TRUE(std::signbit(Parsed(u"-1e-400").payload.real));
}

TEST(JsonParser, StringsAndEscapes) {
    struct Case {
        std::u16string text;
        std::u16string value;
    } cases[] = {
        {u"\"\"", u""},
        {u"\"a\tb\r\nc\"", u"a\tb\r\nc"},  // raw control characters stay
        {u"\"\\\"\\\\\\/\\b\\f\\n\\r\\t\"", u"\"\\/\b\f\n\r\t"},
        {u"\"\\u00e9\\u00E9\"", u"\u00e9\u00e9"},
        {u"\"\\ud83d\\ude00\"", u"\U0001F600"},
        {u"\"\\udc00x\"", std::u16string{char16_t(0xDC00), u'x'}},  // lone surrogate kept
        {u"\"ab\\u0000cd\"", u"ab"},                                // an escaped 0 ends the text
        {u"\"\U0001F600\u00e9\"", u"\U0001F600\u00e9"},
    };
    for (const auto& c : cases) {
        const JsonValue& v = Parsed(c.text);
        EXPECT_EQ(v.kind, JsonKind::String);
        EXPECT_EQ(v.text, c.value);
    }
}

TEST(JsonParser, LiteralsAndContainers) {
    EXPECT_EQ(Parsed(u"true").payload.bits, 1u);
    EXPECT_EQ(Parsed(u"false").kind, JsonKind::Boolean);
    EXPECT_EQ(Parsed(u"false").payload.bits, 0u);
    EXPECT_EQ(Parsed(u"null").kind, JsonKind::Null);

    JsonValue& array = Parsed(u"[ 1 , [] , {} , \"s\" , null ,true]");
    ASSERT_EQ(array.kind, JsonKind::Array);
    ASSERT_EQ(array.elements.size(), 6u);
    EXPECT_EQ(array.elements[1]->kind, JsonKind::Array);
    EXPECT_EQ(array.elements[2]->kind, JsonKind::Object);
    EXPECT_EQ(array.elements[4]->kind, JsonKind::Null);

    // "!" and "a" share a chain: the repeated "!" keeps the place of its first use.
    JsonValue& object = Parsed(u"{\"!\":1,\"a\":2,\"!\":3, \"\":{\"x\":[]}}");
    ASSERT_EQ(object.kind, JsonKind::Object);
    EXPECT_EQ(object.members->Count(), 3u);
    EXPECT_EQ(FindJsonMember(object, u"!")->payload.integer, 3);
    std::u16string order;
    object.members->ForEach([&](const JsonMember& m) { order += m.name + u"|"; });
    EXPECT_EQ(order, u"|a|!|");
    EXPECT_EQ(FindJsonMember(*FindJsonMember(object, u""), u"x")->kind, JsonKind::Array);
}

TEST(JsonParser, NestingStopsAtTheLimit) {
    auto nested = [](int depth, char16_t open, char16_t close) {
        return std::u16string(depth, open) + std::u16string(depth, close);
    };
    JsonValue root;
    JsonError error;
    EXPECT_TRUE(ParseJson(nested(kMaxJsonDepth, u'[', u']'), root, &error));
    EXPECT_FALSE(ParseJson(nested(kMaxJsonDepth + 1, u'[', u']'), root, &error));
    EXPECT_EQ(error.message, kTooDeep);
    EXPECT_EQ(error.position, kMaxJsonDepth + 1);

    std::u16string objects;
    for (int i = 0; i < kMaxJsonDepth; ++i) objects += u"{\"a\":";
    objects += u"[]" + std::u16string(kMaxJsonDepth, u'}');
    EXPECT_FALSE(ParseJson(objects, root, &error));
    EXPECT_EQ(error.message, kTooDeep);

    // A hostile file: far deeper than any stack would survive by plain recursion.
    EXPECT_FALSE(ParseJson(std::u16string(1'000'000, u'['), root, &error));
    EXPECT_EQ(error.message, kTooDeep);
}

}  // namespace
}  // namespace quillet
