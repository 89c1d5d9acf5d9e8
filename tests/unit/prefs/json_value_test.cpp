#include "prefs/json_value.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace quillet {
namespace {

std::vector<std::u16string> MemberNames(const JsonValue& object) {
    std::vector<std::u16string> names;
    object.members->ForEach([&](const JsonMember& m) { names.push_back(m.name); });
    return names;
}

TEST(MemberTable, SettingsNamesLandInTheirChains) {
    EXPECT_EQ(MemberTable::ChainOf(u"exclude_escape"), 6u);
    EXPECT_EQ(MemberTable::ChainOf(u"doublePressTimeout"), 15u);
    EXPECT_EQ(MemberTable::ChainOf(u"runAsAdmin"), 50u);
    EXPECT_EQ(MemberTable::Hash(u""), 0u);
    EXPECT_EQ(MemberTable::Hash(u"ab"), 97u * 65599u + 98u);
}

TEST(MemberTable, IterationFollowsChainsWhateverTheInsertionOrder) {
    std::vector<std::u16string> names = {u"runAsAdmin", u"doublePressTimeout", u"exclude_escape"};
    std::sort(names.begin(), names.end());
    const std::vector<std::u16string> expected = {u"exclude_escape", u"doublePressTimeout",
                                                  u"runAsAdmin"};
    do {
        JsonValue object;
        SetJsonObject(object);
        for (const auto& name : names) SetJsonInteger(*SetJsonMember(object, name), 1);
        EXPECT_EQ(MemberNames(object), expected);
    } while (std::next_permutation(names.begin(), names.end()));
}

TEST(MemberTable, NewestFirstWithinAChainAndRepeatedNameKeepsItsPlace) {
    // "!" (33) and "a" (97) share chain 33.
    JsonValue object;
    SetJsonObject(object);
    SetJsonInteger(*SetJsonMember(object, u"!"), 1);
    SetJsonInteger(*SetJsonMember(object, u"a"), 2);
    SetJsonInteger(*SetJsonMember(object, u"b"), 3);
    EXPECT_EQ(MemberNames(object), (std::vector<std::u16string>{u"a", u"!", u"b"}));

    JsonValue* again = SetJsonMember(object, u"!");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->kind, JsonKind::Null);  // cleared, not kept
    SetJsonString(*again, u"x");
    EXPECT_EQ(object.members->Count(), 3u);
    EXPECT_EQ(MemberNames(object), (std::vector<std::u16string>{u"a", u"!", u"b"}));
    EXPECT_EQ(FindJsonMember(object, u"!")->text, u"x");
    EXPECT_EQ(FindJsonMember(object, u"A"), nullptr);  // case matters
    EXPECT_EQ(FindJsonMember(object, u"c"), nullptr);
    EXPECT_EQ(object.members->Count(), 3u);  // a lookup never creates
}

TEST(JsonValue, ContainerOperationsRefuseOtherKinds) {
    JsonValue value;
    EXPECT_EQ(SetJsonMember(value, u"a"), nullptr);
    EXPECT_EQ(FindJsonMember(value, u"a"), nullptr);
    EXPECT_EQ(AddJsonElement(value), nullptr);
    SetJsonArray(value);
    EXPECT_EQ(SetJsonMember(value, u"a"), nullptr);
    JsonValue* first = AddJsonElement(value);
    ASSERT_NE(first, nullptr);
    SetJsonInteger(*first, 5);
    for (int i = 0; i < 100; ++i) AddJsonElement(value);
    EXPECT_EQ(first->payload.integer, 5);  // earlier elements stay where they are
    EXPECT_EQ(value.elements.size(), 101u);
    SetJsonObject(value);  // releases the elements
    EXPECT_TRUE(value.elements.empty());
    EXPECT_EQ(AddJsonElement(value), nullptr);
}

TEST(JsonValue, SettersReplaceWhatWasThere) {
    JsonValue value;
    SetJsonString(value, u"text");
    SetJsonBoolean(value, 7);
    EXPECT_EQ(value.kind, JsonKind::Boolean);
    EXPECT_EQ(value.payload.bits, 1u);
    EXPECT_TRUE(value.text.empty());
    SetJsonFloat(value, 2.5);
    EXPECT_EQ(value.isFloat, 1);
    SetJsonInteger(value, -3);
    EXPECT_EQ(value.isFloat, 0);
    EXPECT_EQ(value.payload.integer, -3);
    ClearJsonValue(value);
    EXPECT_EQ(value.kind, JsonKind::Null);
    EXPECT_EQ(value.payload.bits, 0u);
}

TEST(JsonValue, IntegerValueOfEveryKind) {
    struct Case {
        const char* what;
        void (*make)(JsonValue&);
        int32_t expected;
    } cases[] = {
        {"250.9", [](JsonValue& v) { SetJsonFloat(v, 250.9); }, 250},
        {"-250.9", [](JsonValue& v) { SetJsonFloat(v, -250.9); }, -250},
        {"true", [](JsonValue& v) { SetJsonBoolean(v, 1); }, 1},
        {"false", [](JsonValue& v) { SetJsonBoolean(v, 0); }, 0},
        {"string 500", [](JsonValue& v) { SetJsonString(v, u"500"); }, 0},
        {"2^32+100", [](JsonValue& v) { SetJsonInteger(v, (int64_t{1} << 32) + 100); }, 100},
        {"2^31", [](JsonValue& v) { SetJsonInteger(v, int64_t{1} << 31); }, INT32_MIN},
        {"-1", [](JsonValue& v) { SetJsonInteger(v, -1); }, -1},
        {"null", [](JsonValue& v) { ClearJsonValue(v); }, 0},
        {"array", [](JsonValue& v) { SetJsonArray(v); }, 0},
        {"object", [](JsonValue& v) { SetJsonObject(v); }, 0},
        {"huge float", [](JsonValue& v) { SetJsonFloat(v, 1e300); }, INT32_MAX},
        {"nan", [](JsonValue& v) { SetJsonFloat(v, std::numeric_limits<double>::quiet_NaN()); }, 0},
    };
    for (const auto& c : cases) {
        JsonValue value;
        c.make(value);
        EXPECT_EQ(JsonIntegerValue(value), c.expected) << c.what;
    }
}

}  // namespace
}  // namespace quillet
