// What start-up, the event loop, the restart and the end sequence ask of the system
// and of the other layers, one small interface per concern. The app/*_win32 files named
// for each (process_win32, settings_store_win32, feedback_output_win32, shell_win32,
// hook_wiring_win32) implement them on the real layers; the unit tests record every
// call through fakes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/recent_keys.h"
#include "app/run_at_logon.h"
#include "runtime/cue.h"
#include "ui/dialogs.h"
#include "ui/program_in_front.h"
#include "ui/tray_window.h"

namespace quillet {

struct SettingsRecord;

enum class Elevation { Elevated, NotElevated, Unknown };

// The process and its place in the system.
class Process {
  public:
    virtual ~Process() = default;
    // Runtime layers that must exist before anything else (COM, window classes...).
    virtual void StartLayers() = 0;
    virtual void EndLayers() = 0;
    // Windows' user interface languages for the user, most wanted first.
    virtual std::vector<std::u16string> PreferredUILanguages() = 0;
    // Creates the named single-instance mutex; false when it already existed
    // or could not be created.
    virtual bool CreateInstanceMutex() = 0;
    virtual void CloseInstanceMutex() = 0;
    virtual std::u16string ExecutablePath() = 0;
    virtual void SetWorkingDirectory(const std::u16string& folder) = 0;
    virtual std::u16string CommandLine() = 0;
    virtual Elevation QueryElevation() = 0;
    // "10.0 build 19045, 64-bit": Windows' version and build, and whether it is 64-bit.
    virtual std::u16string WindowsVersion() = 0;
    // The system's millisecond count, in which key events are stamped, and the time of day.
    virtual ListClock ReadListClock() = 0;
    // ShellExecute with SW_SHOWNORMAL; true when the launch was accepted.
    virtual bool Launch(const std::u16string& file, const std::u16string& parameters,
                        const std::u16string& directory, const std::u16string& verb) = 0;
    // Ends the process with code 0. The fake returns.
    virtual void EndProcess() = 0;
};

// The settings file beside the executable.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual void LoadSettings(SettingsRecord& settings) = 0;
    virtual void CorrectSettings(SettingsRecord& settings) = 0;
    // False when the file was not written.
    virtual bool SaveSettings(const SettingsRecord& settings) = 0;
    // The file's full path, as the user would look for it.
    virtual std::u16string FilePath() = 0;
};

// What the user hears: the cues, and the speech library that says the key names
// and shows on the braille display what a cue tells. All go through the feedback
// worker.
class Feedback {
  public:
    virtual ~Feedback() = default;
    virtual void StartSound() = 0;
    // Returns at once.
    virtual void QueueCue(Cue cue) = 0;
    // On the braille display alone, never spoken; returns at once.
    virtual void ShowBraille(std::u16string_view text) = 0;
    // The exit and restart cues: drops what is queued and waits for the cue's end,
    // then for `braille` shown when it is not empty, at most the cue's own limit.
    virtual void SoundLastCueAndWait(Cue cue, std::u16string_view braille) = 0;
    // Frees the sound slot once its cue has ended.
    virtual void SoundSlotHousekeeping() = 0;
    // Loads the speech library; false when it cannot be loaded.
    virtual bool BindSpeech() = 0;
    // Which engine the speech library speaks through (its value kSpeechEngineValue),
    // asked on the worker's thread; kNoEngineAnswer when it does not answer in a moment.
    virtual int SpeechEngine() = 0;
    // The numbers of the exports the loaded library lacks.
    virtual std::vector<int> MissingSpeechExports() = 0;
    // Ends the worker, which closes the audio device. False when it is held in a hung
    // speech library or audio device: it is left behind, and the library stays.
    virtual bool StopFeedback() = 0;
    virtual void UnbindSpeech() = 0;
};

// The hidden window and what hangs off it: the tray icon, the popup menu and the
// click timer.
class Shell {
  public:
    virtual ~Shell() = default;
    virtual void OpenMainWindow() = 0;
    // Removes the icon, frees the menu and destroys the window.
    virtual void CloseMainWindow() = 0;
    // An icon the notification area refuses is asked for again until it is taken.
    virtual void AddTrayIcon() = 0;
    // Also ends the asking for a refused icon.
    virtual void RemoveTrayIcon() = 0;
    virtual void BuildMenu() = 0;
    virtual void SetMenuItemChecked(int32_t menuId, bool on) = 0;
    virtual void SetMenuItemGreyed(int32_t menuId, bool on) = 0;
    // Shows the hidden window, tracks the popup menu at the pointer, hides the window.
    virtual void ShowMenu() = 0;
    // The window's calls go to `listener` from here on; none drops them.
    virtual void Listen(TrayListener* listener) = 0;
    // Waits for the next window message and handles it; the window's calls come from
    // here, and from inside the menu and the dialogs.
    virtual void WaitMessage() = 0;
    virtual void StartClickTimer() = 0;  // 20 ms, then OnTimer
    virtual void StopClickTimer() = 0;
};

// The modal message box (styles and answers in ui/dialogs.h) and input dialog.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    virtual int ShowMessage(const std::u16string& title, const std::u16string& text, int style) = 0;
    // The empty text when cancelled or closed.
    virtual std::u16string AskText(const std::u16string& title, const std::u16string& prompt) = 0;
    // The "Recent keys" window, which stays open beside the menu: shown, or brought to
    // the front with the texts given when it is open.
    virtual void ShowRecentKeys(const RecentKeysTexts& texts) = 0;
};

// The low-level keyboard hook, on a thread of its own.
class KeyboardHook {
  public:
    virtual ~KeyboardHook() = default;
    virtual bool StartKeyboardHook() = 0;
    // Removes the hook and ends its thread; nothing after this decides a key.
    virtual void StopKeyboardHook() = 0;
};

// The menu item that names the program in front; its label changes each time the
// menu opens.
class ProgramItem {
  public:
    virtual ~ProgramItem() = default;
    // The program last in front that is neither Quillet nor the shell, as the menu is
    // asked for; an empty file name when none is known or it cannot be asked.
    virtual ProgramDescription DescribeProgramInFront() = 0;
    // "&" marks the mnemonic.
    virtual void SetMenuItemText(int32_t menuId, const std::u16string& label) = 0;
};

// Every seam, for the parts that use them all.
struct Seams {
    Process& process;
    SettingsStore& settingsStore;
    Feedback& feedback;
    Shell& shell;
    Dialogs& dialogs;
    KeyboardHook& hook;
    ProgramItem& programItem;
    RunAtLogonValues& runAtLogon;  // "Start with Windows"
};

}  // namespace quillet
