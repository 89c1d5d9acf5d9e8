#include "prefs/record_fields.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace quillet {

namespace {

template <class T>
T Load(const unsigned char* at) {
    T v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

template <class T>
void Store(unsigned char* at, T v) {
    std::memcpy(at, &v, sizeof v);
}

void InsertField(JsonValue& member, const unsigned char* at, const FieldEntry& field) {
    switch (field.typeByte & (kFieldTypeMask | kFieldIsReference)) {
        case kFieldInt8:
            return SetJsonInteger(member, Load<int8_t>(at));
        case kFieldInt16:
            return SetJsonInteger(member, Load<int16_t>(at));
        case kFieldInt32:
        case kFieldInt32Alt:
            return SetJsonInteger(member, Load<int32_t>(at));
        case kFieldUInt8:
            return SetJsonInteger(member, Load<uint8_t>(at));
        case kFieldUInt16:
        case kFieldUInt16Alt:
            return SetJsonInteger(member, Load<uint16_t>(at));
        case kFieldInt64:
            return SetJsonInteger(member, Load<int64_t>(at));
        case kFieldFloat32:
            return SetJsonFloat(member, Load<float>(at));
        case kFieldFloat64:
            return SetJsonFloat(member, Load<double>(at));
        case kFieldRecord:
            if (field.nested) return InsertRecord(member, at, *field.nested);
            return;
        case kFieldFixedText: {
            std::u16string text(field.length / 2, u'\0');
            std::memcpy(text.data(), at, text.size() * 2);
            return SetJsonString(member, std::u16string_view(text.c_str()));
        }
        default:
            // Text references and fields marked as references are not built: no record
            // of this program has one, and the member is left Null.
            return;
    }
}

void ExtractField(const JsonValue& member, unsigned char* at, const FieldEntry& field) {
    const int32_t narrow = JsonIntegerValue(member);
    const bool numeric = member.kind == JsonKind::Number || member.kind == JsonKind::Boolean;
    switch (field.typeByte & (kFieldTypeMask | kFieldIsReference)) {
        case kFieldInt8:
        case kFieldUInt8:
            return Store(at, static_cast<uint8_t>(narrow));
        case kFieldInt16:
        case kFieldUInt16:
        case kFieldUInt16Alt:
            return Store(at, static_cast<uint16_t>(narrow));
        case kFieldInt32:
        case kFieldInt32Alt:
            return Store(at, narrow);
        case kFieldInt64:
            return Store(at, numeric ? JsonInteger64Value(member) : int64_t{0});
        case kFieldFloat32:
            return Store(at, numeric ? static_cast<float>(JsonFloatValue(member)) : 0.0f);
        case kFieldFloat64:
            return Store(at, numeric ? JsonFloatValue(member) : 0.0);
        case kFieldRecord:
            if (field.nested && member.kind == JsonKind::Object)
                ExtractRecord(member, at, 0, *field.nested, kKeepCurrentValues);
            return;
        case kFieldFixedText: {
            if (member.kind != JsonKind::String || member.text.empty()) return;
            const size_t room = field.length / 2;
            const size_t count = std::min(room, member.text.size());
            std::memcpy(at, member.text.data(), count * 2);
            // Keep the text terminated when it leaves room for it.
            if (count < room) Store(at + count * 2, char16_t{0});
            return;
        }
        default:
            return;
    }
}

}  // namespace

std::u16string MemberNameOf(const char* fieldName) {
    std::string_view name(fieldName);
    if (!name.empty() && name.front() == '*') name.remove_prefix(1);
    if (!name.empty() && name.back() == '$') name.remove_suffix(1);
    return std::u16string(name.begin(), name.end());
}

void InsertRecord(JsonValue& value, const void* record, const RecordDescriptor& descriptor) {
    SetJsonObject(value);
    if (!record) return;
    const auto* bytes = static_cast<const unsigned char*>(record);
    for (const FieldEntry& field : descriptor.fields) {
        JsonValue* member = SetJsonMember(value, MemberNameOf(field.name));
        InsertField(*member, bytes + field.offset, field);
    }
}

void ExtractRecord(const JsonValue& value, void* record, size_t size,
                   const RecordDescriptor& descriptor, uint32_t flags) {
    if (!record) return;
    auto* bytes = static_cast<unsigned char*>(record);
    if (!(flags & kKeepCurrentValues)) std::memset(bytes, 0, size);
    if (value.kind != JsonKind::Object) return;
    for (const FieldEntry& field : descriptor.fields) {
        const JsonValue* member = FindJsonMember(value, MemberNameOf(field.name));
        if (member) ExtractField(*member, bytes + field.offset, field);
    }
}

}  // namespace quillet
