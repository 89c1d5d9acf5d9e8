// The Desktop on the real Windows layers.
#pragma once

#include <windows.h>

#include "app/app_state.h"
#include "app/desktop.h"
#include "app/feedback_output_win32.h"
#include "app/feedback_worker.h"
#include "filter/double_press_filter.h"
#include "speech/speech_binding.h"
#include "ui/tray_window_win32.h"

namespace quillet {

class Win32Desktop final : public Desktop {
  public:
    explicit Win32Desktop(AppState& state);

    void StartLayers() override;
    std::vector<std::u16string> PreferredUILanguages() override;
    bool CreateInstanceMutex() override;
    void CloseInstanceMutex() override;
    std::u16string ExecutablePath() override;
    void SetWorkingDirectory(const std::u16string& folder) override;
    std::u16string CommandLine() override;
    std::u16string LowerCase(const std::u16string& text) override;
    void LoadSettings(SettingsRecord& settings) override;
    void CorrectSettings(SettingsRecord& settings) override;
    void SaveSettings(const SettingsRecord& settings) override;
    Elevation QueryElevation() override;
    bool Launch(const std::u16string& file, const std::u16string& parameters,
                const std::u16string& directory, const std::u16string& verb) override;
    void StartSound() override;
    void SoundStartCue() override;
    void SoundExitCueAndWait() override;
    void SoundRestartCueAndWait() override;
    void SoundEscapeExemptionCue(bool on) override;
    void SoundRunAsAdminCue(bool on) override;
    void SoundSlotHousekeeping() override;
    bool BindSpeech() override;
    int MissingSpeechExportCount() override;
    int MissingSpeechExport(int n) override;
    int ShowMessage(const std::u16string& title, const std::u16string& text, int style) override;
    std::u16string AskText(const std::u16string& title, const std::u16string& prompt) override;
    void OpenMainWindow() override;
    void CloseMainWindow() override;
    void AddTrayIcon() override;
    bool HasTrayIcon() override;
    void RemoveTrayIcon() override;
    void BuildMenu() override;
    void SetMenuItemChecked(int32_t menuId, bool on) override;
    void SetMenuItemGreyed(int32_t menuId, bool on) override;
    void ShowMenu() override;
    void Listen(TrayListener* listener) override;
    void WaitMessage() override;
    void StartClickTimer() override;
    void StopClickTimer() override;
    bool InstallHook() override;
    void RemoveHook() override;
    void SoundIgnoreModeCue(int32_t mode) override;
    void EndSequence() override;

  private:
    void SoundCue(Cue cue);
    void SoundLastCueAndWait(Cue cue);

    AppState& state_;
    HANDLE mutex_ = nullptr;
    SpeechBinding speech_;
    // The hook's speech and cues, off the hook thread.
    Win32FeedbackOutput output_{speech_};
    FeedbackWorker feedback_{output_, true};
    DoublePressFilter filter_;
    TrayWindow tray_;
};

}  // namespace quillet
