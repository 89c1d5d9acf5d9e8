// The program's settings and their file, "Quillet.json" in the current directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "prefs/file_ops.h"

namespace quillet {

struct SettingsRecord {
    uint8_t exclude_escape = 0;        // 1 exempts Escape from the double-press rule
    int32_t doublePressTimeout = 300;  // milliseconds
    uint8_t runAsAdmin = 0;            // non-zero asks to run elevated
    // File names of the programs that get their keys, as the program list keeps them.
    std::vector<std::u16string> exemptPrograms = {};
};

inline constexpr char16_t kSettingsFileName[] = u"Quillet.json";
inline constexpr int32_t kMinDoublePressTimeout = 50;
// Far beyond any real settings file; a larger one is left alone as unreadable,
// so a huge or hostile file costs nothing at start.
inline constexpr size_t kMaxSettingsFileSize = 64 * 1024;

// Fills the record from the file when it exists as a file of at most
// kMaxSettingsFileSize bytes and holds valid JSON; whatever the file does not
// supply keeps its current value. A member of any kind counts: it stores what
// JsonIntegerValue reads from it, a byte setting only the low 8 bits of that.
// Only an array replaces the program names, and then only with the strings the
// program list accepts. True when the file was read and parsed.
bool LoadSettings(SettingsRecord& settings);
bool LoadSettings(SettingsRecord& settings, const std::u16string& path,
                  FileOps& ops = NativeFileOps());

// Writes the whole record in the indented layout, the program names last and only
// when there are any. False when the file could not be replaced; the previous file
// then stays as it was.
bool SaveSettings(const SettingsRecord& settings);
bool SaveSettings(const SettingsRecord& settings, const std::u16string& path,
                  FileOps& ops = NativeFileOps());

// Raises a timeout below 50 to 50 and saves, then turns an exclude_escape other
// than 0 or 1 into 1 and saves again. Returns how many saves it made (0 to 2).
int CorrectSettings(SettingsRecord& settings);
int CorrectSettings(SettingsRecord& settings, const std::u16string& path,
                    FileOps& ops = NativeFileOps());

}  // namespace quillet
