#pragma once

#include <cstdint>
#include <string>

namespace quillet {

// Writes one line to stdout in UTF-8 and flushes, so the harness sees it at once.
void PrintLine(const std::wstring& line);
void PrintError(const std::wstring& line);

// Control characters and the backslash as \uXXXX and \\, so texts like
// "line 29:" U+0001 "speechStop Not found" survive a text pipe unambiguously.
std::wstring Escaped(const std::wstring& text);

// Decimal or 0x-prefixed number; false when the whole word is not one.
bool ParseNumber(const std::wstring& word, int64_t& value);

}  // namespace quillet
