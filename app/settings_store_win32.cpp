#include "app/settings_store_win32.h"

#include "runtime/module_path.h"

namespace quillet {

// The settings file is named by its full path, so it is the one beside the
// executable even when the working directory could not be changed.
Win32SettingsStore::Win32SettingsStore() : file_(PathBesideExecutable(kSettingsFileName)) {}

void Win32SettingsStore::LoadSettings(SettingsRecord& settings) { file_.Load(settings); }
void Win32SettingsStore::CorrectSettings(SettingsRecord& settings) { file_.Correct(settings); }
bool Win32SettingsStore::SaveSettings(const SettingsRecord& settings) {
    return file_.Save(settings);
}

// Without the prefix a long path needs, which means nothing to a user.
std::u16string Win32SettingsStore::FilePath() {
    constexpr std::u16string_view kLongPathPrefix = u"\\\\?\\";
    const std::u16string& path = file_.Path();
    return path.starts_with(kLongPathPrefix) ? path.substr(kLongPathPrefix.size()) : path;
}

}  // namespace quillet
