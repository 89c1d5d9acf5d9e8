#include <gtest/gtest.h>

#include <algorithm>

#include "app/run_quillet.h"
#include "recording_seams.h"
#include "ui/tray_menu.h"

namespace quillet {
namespace {

using testing::Calls;
using testing::RecordingSeams;

const Calls kEndSequence = {"StopKeyboardHook", "StopFeedback", "CloseMainWindow",
                            "EndLayers",        "UnbindSpeech", "EndProcess"};

// The calls, then the end sequence.
Calls ThenEnd(Calls calls) {
    calls.insert(calls.end(), kEndSequence.begin(), kEndSequence.end());
    return calls;
}

const Calls kFullRun = ThenEnd({
    "StartLayers",        "CreateInstanceMutex",
    "ExecutablePath",     "SetWorkingDirectory C:\\Apps\\Quillet\\",
    "CommandLine",        "LoadSettings",
    "QueryElevation",     "CorrectSettings",
    "StartSound",         "Cue Start",
    "BindSpeech",         "OpenMainWindow",
    "AddTrayIcon",        "BuildMenu",
    "StartKeyboardHook",  "Message close",
    "Housekeeping",       "StopKeyboardHook",
    "CloseInstanceMutex", "CloseMainWindow",
    "LastCue Exit",
});

bool Has(const Calls& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

TEST(Startup, RunsEveryStepInOrderAndEndsOnce) {
    AppState state;
    state.filter.ignoreMode = IgnoreMode::Always;
    RecordingSeams seams(state);
    seams.settingsStore.fileSettings.doublePressTimeout = 450;
    seams.settingsStore.fileSettings.exemptPrograms = {u"devenv.exe"};
    EXPECT_EQ(RunQuillet(seams.All(), state), 0);
    EXPECT_EQ(seams.calls, kFullRun);
    EXPECT_EQ(seams.hook.timeoutAtHook, 450);
    EXPECT_TRUE(seams.dialogs.messages.empty());
    EXPECT_EQ(seams.hook.ignoreModeAtHook, 0);
    EXPECT_EQ(seams.hook.keyNamesAtHook, 13u);
    EXPECT_EQ(seams.hook.programsAtHook, std::vector<std::u16string>{u"devenv.exe"});
    EXPECT_EQ(state.executablePath, u"C:\\Apps\\Quillet\\Quillet.exe");
}

// A worker held in a hung speech library may still be inside it: the library stays.
TEST(Startup, EndSequenceKeepsTheSpeechLibraryOfAWorkerLeftBehind) {
    AppState state;
    RecordingSeams seams(state);
    seams.feedback.stops = false;
    RunQuillet(seams.All(), state);
    const Calls tail(seams.calls.end() - 5, seams.calls.end());
    EXPECT_EQ(tail, (Calls{"StopKeyboardHook", "StopFeedback", "CloseMainWindow", "EndLayers",
                           "EndProcess"}));
}

// The hook keeps guarding through the restart cue and goes only with the end sequence.
TEST(Startup, RestartFromTheMenuSkipsTheNormalShutdown) {
    AppState state;
    RecordingSeams seams(state);
    seams.shell.windowCalls = {{testing::WindowCall::Command, kMenuRunAsAdmin}};
    seams.dialogs.answer = AnswerYes;
    RunQuillet(seams.All(), state);
    const Calls expected = ThenEnd(
        {"CloseInstanceMutex", "RemoveTrayIcon", "LastCue Restart",
         "Launch C:\\Apps\\Quillet\\Quillet.exe||C:\\Apps\\Quillet\\|runas", "Housekeeping"});
    ASSERT_GE(seams.calls.size(), expected.size());
    EXPECT_EQ(Calls(seams.calls.end() - expected.size(), seams.calls.end()), expected);
    EXPECT_EQ(std::count(seams.calls.begin(), seams.calls.end(), "StopKeyboardHook"), 1);
}

TEST(Startup, SecondInstanceOnlyShowsItsMessage) {
    AppState state;
    RecordingSeams seams(state);
    seams.process.mutexFree = false;
    EXPECT_EQ(RunQuillet(seams.All(), state), 0);
    EXPECT_EQ(seams.calls, ThenEnd({"StartLayers", "CreateInstanceMutex", "ShowMessage"}));
    EXPECT_EQ(seams.dialogs.messages, std::vector<std::u16string>{u"Quillet|Already running.|16"});
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
        RecordingSeams seams(state);
        seams.process.commandLine = c.commandLine;
        RunQuillet(seams.All(), state);
        EXPECT_EQ(Has(seams.calls, "Cue Start"), c.cue);
        // Braille says what the start and exit cues tell, the start only with its cue.
        EXPECT_EQ(seams.feedback.brailled, (c.cue ? Calls{"Quillet is running", "Quillet closed"}
                                                  : Calls{"Quillet closed"}));
        EXPECT_TRUE(Has(seams.calls, "Housekeeping"));
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
        {true, false, u"Error|Could not initialize keys.|16", "StartKeyboardHook", {}},
        {false,
         true,
         u"Fehler|Benötigte Komponenten konnten nicht geladen werden.|16",
         "BindSpeech",
         {u"de-DE"}},
        {true,
         false,
         u"Ошибка|Не удалось инициализировать клавиши.|16",
         "StartKeyboardHook",
         {u"ru-RU"}},
    };
    for (const auto& c : cases) {
        AppState state;
        RecordingSeams seams(state);
        seams.process.uiLanguages = c.uiLanguages;
        seams.feedback.speechLoads = c.speechLoads;
        seams.hook.installs = c.hookInstalls;
        EXPECT_EQ(RunQuillet(seams.All(), state), 0);
        EXPECT_EQ(seams.dialogs.messages, std::vector<std::u16string>{c.message});
        const Calls expected = ThenEnd({c.lastStep, "ShowMessage"});
        ASSERT_GE(seams.calls.size(), expected.size());
        const Calls tail(seams.calls.end() - expected.size(), seams.calls.end());
        EXPECT_EQ(tail, expected);
        EXPECT_FALSE(Has(seams.calls, "Housekeeping"));
    }
}

TEST(Startup, MissingSpeechExportsAreReportedAndStartUpGoesOn) {
    AppState state;
    RecordingSeams seams(state);
    seams.feedback.missingExports = {0, 3};
    RunQuillet(seams.All(), state);
    EXPECT_EQ(seams.dialogs.messages,
              (std::vector<std::u16string>{u"error|line 26:\u0001speechSay Not found|16",
                                           u"error|line 29:\u0001speechStop Not found|16"}));
    EXPECT_TRUE(Has(seams.calls, "StartKeyboardHook"));
    EXPECT_TRUE(Has(seams.calls, "Housekeeping"));
}

TEST(Startup, SpeaksAndShowsTheUsersLanguage) {
    struct Case {
        std::vector<std::u16string> uiLanguages;
        const char16_t* alreadyRunning;
        const char16_t* missingExport;
        const char16_t* escapeName;
        const char16_t* nextKeyOnly;
        Calls brailled;
    } cases[] = {
        {{u"en-US", u"de-DE"},
         u"Quillet|Already running.|16",
         u"error|line 26:\u0001speechSay Not found|16",
         u"Escape",
         u"Ignoring double-press for the next key only.",
         {"Quillet is running", "Quillet closed"}},
        {{u"de-AT"},
         u"Quillet|Läuft bereits.|16",
         u"Fehler|line 26:\u0001speechSay nicht gefunden|16",
         u"Escape",
         u"Doppeldruck wird nur für die nächste Taste ignoriert.",
         {"Quillet läuft", "Quillet beendet"}},
        {{u"sv-SE", u"fr-CA"},
         u"Quillet|Déjà en cours d'exécution.|16",
         u"Erreur|line 26:\u0001speechSay introuvable|16",
         u"échap",
         u"Double appui ignoré pour la prochaine touche seulement.",
         {"Quillet est lancé", "Quillet fermé"}},
    };
    for (const auto& c : cases) {
        AppState second;
        RecordingSeams secondSeams(second);
        secondSeams.process.uiLanguages = c.uiLanguages;
        secondSeams.process.mutexFree = false;
        RunQuillet(secondSeams.All(), second);
        EXPECT_EQ(secondSeams.dialogs.messages, std::vector<std::u16string>{c.alreadyRunning});

        AppState state;
        RecordingSeams seams(state);
        seams.process.uiLanguages = c.uiLanguages;
        seams.feedback.missingExports = {0};
        RunQuillet(seams.All(), state);
        EXPECT_EQ(seams.dialogs.messages, std::vector<std::u16string>{c.missingExport});
        EXPECT_EQ(state.filter.keyNames[GuardedKeyIndex(kVkEscape)], c.escapeName);
        EXPECT_EQ(state.filter.keyNames[GuardedKeyIndex(116)], u"F5");
        EXPECT_EQ(state.filter.ignoreModeTexts[static_cast<int32_t>(IgnoreMode::NextKey)],
                  c.nextKeyOnly);
        EXPECT_TRUE(Has(seams.calls, "StartKeyboardHook"));
        EXPECT_EQ(seams.feedback.brailled, c.brailled);
    }
}

// The elevated instance is as silent as this one was started.
TEST(Startup, RelaunchesElevatedBeforeAnyCorrectionOrCue) {
    struct Case {
        const char16_t* commandLine;
        const char* parameters;
    } cases[] = {
        {u"Quillet.exe /SILENT", "/silent"},
        {u"Quillet.exe", ""},
    };
    for (const auto& c : cases) {
        AppState state;
        RecordingSeams seams(state);
        seams.settingsStore.fileSettings.runAsAdmin = 7;  // any non-zero value asks for it
        seams.process.elevation = Elevation::NotElevated;
        seams.process.commandLine = c.commandLine;
        RunQuillet(seams.All(), state);
        EXPECT_EQ(seams.calls, ThenEnd({"StartLayers", "CreateInstanceMutex", "ExecutablePath",
                                        "SetWorkingDirectory C:\\Apps\\Quillet\\", "CommandLine",
                                        "LoadSettings", "QueryElevation", "CloseInstanceMutex",
                                        std::string("Launch C:\\Apps\\Quillet\\Quillet.exe|") +
                                            c.parameters + "|C:\\Apps\\Quillet\\|runas"}));
    }
}

TEST(Startup, RefusedElevationKeepsGuardingUnlessAnotherInstanceStarted) {
    struct Case {
        int mutexGrants;  // 1: another start took the mutex during the launch
        Calls afterLaunch;
    } cases[] = {
        {-1, {"CreateInstanceMutex", "CorrectSettings"}},
        {1, ThenEnd({"CreateInstanceMutex"})},
    };
    for (const auto& c : cases) {
        AppState state;
        RecordingSeams seams(state);
        seams.settingsStore.fileSettings.runAsAdmin = 1;
        seams.process.elevation = Elevation::NotElevated;
        seams.process.launchSucceeds = false;
        seams.process.mutexGrants = c.mutexGrants;
        RunQuillet(seams.All(), state);
        const auto launch =
            std::find_if(seams.calls.begin(), seams.calls.end(),
                         [](const std::string& call) { return call.starts_with("Launch "); });
        ASSERT_NE(launch, seams.calls.end());
        const auto end =
            std::min(seams.calls.end(), launch + 1 + static_cast<ptrdiff_t>(c.afterLaunch.size()));
        EXPECT_EQ(Calls(launch + 1, end), c.afterLaunch);
        EXPECT_EQ(Has(seams.calls, "StartKeyboardHook"), c.mutexGrants < 0);
        EXPECT_TRUE(seams.dialogs.messages.empty());
    }
}

TEST(Startup, NoRelaunchWhenElevatedUnknownOrNotAsked) {
    struct Case {
        Elevation elevation;
        uint8_t runAsAdmin;
    } cases[] = {{Elevation::Elevated, 1}, {Elevation::Unknown, 1}, {Elevation::NotElevated, 0}};
    for (const auto& c : cases) {
        AppState state;
        RecordingSeams seams(state);
        seams.process.elevation = c.elevation;
        seams.settingsStore.fileSettings.runAsAdmin = c.runAsAdmin;
        RunQuillet(seams.All(), state);
        EXPECT_EQ(seams.calls, kFullRun);
    }
}

}  // namespace
}  // namespace quillet
