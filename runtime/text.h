// UTF-16 <-> UTF-8 conversion and small text helpers shared by every layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillet {

// Converts UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Converts UTF-8 to UTF-16; an invalid sequence becomes U+FFFD per bad byte.
std::u16string Utf8ToUtf16(std::string_view text);

// ASCII-only widening, for the program's fixed texts.
std::u16string Widen(std::string_view ascii);

// Decimal text of a signed integer: no leading zeros, '-' for negatives.
std::u16string IntegerText(int64_t value);

// Lower-cases A-Z only; enough for the program's own names and switches.
char16_t AsciiLower(char16_t c);

// The pattern with its first placeholder (%d or %s) replaced by `value`; "%%"
// stands for a percent sign.
std::u16string FillPlaceholder(std::u16string_view pattern, std::u16string_view value);

}  // namespace quillet

#if defined(_WIN32)
// At the Win32 boundary wchar_t and char16_t are both 16 bits.
namespace quillet {
inline const wchar_t* Wide(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}
inline std::u16string FromWide(const wchar_t* s) {
    return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : std::u16string();
}
inline std::u16string FromWide(const wchar_t* s, size_t n) {
    return std::u16string(reinterpret_cast<const char16_t*>(s), n);
}
}  // namespace quillet
#endif
