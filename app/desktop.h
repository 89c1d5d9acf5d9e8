// Everything start-up, the event loop and shutdown need from the system and
// from the other layers, as one interface: the Windows build implements it on
// the real layers, the unit tests with a recording fake.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/requesters.h"
#include "ui/tray_window.h"

namespace quillet {

struct SettingsRecord;

enum class Elevation { Elevated, NotElevated, Unknown };

class Desktop {
  public:
    virtual ~Desktop() = default;

    // Runtime layers that must exist before anything else (COM, window classes...).
    virtual void StartLayers() = 0;
    // Windows' user interface languages for the user, most wanted first.
    virtual std::vector<std::u16string> PreferredUILanguages() = 0;

    // Creates the named single-instance mutex; false when it already existed
    // or could not be created.
    virtual bool CreateInstanceMutex() = 0;
    virtual void CloseInstanceMutex() = 0;

    virtual std::u16string ExecutablePath() = 0;
    virtual void SetWorkingDirectory(const std::u16string& folder) = 0;
    virtual std::u16string CommandLine() = 0;
    virtual std::u16string LowerCase(const std::u16string& text) = 0;

    virtual void LoadSettings(SettingsRecord& settings) = 0;
    virtual void CorrectSettings(SettingsRecord& settings) = 0;
    virtual void SaveSettings(const SettingsRecord& settings) = 0;

    virtual Elevation QueryElevation() = 0;
    // ShellExecute with SW_SHOWNORMAL; true when the launch was accepted.
    virtual bool Launch(const std::u16string& file, const std::u16string& parameters,
                        const std::u16string& directory, const std::u16string& verb) = 0;

    virtual void StartSound() = 0;
    virtual void SoundStartCue() = 0;
    virtual void SoundExitCueAndWait() = 0;
    virtual void SoundRestartCueAndWait() = 0;
    virtual void SoundEscapeExemptionCue(bool on) = 0;
    virtual void SoundRunAsAdminCue(bool on) = 0;
    virtual void SoundIgnoreModeCue(int32_t mode) = 0;
    // Frees the sound slot once its cue has ended.
    virtual void SoundSlotHousekeeping() = 0;

    // Loads the speech library; false when it cannot be loaded. Missing
    // exports are reported through MissingSpeechExport.
    virtual bool BindSpeech() = 0;
    virtual int MissingSpeechExportCount() = 0;
    virtual int MissingSpeechExport(int n) = 0;

    virtual int ShowMessage(const std::u16string& title, const std::u16string& text, int style) = 0;
    // The input dialog; the empty text when cancelled or closed.
    virtual std::u16string AskText(const std::u16string& title, const std::u16string& prompt) = 0;

    virtual void OpenMainWindow() = 0;
    virtual void CloseMainWindow() = 0;
    virtual void AddTrayIcon() = 0;
    virtual bool HasTrayIcon() = 0;
    virtual void RemoveTrayIcon() = 0;
    virtual void BuildMenu() = 0;
    virtual void SetMenuItemChecked(int32_t menuId, bool on) = 0;
    virtual void SetMenuItemGreyed(int32_t menuId, bool on) = 0;
    // Shows the hidden window, tracks the popup menu at the pointer, hides the window.
    virtual void ShowMenu() = 0;

    // The window's calls go to `listener` from here on; none drops them.
    virtual void Listen(TrayListener* listener) = 0;
    // Waits for the next window message and handles it; the window's calls come from here.
    virtual void WaitMessage() = 0;
    virtual void StartClickTimer() = 0;  // 20 ms, then OnTimer
    virtual void StopClickTimer() = 0;

    virtual bool InstallHook() = 0;
    virtual void RemoveHook() = 0;

    // Tears every layer down and ends the process with code 0. The fake returns.
    virtual void EndSequence() = 0;
};

}  // namespace quillet
