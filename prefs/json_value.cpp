#include "prefs/json_value.h"

#include <cmath>
#include <cstdint>

namespace quillet {

JsonValue::JsonValue() = default;
JsonValue::~JsonValue() = default;
JsonValue::JsonValue(JsonValue&&) noexcept = default;
JsonValue& JsonValue::operator=(JsonValue&&) noexcept = default;

uint32_t MemberTable::Hash(std::u16string_view name) {
    uint32_t h = 0;
    for (char16_t u : name) h = h * 65599u + u;
    return h;
}

JsonValue* MemberTable::Find(std::u16string_view name) {
    for (auto& member : chains_[ChainOf(name)])
        if (member.name == name) return &member.value;
    return nullptr;
}

JsonValue& MemberTable::Set(std::u16string_view name) {
    if (JsonValue* present = Find(name)) {
        ClearJsonValue(*present);
        return *present;
    }
    auto& chain = chains_[ChainOf(name)];
    chain.push_front(JsonMember{std::u16string(name), JsonValue()});
    ++count_;
    return chain.front().value;
}

void ClearJsonValue(JsonValue& value) {
    value.kind = JsonKind::Null;
    value.isFloat = 0;
    value.payload.bits = 0;
    std::u16string().swap(value.text);
    std::vector<std::unique_ptr<JsonValue>>().swap(value.elements);
    value.members.reset();
}

void SetJsonObject(JsonValue& value) {
    ClearJsonValue(value);
    value.members = std::make_unique<MemberTable>();
    value.kind = JsonKind::Object;
}

void SetJsonArray(JsonValue& value) {
    ClearJsonValue(value);
    value.kind = JsonKind::Array;
}

void SetJsonString(JsonValue& value, std::u16string_view text) {
    ClearJsonValue(value);
    value.text.assign(text);
    value.kind = JsonKind::String;
}

void SetJsonInteger(JsonValue& value, int64_t number) {
    ClearJsonValue(value);
    value.kind = JsonKind::Number;
    value.payload.integer = number;
}

void SetJsonFloat(JsonValue& value, double number) {
    ClearJsonValue(value);
    value.kind = JsonKind::Number;
    value.isFloat = 1;
    value.payload.real = number;
}

void SetJsonBoolean(JsonValue& value, int flag) {
    ClearJsonValue(value);
    value.kind = JsonKind::Boolean;
    value.payload.bits = flag != 0 ? 1 : 0;
}

JsonValue* SetJsonMember(JsonValue& object, std::u16string_view name) {
    if (object.kind != JsonKind::Object || !object.members) return nullptr;
    return &object.members->Set(name);
}

JsonValue* FindJsonMember(JsonValue& object, std::u16string_view name) {
    if (object.kind != JsonKind::Object || !object.members) return nullptr;
    return object.members->Find(name);
}

const JsonValue* FindJsonMember(const JsonValue& object, std::u16string_view name) {
    return FindJsonMember(const_cast<JsonValue&>(object), name);
}

JsonValue* AddJsonElement(JsonValue& array) {
    if (array.kind != JsonKind::Array) return nullptr;
    array.elements.push_back(std::make_unique<JsonValue>());
    return array.elements.back().get();
}

int32_t JsonIntegerValue(const JsonValue& value) {
    switch (value.kind) {
        case JsonKind::Number: {
            if (!value.isFloat) return static_cast<int32_t>(value.payload.integer);  // low 32 bits
            // Truncated toward zero; out of range it saturates, so the cast stays defined.
            const double real = value.payload.real;
            if (std::isnan(real)) return 0;
            if (real <= INT32_MIN) return INT32_MIN;
            if (real >= -static_cast<double>(INT32_MIN)) return INT32_MAX;
            return static_cast<int32_t>(real);
        }
        case JsonKind::Boolean:
            return value.payload.bits != 0 ? 1 : 0;
        default:
            return 0;
    }
}

}  // namespace quillet
