// The seams on the real Windows layers, one class each.
#pragma once

#include <windows.h>

#include "app/app_state.h"
#include "app/feedback_worker.h"
#include "app/seams.h"
#include "filter/double_press_filter.h"
#include "speech/speech_binding.h"
#include "ui/tray_window_win32.h"

namespace quillet {

class Win32Process final : public Process {
  public:
    void StartLayers() override;
    void EndLayers() override;
    std::vector<std::u16string> PreferredUILanguages() override;
    bool CreateInstanceMutex() override;
    void CloseInstanceMutex() override;
    std::u16string ExecutablePath() override;
    void SetWorkingDirectory(const std::u16string& folder) override;
    std::u16string CommandLine() override;
    Elevation QueryElevation() override;
    std::u16string WindowsVersion() override;
    ListClock ReadListClock() override;
    bool Launch(const std::u16string& file, const std::u16string& parameters,
                const std::u16string& directory, const std::u16string& verb) override;
    void EndProcess() override;

  private:
    HANDLE mutex_ = nullptr;
};

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

// What the feedback worker's requests become on Windows: the speech library and the
// sound layer, both used on the worker's thread only.
class Win32FeedbackOutput final : public FeedbackOutput {
  public:
    explicit Win32FeedbackOutput(const SpeechBinding& speech) : speech_(speech) {}

    void BeginThread() override;
    void EndThread() override;
    void Speak(std::u16string_view text) override;
    void ShowBraille(std::u16string_view text) override;
    void PlayCue(Cue cue) override;
    void PlayCueAndWait(Cue cue) override;
    void SoundSlotHousekeeping() override;
    int64_t Idle(uint32_t nowMs) override;
    int SpeechEngine() override;

  private:
    const SpeechBinding& speech_;
    bool comReady_ = false;
};

class Win32Feedback final : public Feedback {
  public:
    void StartSound() override;
    void SoundCue(Cue cue) override;
    void ShowBraille(std::u16string_view text) override;
    void SoundLastCueAndWait(Cue cue, std::u16string_view braille) override;
    void SoundSlotHousekeeping() override;
    bool BindSpeech() override;
    int SpeechEngine() override;
    std::vector<int> MissingSpeechExports() override;
    bool StopFeedback() override;
    void UnbindSpeech() override;

    // Where the hook's speech and cues go, off the hook thread.
    FeedbackWorker& Worker() { return worker_; }

  private:
    SpeechBinding speech_;
    Win32FeedbackOutput output_{speech_};
    FeedbackWorker worker_{output_, true};
};

// The window and its menu, and who was in front before the menu took the foreground.
class Win32Shell final : public Shell, public ProgramItem {
  public:
    // The menu's labels in `language`, as it is when the menu is built.
    explicit Win32Shell(const Language& language);

    void OpenMainWindow() override;
    void CloseMainWindow() override;
    void AddTrayIcon() override;
    void RemoveTrayIcon() override;
    void BuildMenu() override;
    void SetMenuItemChecked(int32_t menuId, bool on) override;
    void SetMenuItemGreyed(int32_t menuId, bool on) override;
    void ShowMenu() override;
    void Listen(TrayListener* listener) override;
    void WaitMessage() override;
    void StartClickTimer() override;
    void StopClickTimer() override;
    ProgramDescription DescribeProgramInFront() override;
    void SetMenuItemText(int32_t menuId, const std::u16string& label) override;

    // Told of every window the hook sees come to the front.
    ProgramInFront& InFront() { return inFront_; }

  private:
    const Language& language_;
    TrayWindow tray_;
    ProgramInFront inFront_;
};

class Win32Dialogs final : public Dialogs {
  public:
    explicit Win32Dialogs(const Language& language) : language_(language) {}

    int ShowMessage(const std::u16string& title, const std::u16string& text, int style) override;
    std::u16string AskText(const std::u16string& title, const std::u16string& prompt) override;
    void ShowRecentKeys(const RecentKeysTexts& texts) override;

  private:
    const Language& language_;
};

class Win32KeyboardHook final : public KeyboardHook {
  public:
    // `inFront` hears of the windows the hook finds in front.
    Win32KeyboardHook(AppState& state, FilterFeedback& feedback, FrontWindowListener& inFront);

    bool StartKeyboardHook() override;
    void StopKeyboardHook() override;

  private:
    const Language& language_;
    FilterFeedback& feedback_;
    std::unique_ptr<FilterPlatform> platform_;
    DoublePressFilter filter_;
};

}  // namespace quillet
