// Field tables that tie a plain record's fields to JSON member names, and the
// two copies between a record and a JSON Object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "prefs/json_value.h"

namespace quillet {

enum FieldType : uint8_t {
    kFieldInt8 = 1,
    kFieldInt16 = 3,
    kFieldInt32 = 5,
    kFieldRecord = 7,
    kFieldTextRef = 8,
    kFieldFloat32 = 9,
    kFieldFixedText = 10,
    kFieldUInt16 = 11,
    kFieldFloat64 = 12,
    kFieldInt64 = 13,
    kFieldInt32Alt = 21,
    kFieldUInt8 = 24,
    kFieldUInt16Alt = 25,
};

inline constexpr uint8_t kFieldTypeMask = 0x3F;
inline constexpr uint8_t kFieldIsReference = 0x80;

struct RecordDescriptor;

struct FieldEntry {
    uint8_t typeByte;  // FieldType in the low 6 bits
    uint32_t offset;   // byte offset in the record
    const char* name;  // a leading '*' and a trailing '$' are not part of the member name
    const RecordDescriptor* nested = nullptr;  // kFieldRecord
    uint32_t length = 0;                       // kFieldFixedText: bytes, UTF-16 units × 2
};

struct RecordDescriptor {
    const char* name;
    std::span<const FieldEntry> fields;
};

// ExtractRecord flag: fill over the record's current values instead of zeroing it first.
inline constexpr uint32_t kKeepCurrentValues = 4;

std::u16string MemberNameOf(const char* fieldName);

// Record to JSON: value becomes an Object with one member per field.
void InsertRecord(JsonValue& value, const void* record, const RecordDescriptor& descriptor);
// JSON to record: members that are absent leave their fields unchanged.
void ExtractRecord(const JsonValue& value, void* record, size_t size,
                   const RecordDescriptor& descriptor, uint32_t flags);

}  // namespace quillet
