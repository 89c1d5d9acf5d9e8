#include "prefs/record_fields.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "prefs/json_document.h"
#include "prefs/settings.h"

namespace quillet {
namespace {

TEST(RecordFields, SettingsTable) {
    const RecordDescriptor& table = SettingsDescriptor();
    EXPECT_STREQ(table.name, "prefsstruct");
    ASSERT_EQ(table.fields.size(), 3u);
    const uint8_t types[] = {0x18, 0x15, 0x18};
    const char* names[] = {"exclude_escape", "doublePressTimeout", "runAsAdmin"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(table.fields[i].typeByte, types[i]);
        EXPECT_STREQ(table.fields[i].name, names[i]);
    }
}

TEST(RecordFields, MemberNamesDropMarkers) {
    EXPECT_EQ(MemberNameOf("*name$"), u"name");
    EXPECT_EQ(MemberNameOf("name$"), u"name");
    EXPECT_EQ(MemberNameOf("*"), u"");
    EXPECT_EQ(MemberNameOf("a*b$c"), u"a*b$c");
}

struct Inner {
    int16_t small;
};
struct Sample {
    int8_t i8;
    uint16_t u16;
    int64_t i64;
    double f64;
    float f32;
    Inner inner;
    char16_t fixed[4];
};
const FieldEntry kInnerFields[] = {{3, offsetof(Inner, small), "small"}};
const RecordDescriptor kInner{"inner", kInnerFields};
const FieldEntry kSampleFields[] = {
    {1, offsetof(Sample, i8), "*i8"},
    {25, offsetof(Sample, u16), "u16$"},
    {13, offsetof(Sample, i64), "i64"},
    {12, offsetof(Sample, f64), "f64"},
    {9, offsetof(Sample, f32), "f32"},
    {7, offsetof(Sample, inner), "inner", &kInner},
    {10, offsetof(Sample, fixed), "fixed", nullptr, sizeof(Sample::fixed)},
    {0x3F, 0, "unknown"},
};
const RecordDescriptor kSample{"sample", kSampleFields};

TEST(RecordFields, RoundTripThroughJsonText) {
    Sample in{-5, 65535, INT64_MIN, 0.25, 1.5f, {-300}, u"abc"};
    JsonValue object;
    InsertRecord(object, &in, kSample);
    EXPECT_EQ(FindJsonMember(object, u"unknown")->kind, JsonKind::Null);
    EXPECT_EQ(FindJsonMember(object, u"i8")->payload.integer, -5);
    EXPECT_EQ(FindJsonMember(object, u"fixed")->text, u"abc");

    Sample out;
    std::memset(&out, 0x55, sizeof out);
    ExtractRecord(object, &out, sizeof out, kSample, 0);
    EXPECT_EQ(out.i8, -5);
    EXPECT_EQ(out.u16, 65535);
    EXPECT_EQ(out.i64, INT64_MIN);
    EXPECT_EQ(out.f64, 0.25);
    EXPECT_EQ(out.f32, 1.5f);
    EXPECT_EQ(out.inner.small, -300);
    EXPECT_EQ(std::u16string(out.fixed), u"abc");
}

TEST(RecordFields, ExtractResetsUnlessKeepingCurrentValues) {
    ASSERT_TRUE(ParseJson(0, u"{\"runAsAdmin\":1,\"exclude_escape\":\"yes\"}"));
    SettingsRecord kept;
    ExtractRecord(*JsonRoot(0), &kept, sizeof kept, SettingsDescriptor(), kKeepCurrentValues);
    EXPECT_EQ(kept.doublePressTimeout, 300);
    EXPECT_EQ(kept.exclude_escape, 0);  // a String stores 0
    EXPECT_EQ(kept.runAsAdmin, 1);

    SettingsRecord reset;
    ExtractRecord(*JsonRoot(0), &reset, sizeof reset, SettingsDescriptor(), 0);
    EXPECT_EQ(reset.doublePressTimeout, 0);
    EXPECT_EQ(reset.runAsAdmin, 1);

    JsonValue notObject;
    SetJsonInteger(notObject, 1);
    SettingsRecord untouched{1, 99, 1};
    ExtractRecord(notObject, &untouched, sizeof untouched, SettingsDescriptor(),
                  kKeepCurrentValues);
    EXPECT_EQ(untouched.doublePressTimeout, 99);
    FreeJson(0);
}

}  // namespace
}  // namespace quillet
