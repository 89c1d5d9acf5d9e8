// In-memory JSON values: the six kinds, objects with a fixed 64-chain member table.
#pragma once

#include <array>
#include <cstdint>
#include <forward_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

enum class JsonKind : uint16_t {
    Null = 0,
    String = 1,
    Number = 2,
    Boolean = 3,
    Array = 4,
    Object = 5
};

class MemberTable;

// One value. All zero is Null; change it only through the Set* functions below,
// which release whatever the value held before.
struct JsonValue {
    JsonValue();
    ~JsonValue();
    JsonValue(JsonValue&&) noexcept;
    JsonValue& operator=(JsonValue&&) noexcept;
    JsonValue(const JsonValue&) = delete;
    JsonValue& operator=(const JsonValue&) = delete;

    JsonKind kind = JsonKind::Null;
    uint8_t isFloat = 0;
    union Payload {
        int64_t integer;
        double real;
        uint64_t bits;  // Boolean: 1 or 0 in the low half
    } payload{.bits = 0};
    std::u16string text;                               // String
    std::vector<std::unique_ptr<JsonValue>> elements;  // Array, in order
    std::unique_ptr<MemberTable> members;              // Object
};

struct JsonMember {
    std::u16string name;
    JsonValue value;
};

// Exactly 64 chains, never resized. A new name goes to the head of its chain;
// iteration walks chains 0..63, each from head to tail.
class MemberTable {
  public:
    static constexpr uint32_t kChains = 64;

    static uint32_t Hash(std::u16string_view name);
    static uint32_t ChainOf(std::u16string_view name) { return Hash(name) % kChains; }

    JsonValue* Find(std::u16string_view name);
    // A present name has its value cleared to Null and keeps its place.
    JsonValue& Set(std::u16string_view name);
    size_t Count() const { return count_; }

    template <class F>
    void ForEach(F&& visit) {
        for (auto& chain : chains_)
            for (auto& member : chain) visit(member);
    }
    template <class F>
    void ForEach(F&& visit) const {
        for (const auto& chain : chains_)
            for (const auto& member : chain) visit(member);
    }

  private:
    std::array<std::forward_list<JsonMember>, kChains> chains_;
    size_t count_ = 0;
};

void ClearJsonValue(JsonValue& value);
void SetJsonObject(JsonValue& value);
void SetJsonArray(JsonValue& value);
void SetJsonString(JsonValue& value, std::u16string_view text);
void SetJsonInteger(JsonValue& value, int64_t number);
void SetJsonFloat(JsonValue& value, double number);
void SetJsonBoolean(JsonValue& value, int flag);

// Nothing (nullptr) when the value is not an Object.
JsonValue* SetJsonMember(JsonValue& object, std::u16string_view name);
JsonValue* FindJsonMember(JsonValue& object, std::u16string_view name);
const JsonValue* FindJsonMember(const JsonValue& object, std::u16string_view name);
// Nothing when the value is not an Array.
JsonValue* AddJsonElement(JsonValue& array);

// Integer: low 32 bits; float: truncated toward zero (saturated beyond the
// 32-bit range, NaN gives 0); Boolean 1 or 0; anything else 0.
int32_t JsonIntegerValue(const JsonValue& value);

}  // namespace quillet
