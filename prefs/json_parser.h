// JSON text to a value tree, from a string or from a UTF-8 file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "prefs/file_ops.h"
#include "prefs/json_value.h"

namespace quillet {

// What stopped a parse and where: the line counts from 1, the position is the unit's
// place in its line, also from 1.
struct JsonError {
    std::string_view message;  // empty after a successful parse
    int32_t line = -1;
    int32_t position = -1;
};

// Arrays and objects nested deeper than this stop the parse, so a hostile
// file cannot exhaust the stack.
inline constexpr int kMaxJsonDepth = 512;

namespace json_messages {
inline constexpr char kOutOfMemory[] = "Out of memory";
inline constexpr char kUnexpectedEnd[] = "Unexpected end of input";
inline constexpr char kUnexpectedCharacter[] = "Unexpected character";
inline constexpr char kInvalidNumber[] = "Invalid numeric value";
inline constexpr char kInvalidEscape[] = "Invalid escape sequence";
inline constexpr char kNameExpected[] = "A member name (string) is expected";
inline constexpr char kColonExpected[] = "Expected a ':' character";
inline constexpr char kTooDeep[] = "Nesting too deep";
}  // namespace json_messages

// The text ends at its first 0 unit, if any. On failure root stays as it was.
bool ParseJson(std::u16string_view text, JsonValue& root, JsonError* error = nullptr);
// A file larger than `limit` bytes is not read; nor is an empty one.
bool LoadJsonFile(const std::u16string& fileName, JsonValue& root, FileOps& ops = NativeFileOps(),
                  size_t limit = SIZE_MAX);

}  // namespace quillet
