// Fakes of the seams that record every call in one list, for checking the order of
// start-up, the event loop and the way out across them.
#pragma once

#include <deque>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/seams.h"
#include "runtime/text.h"

namespace quillet::testing {

using Calls = std::vector<std::string>;

// The cues by name, in the order of Cue.
inline std::string CueName(Cue cue) {
    // clang-format off
    static const char* const names[] = {
        "Start", "Exit", "Restart", "ExcludeEscapeOn", "ExcludeEscapeOff", "RunAsAdminOn",
        "RunAsAdminOff", "StartWithWindowsOn", "StartWithWindowsOff", "LetKeysThroughOn",
        "LetKeysThroughOff", "SinglePressOn", "SinglePressOff", "IgnoreModeOff", "IgnoreModeNextKey", "IgnoreModeAlways",
        "NextKeyUsed"};
    // clang-format on
    static_assert(std::size(names) == kCueCount);
    return names[static_cast<size_t>(cue)];
}

// Where every fake writes its calls, in the order they came.
class Recorder {
  public:
    explicit Recorder(Calls& calls) : calls_(calls) {}

  protected:
    void Record(std::string call) { calls_.push_back(std::move(call)); }

  private:
    Calls& calls_;
};

class RecordingProcess final : public Process, Recorder {
  public:
    using Recorder::Recorder;

    bool mutexFree = true;
    int mutexGrants = -1;  // how many creations may succeed; -1: every one while mutexFree
    std::u16string path = u"C:\\Apps\\Quillet\\Quillet.exe";
    std::u16string commandLine = u"\"C:\\Apps\\Quillet\\Quillet.exe\"";
    Elevation elevation = Elevation::Elevated;
    bool launchSucceeds = true;
    std::vector<std::u16string> uiLanguages;  // as Windows lists them; none: English

    void StartLayers() override { Record("StartLayers"); }
    void EndLayers() override { Record("EndLayers"); }
    std::vector<std::u16string> PreferredUILanguages() override { return uiLanguages; }
    bool CreateInstanceMutex() override {
        Record("CreateInstanceMutex");
        if (mutexGrants == 0) return false;
        if (mutexGrants > 0) --mutexGrants;
        return mutexFree;
    }
    void CloseInstanceMutex() override { Record("CloseInstanceMutex"); }
    std::u16string ExecutablePath() override {
        Record("ExecutablePath");
        return path;
    }
    void SetWorkingDirectory(const std::u16string& folder) override {
        Record("SetWorkingDirectory " + Utf16ToUtf8(folder));
    }
    std::u16string CommandLine() override {
        Record("CommandLine");
        return commandLine;
    }
    Elevation QueryElevation() override {
        Record("QueryElevation");
        return elevation;
    }
    bool Launch(const std::u16string& file, const std::u16string& parameters,
                const std::u16string& directory, const std::u16string& verb) override {
        Record("Launch " + Utf16ToUtf8(file) + "|" + Utf16ToUtf8(parameters) + "|" +
               Utf16ToUtf8(directory) + "|" + Utf16ToUtf8(verb));
        return launchSucceeds;
    }
    void EndProcess() override { Record("EndProcess"); }
    std::u16string WindowsVersion() override { return u"10.0 build 19045, 64-bit"; }
    ListClock ReadListClock() override { return clock; }
    ListClock clock;
};

class RecordingSettingsStore final : public SettingsStore, Recorder {
  public:
    using Recorder::Recorder;

    SettingsRecord fileSettings;
    bool saveFails = false;

    void LoadSettings(SettingsRecord& settings) override {
        Record("LoadSettings");
        settings = fileSettings;
    }
    void CorrectSettings(SettingsRecord&) override { Record("CorrectSettings"); }
    bool SaveSettings(const SettingsRecord&) override {
        Record("SaveSettings");
        return !saveFails;
    }
    std::u16string FilePath() override { return u"C:\\My Tools\\Quillet.json"; }
};

class RecordingFeedback final : public Feedback, Recorder {
  public:
    using Recorder::Recorder;

    bool speechLoads = true;
    std::vector<int> missingExports;
    bool stops = true;                  // false: the worker is held in a hung reader
    std::vector<std::string> brailled;  // apart, so the calls read as the user hears them

    void StartSound() override { Record("StartSound"); }
    void QueueCue(Cue cue) override { Record("Cue " + CueName(cue)); }
    void ShowBraille(std::u16string_view text) override {
        brailled.push_back(Utf16ToUtf8(std::u16string(text)));
    }
    void SoundLastCueAndWait(Cue cue, std::u16string_view braille) override {
        Record("LastCue " + CueName(cue));
        if (!braille.empty()) ShowBraille(braille);
    }
    void SoundSlotHousekeeping() override { Record("Housekeeping"); }
    bool BindSpeech() override {
        Record("BindSpeech");
        return speechLoads;
    }
    std::vector<int> MissingSpeechExports() override { return missingExports; }
    bool StopFeedback() override {
        Record("StopFeedback");
        return stops;
    }
    void UnbindSpeech() override { Record("UnbindSpeech"); }
    int SpeechEngine() override { return engine; }
    int engine = 2;
};

// What the window reports, as the fake replays it.
struct WindowCall {
    enum Kind { LeftClick, RightClick, Command, Timer, Close, ExitRequest } kind;
    int32_t id = 0;  // the command's

    std::string Text() const {
        static const char* const names[] = {"left",  "right", "command ",
                                            "timer", "close", "exit request"};
        return names[kind] + (kind == Command ? std::to_string(id) : std::string());
    }
};

class RecordingShell final : public Shell, Recorder {
  public:
    using Recorder::Recorder;

    std::deque<WindowCall> windowCalls;   // one per WaitMessage; then close
    std::vector<WindowCall> callsOnMenu;  // made while the menu is open (a choice)

    void OpenMainWindow() override { Record("OpenMainWindow"); }
    void CloseMainWindow() override { Record("CloseMainWindow"); }
    void AddTrayIcon() override { Record("AddTrayIcon"); }
    void RemoveTrayIcon() override { Record("RemoveTrayIcon"); }
    void BuildMenu() override { Record("BuildMenu"); }
    void SetMenuItemChecked(int32_t id, bool on) override {
        Record("Checked " + std::to_string(id) + (on ? " on" : " off"));
    }
    void SetMenuItemGreyed(int32_t id, bool on) override {
        Record("Greyed " + std::to_string(id) + (on ? " on" : " off"));
    }
    void ShowMenu() override {
        Record("ShowMenu");
        DeliverAll(callsOnMenu);
    }
    void Listen(TrayListener* listener) override { listener_ = listener; }
    void WaitMessage() override {
        WindowCall c{WindowCall::Close};
        if (!windowCalls.empty()) {
            c = windowCalls.front();
            windowCalls.pop_front();
        }
        Record("Message " + c.Text());
        Deliver(c);
    }
    void StartClickTimer() override { Record("StartClickTimer"); }
    void StopClickTimer() override { Record("StopClickTimer"); }

    // Hands the window's calls made meanwhile to the listener, once.
    void DeliverAll(std::vector<WindowCall>& during) {
        const std::vector<WindowCall> taken = std::move(during);
        during.clear();
        for (const WindowCall& c : taken) Deliver(c);
    }

  private:
    void Deliver(const WindowCall& c) {
        if (!listener_) return;
        switch (c.kind) {
            case WindowCall::LeftClick:
                return listener_->OnTrayClick(TrayButton::Left);
            case WindowCall::RightClick:
                return listener_->OnTrayClick(TrayButton::Right);
            case WindowCall::Command:
                return listener_->OnMenuCommand(c.id);
            case WindowCall::Timer:
                return listener_->OnTimer();
            case WindowCall::Close:
                return listener_->OnClose();
            case WindowCall::ExitRequest:
                return listener_->OnExitRequest();
        }
    }

    TrayListener* listener_ = nullptr;
};

// The dialogs pump the window's messages too: calls made while one is open reach the
// listener from inside it.
class RecordingDialogs final : public Dialogs, Recorder {
  public:
    RecordingDialogs(Calls& calls, RecordingShell& shell) : Recorder(calls), shell_(shell) {}

    std::vector<std::u16string> messages;  // "title|text|style"
    int answer = 1;
    std::u16string typedAnswer;
    std::u16string lastPrompt;
    std::vector<WindowCall> callsOnAsk;  // made while the timeout dialog is open

    int ShowMessage(const std::u16string& title, const std::u16string& text, int style) override {
        Record("ShowMessage");
        messages.push_back(title + u"|" + text + u"|" + IntegerText(style));
        return answer;
    }
    std::u16string AskText(const std::u16string& title, const std::u16string& prompt) override {
        Record("AskText " + Utf16ToUtf8(title));
        lastPrompt = prompt;
        shell_.DeliverAll(callsOnAsk);
        return typedAnswer;
    }
    void ShowRecentKeys(const RecentKeysTexts& texts) override {
        Record("ShowRecentKeys " + Utf16ToUtf8(texts.title));
        recentKeys = texts;
    }
    RecentKeysTexts recentKeys;

  private:
    RecordingShell& shell_;
};

class RecordingHook final : public KeyboardHook, Recorder {
  public:
    RecordingHook(Calls& calls, const AppState& state) : Recorder(calls), state_(state) {}

    bool installs = true;
    // Seen when the hook was started.
    int32_t ignoreModeAtHook = -1;
    int32_t timeoutAtHook = -1;  // as the hook thread would read it
    size_t keyNamesAtHook = 0;
    std::vector<std::u16string> programsAtHook;

    bool StartKeyboardHook() override {
        Record("StartKeyboardHook");
        ignoreModeAtHook = static_cast<int32_t>(state_.filter.ignoreMode.load());
        timeoutAtHook = state_.filterSettings.doublePressTimeout;
        keyNamesAtHook = 0;
        for (const auto& name : state_.filter.keyNames) keyNamesAtHook += !name.empty();
        programsAtHook = state_.programs.Current()->Names();
        return installs;
    }
    void StopKeyboardHook() override { Record("StopKeyboardHook"); }

  private:
    const AppState& state_;
};

class RecordingProgramItem final : public ProgramItem, Recorder {
  public:
    using Recorder::Recorder;

    ProgramDescription inFront;  // none known unless set

    ProgramDescription DescribeProgramInFront() override { return inFront; }
    void SetMenuItemText(int32_t id, const std::u16string& label) override {
        Record("Text " + std::to_string(id) + " " + Utf16ToUtf8(label));
    }
};

// The Run value and Task Manager's word on it, kept here.
class FakeRunAtLogonValues final : public RunAtLogonValues {
  public:
    std::optional<std::u16string> value;
    std::optional<std::vector<uint8_t>> approved;
    bool fails = false;

    std::optional<std::u16string> Read() override { return value; }
    bool Write(std::u16string_view command) override {
        if (!fails) value = std::u16string(command);
        return !fails;
    }
    bool Delete() override {
        if (!fails) value.reset();
        return !fails;
    }
    std::optional<std::vector<uint8_t>> ReadStartupApproved() override { return approved; }
    bool WriteStartupApproved(std::span<const uint8_t> bytes) override {
        if (!fails) approved.emplace(bytes.begin(), bytes.end());
        return !fails;
    }
};

// Every fake, all recording into `calls`.
struct RecordingSeams {
    explicit RecordingSeams(const AppState& state) : hook(calls, state) {}
    RecordingSeams(const RecordingSeams&) = delete;
    RecordingSeams& operator=(const RecordingSeams&) = delete;

    Calls calls;
    RecordingProcess process{calls};
    RecordingSettingsStore settingsStore{calls};
    RecordingFeedback feedback{calls};
    RecordingShell shell{calls};
    RecordingDialogs dialogs{calls, shell};
    RecordingHook hook;
    RecordingProgramItem programItem{calls};
    FakeRunAtLogonValues runAtLogon;

    Seams All() {
        return {process, settingsStore, feedback, shell, dialogs, hook, programItem, runAtLogon};
    }
};

}  // namespace quillet::testing
