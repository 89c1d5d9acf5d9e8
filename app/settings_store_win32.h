// The settings file beside the executable: the SettingsStore seam.
#pragma once

#include "app/seams.h"
#include "prefs/settings.h"

namespace quillet {

class Win32SettingsStore final : public SettingsStore {
  public:
    Win32SettingsStore();

    void LoadSettings(SettingsRecord& settings) override;
    void CorrectSettings(SettingsRecord& settings) override;
    bool SaveSettings(const SettingsRecord& settings) override;
    std::u16string FilePath() override;

  private:
    PersistentSettings file_;
};

}  // namespace quillet
