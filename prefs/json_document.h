// Numbered JSON documents, the parser's error record, and loading a document from a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "prefs/file_ops.h"
#include "prefs/json_value.h"

namespace quillet {

// Outcome of the last parse; one record for the whole program.
struct JsonError {
    std::string message;  // empty after a successful parse
    int32_t line = -1;
    int32_t position = -1;
};

const JsonError& LastJsonError();

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

// Every operation returns false (or nullptr) on failure and leaves the slot as it was.
bool CreateJson(int number);
// The text ends at its first 0 unit, if any.
bool ParseJson(int number, std::u16string_view text);
// A file larger than `limit` bytes is not read.
bool LoadJsonFile(int number, const std::u16string& fileName, FileOps& ops = NativeFileOps(),
                  size_t limit = SIZE_MAX);
JsonValue* JsonRoot(int number);
void FreeJson(int number);
void FreeAllJson();

// Used by the parser: stores a finished tree under the number, freeing what was there.
bool StoreJson(int number, std::unique_ptr<JsonValue> root);
// Used by the parser: the shared error record.
JsonError& MutableJsonError();

}  // namespace quillet
