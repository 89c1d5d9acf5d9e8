#include "app/startup.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "recording_desktop.h"

namespace quillet {
namespace {

using testing::RecordingDesktop;
using Calls = std::vector<std::string>;

const Calls kFullRun = {
    "StartLayers",         "CreateInstanceMutex",
    "ExecutablePath",      "SetWorkingDirectory C:\\Apps\\Quillet\\",
    "CommandLine",         "LoadSettings",
    "QueryElevation",      "CorrectSettings",
    "StartSound",          "SoundStartCue",
    "BindSpeech",          "OpenMainWindow",
    "AddTrayIcon",         "BuildMenu",
    "InstallHook",         "Event 13116/0/0",
    "Housekeeping",        "RemoveHook",
    "CloseInstanceMutex",  "CloseMainWindow",
    "SoundExitCueAndWait", "EndSequence",
};

bool Has(const Calls& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

TEST(Startup, RunsEveryStepInOrderAndEndsOnce) {
    AppState state;
    state.filter.ignoreMode = 2;
    RecordingDesktop desktop(state);
    desktop.fileSettings.doublePressTimeout = 450;
    EXPECT_EQ(RunQuillet(desktop, state), 0);
    EXPECT_EQ(desktop.calls, kFullRun);
    EXPECT_EQ(desktop.timeoutAtHook, 450);
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(desktop.ignoreModeAtHook, 0);
    EXPECT_EQ(desktop.keyNamesAtHook, 13u);
    EXPECT_EQ(state.executablePath, u"C:\\Apps\\Quillet\\Quillet.exe");
}

TEST(Startup, SecondInstanceOnlyShowsItsMessage) {
    AppState state;
    RecordingDesktop desktop(state);
    desktop.mutexFree = false;
    EXPECT_EQ(RunQuillet(desktop, state), 0);
    EXPECT_EQ(desktop.calls,
              (Calls{"StartLayers", "CreateInstanceMutex", "ShowMessage", "EndSequence"}));
    EXPECT_EQ(desktop.messages, std::vector<std::u16string>{u"Quillet|Already running.|16"});
}

TEST(Startup, StartCueDependsOnTheParameterText) {
    struct Case {
        const char16_t* commandLine;
        bool cue;
    } cases[] = {
        {u"Quillet.exe", true},
        {u"Quillet.exe /silent", false},
        {u"Quillet.exe /SILENT", false},
        {u"Quillet.exe \"/Silent  \"", false},
        {u"Quillet.exe \" /silent\"", true},
        {u"Quillet.exe /silent now", true},
    };
    for (const auto& c : cases) {
        AppState state;
        RecordingDesktop desktop(state);
        desktop.commandLine = c.commandLine;
        RunQuillet(desktop, state);
        EXPECT_EQ(Has(desktop.calls, "SoundStartCue"), c.cue);
        EXPECT_TRUE(Has(desktop.calls, "Housekeeping"));
    }
}

TEST(Startup, FatalErrorsShowTheirMessageAndEnd) {
    struct Case {
        bool speechLoads;
        bool hookInstalls;
        std::u16string message;
        std::string lastStep;
        std::vector<std::u16string> uiLanguages;
    } cases[] = {
        {false, true, u"Error|Could not load required components.|16", "BindSpeech", {}},
        {true, false, u"Error|Could not initialize keys.|16", "InstallHook", {}},
        {false,
         true,
         u"Fehler|Benötigte Komponenten konnten nicht geladen werden.|16",
         "BindSpeech",
         {u"de-DE"}},
        {true, false, u"Ошибка|Не удалось инициализировать клавиши.|16", "InstallHook", {u"ru-RU"}},
    };
    for (const auto& c : cases) {
        AppState state;
        RecordingDesktop desktop(state);
        desktop.uiLanguages = c.uiLanguages;
        desktop.speechLoads = c.speechLoads;
        desktop.hookInstalls = c.hookInstalls;
        EXPECT_EQ(RunQuillet(desktop, state), 0);
        EXPECT_EQ(desktop.messages, std::vector<std::u16string>{c.message});
        ASSERT_GE(desktop.calls.size(), 3u);
        const Calls tail(desktop.calls.end() - 3, desktop.calls.end());
        EXPECT_EQ(tail, (Calls{c.lastStep, "ShowMessage", "EndSequence"}));
        EXPECT_FALSE(Has(desktop.calls, "Housekeeping"));
    }
}

TEST(Startup, MissingSpeechExportsAreReportedAndStartUpGoesOn) {
    AppState state;
    RecordingDesktop desktop(state);
    desktop.missingExports = {0, 3};
    RunQuillet(desktop, state);
    EXPECT_EQ(desktop.messages,
              (std::vector<std::u16string>{u"error|line 26:\u0001speechSay Not found|16",
                                           u"error|line 29:\u0001speechStop Not found|16"}));
    EXPECT_TRUE(Has(desktop.calls, "InstallHook"));
    EXPECT_TRUE(Has(desktop.calls, "Housekeeping"));
}

TEST(Startup, SpeaksAndShowsTheUsersLanguage) {
    struct Case {
        std::vector<std::u16string> uiLanguages;
        const char16_t* alreadyRunning;
        const char16_t* missingExport;
        const char16_t* escapeName;
        const char16_t* nextKeyOnly;
    } cases[] = {
        {{u"en-US", u"de-DE"},
         u"Quillet|Already running.|16",
         u"error|line 26:\u0001speechSay Not found|16",
         u"Escape",
         u"Ignoring double-press for the next key only."},
        {{u"de-AT"},
         u"Quillet|Läuft bereits.|16",
         u"Fehler|line 26:\u0001speechSay nicht gefunden|16",
         u"Escape",
         u"Doppeldruck wird nur für die nächste Taste ignoriert."},
        {{u"sv-SE", u"fr-CA"},
         u"Quillet|Déjà en cours d'exécution.|16",
         u"Erreur|line 26:\u0001speechSay introuvable|16",
         u"échap",
         u"Double appui ignoré pour la prochaine touche seulement."},
    };
    for (const auto& c : cases) {
        AppState second;
        RecordingDesktop secondDesktop(second);
        secondDesktop.uiLanguages = c.uiLanguages;
        secondDesktop.mutexFree = false;
        RunQuillet(secondDesktop, second);
        EXPECT_EQ(secondDesktop.messages, std::vector<std::u16string>{c.alreadyRunning});

        AppState state;
        RecordingDesktop desktop(state);
        desktop.uiLanguages = c.uiLanguages;
        desktop.missingExports = {0};
        RunQuillet(desktop, state);
        EXPECT_EQ(desktop.messages, std::vector<std::u16string>{c.missingExport});
        EXPECT_EQ(state.filter.keyNames[GuardedKeyIndex(kVkEscape)], c.escapeName);
        EXPECT_EQ(state.filter.keyNames[GuardedKeyIndex(116)], u"F5");
        EXPECT_EQ(state.filter.ignoreModeTexts[kIgnoreNextKey], c.nextKeyOnly);
        EXPECT_TRUE(Has(desktop.calls, "InstallHook"));
    }
}

TEST(Startup, RelaunchesElevatedBeforeAnyCorrectionOrCue) {
    AppState state;
    RecordingDesktop desktop(state);
    desktop.fileSettings.runAsAdmin = 7;  // any non-zero value asks for it
    desktop.elevation = Elevation::NotElevated;
    desktop.commandLine = u"Quillet.exe /silent";
    RunQuillet(desktop, state);
    EXPECT_EQ(
        desktop.calls,
        (Calls{"StartLayers", "CreateInstanceMutex", "ExecutablePath",
               "SetWorkingDirectory C:\\Apps\\Quillet\\", "CommandLine", "LoadSettings",
               "QueryElevation", "CloseInstanceMutex",
               "Launch C:\\Apps\\Quillet\\Quillet.exe||C:\\Apps\\Quillet\\|runas", "EndSequence"}));
}

TEST(Startup, RefusedElevationKeepsGuardingUnlessAnotherInstanceStarted) {
    struct Case {
        int mutexGrants;  // 1: another start took the mutex during the launch
        Calls afterLaunch;
    } cases[] = {
        {-1, {"CreateInstanceMutex", "CorrectSettings"}},
        {1, {"CreateInstanceMutex", "EndSequence"}},
    };
    for (const auto& c : cases) {
        AppState state;
        RecordingDesktop desktop(state);
        desktop.fileSettings.runAsAdmin = 1;
        desktop.elevation = Elevation::NotElevated;
        desktop.launchSucceeds = false;
        desktop.mutexGrants = c.mutexGrants;
        RunQuillet(desktop, state);
        const auto launch =
            std::find_if(desktop.calls.begin(), desktop.calls.end(),
                         [](const std::string& call) { return call.starts_with("Launch "); });
        ASSERT_NE(launch, desktop.calls.end());
        EXPECT_EQ(Calls(launch + 1, launch + 3), c.afterLaunch);
        EXPECT_EQ(Has(desktop.calls, "InstallHook"), c.mutexGrants < 0);
        EXPECT_TRUE(desktop.messages.empty());
    }
}

TEST(Startup, NoRelaunchWhenElevatedUnknownOrNotAsked) {
    struct Case {
        Elevation elevation;
        uint8_t runAsAdmin;
    } cases[] = {{Elevation::Elevated, 1}, {Elevation::Unknown, 1}, {Elevation::NotElevated, 0}};
    for (const auto& c : cases) {
        AppState state;
        RecordingDesktop desktop(state);
        desktop.elevation = c.elevation;
        desktop.fileSettings.runAsAdmin = c.runAsAdmin;
        RunQuillet(desktop, state);
        EXPECT_EQ(desktop.calls, kFullRun);
    }
}

}  // namespace
}  // namespace quillet
