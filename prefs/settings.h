// The program's settings and their file, "Quillet.json" beside the executable: the
// shell names it by its full path (PathBesideExecutable), never by the working directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "prefs/file_ops.h"

namespace quillet {

struct SettingsRecord {
    uint8_t exclude_escape = 0;        // 1 excludes Escape from the double-press rule
    int32_t doublePressTimeout = 300;  // milliseconds
    uint8_t runAsAdmin = 0;            // non-zero asks to run elevated
    // File names of the programs that get their keys, as the program list keeps them.
    std::vector<std::u16string> exemptPrograms = {};
    // Keys that pass on a single press: SinglePressKeyBit(n) for Fn.
    uint32_t singlePressKeys = 0;

    bool operator==(const SettingsRecord&) const = default;
};

// The keys a user may have pass on a single press, F1 to F12, as the file names them;
// Escape has exclude_escape.
inline constexpr std::u16string_view kSinglePressKeyNames[] = {
    u"F1", u"F2", u"F3", u"F4", u"F5", u"F6", u"F7", u"F8", u"F9", u"F10", u"F11", u"F12"};
constexpr uint32_t SinglePressKeyBit(size_t n) { return uint32_t{1} << n; }  // Fn's
inline constexpr uint32_t kSinglePressKeyMask = 0x1FFE;                      // F1 to F12

inline constexpr char16_t kSettingsFileName[] = u"Quillet.json";
inline constexpr int32_t kMinDoublePressTimeout = 50;
// Far beyond any real settings file; a larger one is left alone as unreadable,
// so a huge or hostile file costs nothing at start.
inline constexpr size_t kMaxSettingsFileSize = 64 * 1024;

// Fills the record from the file when it exists as a file of at most
// kMaxSettingsFileSize bytes and holds a valid JSON object; whatever the file does
// not supply keeps its current value. A member of any kind counts: it stores what
// JsonIntegerValue reads from it, a byte setting only the low 8 bits of that.
// Only an array replaces the program names, and then only with the strings the
// program list accepts, as far as a saved file can hold them (ProgramsThatFit);
// only an array replaces the single-press keys, with the strings that name one of
// them in any case.
// True when the file was read, parsed and held an object.
bool LoadSettings(SettingsRecord& settings, const std::u16string& path,
                  FileOps& ops = NativeFileOps());

// Writes the whole record in the indented layout, then the program names and the
// single-press keys, each only when there are any. False when the file could not be
// replaced; the previous file then stays as it was.
bool SaveSettings(const SettingsRecord& settings, const std::u16string& path,
                  FileOps& ops = NativeFileOps());

// Raises a timeout below 50 to 50 and saves, then turns an exclude_escape other
// than 0 or 1 into 1 and saves again. Returns how many saves it made (0 to 2).
int CorrectSettings(SettingsRecord& settings, const std::u16string& path,
                    FileOps& ops = NativeFileOps());

// The bytes SaveSettings writes for the record.
size_t SettingsFileSize(const SettingsRecord& settings);

// How many of `names`, from the first, a saved file holds within kMaxSettingsFileSize
// whatever the other settings are (every single-press key chosen included), so that the next start
// reads it all again.
size_t ProgramsThatFit(std::span<const std::u16string> names);

// Where a file that could not be read is kept before a save replaces it.
inline std::u16string BackupPathFor(const std::u16string& path) { return path + u".bak"; }

// The settings file at one path, for the whole run. A file that was there at start
// but could not be read (a hand edit gone wrong) is copied to BackupPathFor(path)
// before the first save replaces it; the saves after that copy nothing.
class PersistentSettings {
  public:
    explicit PersistentSettings(std::u16string path, FileOps& ops = NativeFileOps())
        : path_(std::move(path)), ops_(ops) {}

    bool Load(SettingsRecord& settings);
    int Correct(SettingsRecord& settings);
    // False when the file was not replaced: it could not be written, or the file
    // that could not be read could not be kept first.
    bool Save(const SettingsRecord& settings);
    const std::u16string& Path() const { return path_; }

  private:
    std::u16string path_;
    FileOps& ops_;
    bool keepBeforeSave_ = false;
};

}  // namespace quillet
