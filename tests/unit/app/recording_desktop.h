// A Desktop that records every call, for checking the order of start-up and shutdown.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/desktop.h"
#include "runtime/text.h"

namespace quillet::testing {

class RecordingDesktop : public Desktop {
  public:
    explicit RecordingDesktop(AppState& state) : state_(state) {}

    std::vector<std::string> calls;
    std::vector<std::u16string> messages;  // "title|text|style"
    bool mutexFree = true;
    int mutexGrants = -1;  // how many creations may succeed; -1: every one while mutexFree
    std::u16string path = u"C:\\Apps\\Quillet\\Quillet.exe";
    std::u16string commandLine = u"\"C:\\Apps\\Quillet\\Quillet.exe\"";
    SettingsRecord fileSettings;
    Elevation elevation = Elevation::Elevated;
    bool launchSucceeds = true;
    bool speechLoads = true;
    std::vector<int> missingExports;
    bool hookInstalls = true;
    bool trayIcon = false;
    std::vector<std::u16string> uiLanguages;  // as Windows lists them; none: English
    int answer = 1;
    std::u16string typedAnswer;
    std::u16string lastPrompt;
    std::deque<WindowEvent> events;         // what WaitEvent delivers; then EventClose
    std::vector<WindowEvent> eventsOnMenu;  // queued when the menu is shown (a choice)
    // Seen when the hook was installed.
    int32_t ignoreModeAtHook = -1;
    int32_t timeoutAtHook = -1;  // as the hook thread would read it
    size_t keyNamesAtHook = 0;

    void StartLayers() override { Record("StartLayers"); }
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
    std::u16string LowerCase(const std::u16string& text) override {
        std::u16string lower = text;
        for (auto& c : lower) c = AsciiLower(c);
        return lower;
    }
    void LoadSettings(SettingsRecord& settings) override {
        Record("LoadSettings");
        settings = fileSettings;
    }
    void CorrectSettings(SettingsRecord&) override { Record("CorrectSettings"); }
    void SaveSettings(const SettingsRecord&) override { Record("SaveSettings"); }
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
    void StartSound() override { Record("StartSound"); }
    void SoundStartCue() override { Record("SoundStartCue"); }
    void SoundExitCueAndWait() override { Record("SoundExitCueAndWait"); }
    void SoundRestartCueAndWait() override { Record("SoundRestartCueAndWait"); }
    void SoundEscapeExemptionCue(bool on) override {
        Record(on ? "Cue EscapeOn" : "Cue EscapeOff");
    }
    void SoundRunAsAdminCue(bool on) override { Record(on ? "Cue AdminOn" : "Cue AdminOff"); }
    void SoundIgnoreModeCue(int32_t mode) override { Record("Cue Mode" + std::to_string(mode)); }
    void SoundSlotHousekeeping() override { Record("Housekeeping"); }
    bool BindSpeech() override {
        Record("BindSpeech");
        return speechLoads;
    }
    int MissingSpeechExportCount() override { return static_cast<int>(missingExports.size()); }
    int MissingSpeechExport(int n) override { return missingExports[n]; }
    int ShowMessage(const std::u16string& title, const std::u16string& text, int style) override {
        Record("ShowMessage");
        messages.push_back(title + u"|" + text + u"|" + DecimalText(style));
        return answer;
    }
    std::u16string AskText(const std::u16string& title, const std::u16string& prompt) override {
        Record("AskText " + Utf16ToUtf8(title));
        lastPrompt = prompt;
        return typedAnswer;
    }
    void OpenMainWindow() override { Record("OpenMainWindow"); }
    void CloseMainWindow() override { Record("CloseMainWindow"); }
    void AddTrayIcon() override {
        Record("AddTrayIcon");
        trayIcon = true;
    }
    bool HasTrayIcon() override { return trayIcon; }
    void RemoveTrayIcon() override {
        Record("RemoveTrayIcon");
        trayIcon = false;
    }
    void BuildMenu() override { Record("BuildMenu"); }
    void SetMenuItemChecked(int32_t id, bool on) override {
        Record("Checked " + std::to_string(id) + (on ? " on" : " off"));
    }
    void SetMenuItemGreyed(int32_t id, bool on) override {
        Record("Greyed " + std::to_string(id) + (on ? " on" : " off"));
    }
    void ShowMenu() override {
        Record("ShowMenu");
        for (auto& e : eventsOnMenu) events.push_back(e);
        eventsOnMenu.clear();
    }
    WindowEvent WaitEvent() override {
        WindowEvent e{EventClose, 0, 0};
        if (!events.empty()) {
            e = events.front();
            events.pop_front();
        }
        Record("Event " + std::to_string(e.kind) + "/" + std::to_string(e.type) + "/" +
               std::to_string(e.object));
        return e;
    }
    void PostTrayEvent(int32_t type) override {
        Record("PostTray " + std::to_string(type));
        events.push_back({EventTray, type, 0});
    }
    void StartClickTimer() override { Record("StartClickTimer"); }
    void StopClickTimer() override { Record("StopClickTimer"); }
    bool InstallHook() override {
        Record("InstallHook");
        ignoreModeAtHook = state_.filter.ignoreMode;
        timeoutAtHook = state_.filterSettings.doublePressTimeout;
        keyNamesAtHook = 0;
        for (const auto& name : state_.filter.keyNames) keyNamesAtHook += !name.empty();
        return hookInstalls;
    }
    void RemoveHook() override { Record("RemoveHook"); }
    void EndSequence() override { Record("EndSequence"); }

  protected:
    void Record(std::string call) { calls.push_back(std::move(call)); }
    AppState& state_;
};

}  // namespace quillet::testing
