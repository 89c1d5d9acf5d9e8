// libFuzzer target: any bytes, decoded as the settings file would be, must parse
// or fail cleanly; what parses must write out and read back to the same text.
// The same bytes as the settings file go through start-up's load and correction:
// the record keeps the loader's rules, and what it saves reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "prefs/json_parser.h"
#include "prefs/json_writer.h"
#include "prefs/settings.h"
#include "runtime/program_list.h"
#include "runtime/text.h"
#include "tests/unit/prefs/memory_file_ops.h"

namespace {

std::u16string Rewrite(quillet::JsonValue& from, quillet::JsonValue& to, uint32_t flags) {
    const std::u16string text = quillet::JsonText(from, flags);
    if (!quillet::ParseJson(text, to)) __builtin_trap();
    return text;
}

// Written text must read back, and from the second round on a write must repeat
// itself every other round. Not every round: a whole float of 2^63 or more is
// written without a point or exponent and reads back as a wrapped integer, and
// names sharing a chain come back in reverse order (newest first) after each read.
void CheckRoundTrip(quillet::JsonValue& parsed, uint32_t flags) {
    quillet::JsonValue rounds[4];
    Rewrite(parsed, rounds[0], flags);
    const std::u16string second = Rewrite(rounds[0], rounds[1], flags);
    Rewrite(rounds[1], rounds[2], flags);
    const std::u16string fourth = Rewrite(rounds[2], rounds[3], flags);
    if (second != fourth) __builtin_trap();
}

void CheckSettingsFile(std::string_view bytes) {
    using namespace quillet;
    testing::MemoryFileOps file;
    file.bytes = bytes;
    PersistentSettings store(kSettingsFileName, file);
    SettingsRecord settings;
    store.Load(settings);
    // Each name valid and once in any case, as many as the program list and the file take.
    if (ProgramList(settings.exemptPrograms).Names() != settings.exemptPrograms ||
        ProgramsThatFit(settings.exemptPrograms) != settings.exemptPrograms.size()) {
        __builtin_trap();
    }
    if ((settings.singlePressKeys & ~kSinglePressKeyMask) != 0) __builtin_trap();
    store.Correct(settings);
    if (settings.doublePressTimeout < kMinDoublePressTimeout || settings.exclude_escape > 1)
        __builtin_trap();
    if (!store.Save(settings) || file.bytes.size() != SettingsFileSize(settings) ||
        file.bytes.size() > kMaxSettingsFileSize) {
        __builtin_trap();
    }
    SettingsRecord read{7, 7, 7};  // the lists are left out when empty
    if (!LoadSettings(read, kSettingsFileName, file) || !(read == settings)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string text = quillet::Utf8ToUtf16(bytes);
    quillet::JsonValue parsed;
    quillet::JsonError error;
    if (quillet::ParseJson(text, parsed, &error)) {
        if (!error.message.empty() || error.line != -1) __builtin_trap();
        CheckRoundTrip(parsed, 0);
        CheckRoundTrip(parsed, quillet::kJsonPrettyPrint);
    } else {
        if (error.message.empty() || error.line < 1 || error.position < 1) __builtin_trap();
        if (parsed.kind != quillet::JsonKind::Null) __builtin_trap();
    }
    // The same bytes read as raw UTF-16 units reach surrogates and 0 units directly.
    std::u16string units(size / 2, u'\0');
    for (size_t i = 0; i + 1 < size; i += 2)
        units[i / 2] = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    quillet::JsonValue fromUnits;
    if (quillet::ParseJson(units, fromUnits)) CheckRoundTrip(fromUnits, quillet::kJsonPrettyPrint);
    CheckSettingsFile(bytes);
    return 0;
}
