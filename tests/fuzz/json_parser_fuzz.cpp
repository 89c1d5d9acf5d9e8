// libFuzzer target: any bytes, decoded as the settings file would be, must parse
// or fail cleanly; what parses must write out and read back to the same text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "prefs/json_document.h"
#include "prefs/json_writer.h"
#include "runtime/text.h"

namespace {

std::u16string Rewrite(int from, int to, uint32_t flags) {
    const std::u16string text = quillet::JsonText(*quillet::JsonRoot(from), flags);
    if (!quillet::ParseJson(to, text)) __builtin_trap();
    return text;
}

// Written text must read back, and from the second round on a write must repeat
// itself every other round. Not every round: a whole float of 2^63 or more is
// written without a point or exponent and reads back as a wrapped integer, and
// names sharing a chain come back in reverse order (newest first) after each read.
void CheckRoundTrip(uint32_t flags) {
    Rewrite(0, 1, flags);
    const std::u16string second = Rewrite(1, 2, flags);
    Rewrite(2, 3, flags);
    const std::u16string fourth = Rewrite(3, 4, flags);
    if (second != fourth) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string text = quillet::Utf8ToUtf16(bytes);
    if (quillet::ParseJson(0, text)) {
        const quillet::JsonError& error = quillet::LastJsonError();
        if (!error.message.empty() || error.line != -1) __builtin_trap();
        CheckRoundTrip(0);
        CheckRoundTrip(quillet::kJsonPrettyPrint);
    } else {
        const quillet::JsonError& error = quillet::LastJsonError();
        if (error.message.empty() || error.line < 1 || error.position < 1) __builtin_trap();
    }
    // The same bytes read as raw UTF-16 units reach surrogates and 0 units directly.
    std::u16string units(size / 2, u'\0');
    for (size_t i = 0; i + 1 < size; i += 2)
        units[i / 2] = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (quillet::ParseJson(0, units)) CheckRoundTrip(quillet::kJsonPrettyPrint);
    quillet::FreeAllJson();
    return 0;
}
