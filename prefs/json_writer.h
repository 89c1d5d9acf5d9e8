// JSON text from a value tree, compact or indented, and documents saved as UTF-8 files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "prefs/file_ops.h"
#include "prefs/json_value.h"

namespace quillet {

// Takes one code point per call: a UTF-16 unit in the low 16 bits, or a surrogate
// pair with its first unit low and its second unit high. False stops the writer.
using JsonSink = std::function<bool(uint32_t)>;

inline constexpr uint32_t kJsonPrettyPrint = 1;

// Writes value at the given indent. A floating zero is stored back as +0 first.
bool WriteJson(JsonValue& value, const JsonSink& sink, int indent, uint32_t flags);

// Convenience for tests and callers that want the text itself.
std::u16string JsonText(JsonValue& value, uint32_t flags);

// Writes the value as UTF-8 to a new file that then replaces fileName in one
// step, so a failed save never leaves a partial file behind.
bool SaveJsonFile(JsonValue& root, const std::u16string& fileName, uint32_t flags,
                  FileOps& ops = NativeFileOps());

// SaveJsonFile for an Object holding `members`, written in their order rather than
// the member table's.
bool SaveJsonObject(std::span<JsonMember> members, const std::u16string& fileName, uint32_t flags,
                    FileOps& ops = NativeFileOps());

// The bytes SaveJsonObject writes for `members`, counted without building the text.
size_t JsonObjectFileSize(std::span<JsonMember> members, uint32_t flags);
// The bytes of `text` as a JSON string in a file: quotation marks, escapes and UTF-8.
size_t JsonStringFileSize(std::u16string_view text);

}  // namespace quillet
