#include "app/event_loop.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "recording_seams.h"

namespace quillet {
namespace {

using testing::Calls;
using testing::RecordingSeams;

using testing::WindowCall;
const WindowCall kLeft{WindowCall::LeftClick};
const WindowCall kRight{WindowCall::RightClick};
const WindowCall kTimer{WindowCall::Timer};
const WindowCall kClose{WindowCall::Close};
WindowCall Menu(int32_t id) { return {WindowCall::Command, id}; }

// Runs the loop over the given window calls and returns what it did, without the
// message and housekeeping lines unless asked for.
struct LoopRig {
    AppState state;
    RecordingSeams seams{state};
    LoopEnd end = LoopEnd::Exit;

    LoopRig() { state.executablePath = u"C:\\My Tools\\Quillet.exe"; }

    Calls Run(std::initializer_list<WindowCall> windowCalls, bool keepMessages = false) {
        seams.shell.windowCalls.assign(windowCalls.begin(), windowCalls.end());
        end = RunEventLoop(seams.All(), state);
        Calls calls;
        for (const auto& c : seams.calls) {
            if (keepMessages || (!c.starts_with("Message ") && c != "Housekeeping")) {
                calls.push_back(c);
            }
        }
        return calls;
    }
};

// The items after the ignore modes, with no program known, no Run value and the
// single-press keys given.
Calls MenuMarks(Calls first, uint32_t singlePressKeys = 0) {
    first.insert(first.end(), {"Text 7 &Let keys through in the program in front", "Checked 7 off",
                               "Greyed 7 on", "Checked 8 off"});
    for (int32_t id = kMenuSinglePressF1; id <= kMenuSinglePressF12; ++id) {
        const bool on = singlePressKeys & SinglePressKeyBit(SinglePressKeyNumber(id));
        first.push_back("Checked " + std::to_string(id) + (on ? " on" : " off"));
    }
    first.push_back("ShowMenu");
    return first;
}

const Calls kMenuMarksModeZero =
    MenuMarks({"Checked 0 off", "Checked 5 off", "Checked 2 on", "Greyed 2 on", "Checked 3 off",
               "Greyed 3 off", "Checked 4 off", "Greyed 4 off"});

TEST(EventLoop, LeftClickOpensTheMenuOnceAfterTheTimer) {
    LoopRig rig;
    Calls expected = {"StartClickTimer", "StopClickTimer"};
    expected.insert(expected.end(), kMenuMarksModeZero.begin(), kMenuMarksModeZero.end());
    EXPECT_EQ(rig.Run({kLeft, kLeft, kTimer}), expected);
    EXPECT_EQ(rig.state.deferredClickPending, 0);
    EXPECT_EQ(rig.end, LoopEnd::Exit);
}

TEST(EventLoop, RightClickOpensAtOnceAndUnknownCommandsDoNothing) {
    LoopRig rig;
    EXPECT_EQ(rig.Run({Menu(99), Menu(-1), Menu(kMenuRecentKeys + 1), kRight}), kMenuMarksModeZero);
}

TEST(EventLoop, HousekeepingFollowsEveryMessage) {
    LoopRig rig;
    const Calls calls = rig.Run({Menu(99), Menu(98)}, true);
    EXPECT_EQ(calls, (Calls{"Message command 99", "Housekeeping", "Message command 98",
                            "Housekeeping", "Message close", "Housekeeping"}));
}

TEST(EventLoop, MenuMarksFollowSettingsAndIgnoreMode) {
    LoopRig rig;
    rig.state.settings.exclude_escape = 1;
    rig.state.settings.runAsAdmin = 2;
    rig.state.filter.ignoreMode = IgnoreMode::Always;
    rig.state.settings.singlePressKeys =
        SinglePressKeyBit(1) | SinglePressKeyBit(6) | SinglePressKeyBit(12);
    EXPECT_EQ(rig.Run({kRight}),
              MenuMarks({"Checked 0 on", "Checked 5 on", "Checked 2 off", "Greyed 2 off",
                         "Checked 3 off", "Greyed 3 off", "Checked 4 on", "Greyed 4 on"},
                        rig.state.settings.singlePressKeys));
}

TEST(EventLoop, CallsDuringTheMenuOrADialogWaitTheirTurn) {
    struct Case {
        const char* name;
        std::initializer_list<WindowCall> before;
        std::vector<WindowCall> duringMenu;
        std::vector<WindowCall> duringDialog;
        Calls fromFirst;  // from the first ShowMenu or AskText on, to EndProcess
        LoopEnd end = LoopEnd::Exit;
    } cases[] = {
        // Clicks on the icon while the menu is open never open it again.
        {"a click, or Enter's second notification",
         {kLeft, kTimer},
         {kLeft, kRight},
         {},
         {"ShowMenu"}},
        {"a click that waited for its timer",
         {kLeft, kRight},
         {kTimer},
         {},
         {"ShowMenu", "StopClickTimer"}},
        {"a choice still counts",
         {kRight},
         {kLeft, Menu(kMenuIgnoreAlways)},
         {},
         {"ShowMenu", "Cue IgnoreModeAlways"}},
        // Answered once the dialog's command is done, not inside it.
        {"a click during the timeout dialog",
         {Menu(kMenuTimeout)},
         {},
         {kRight, kClose, Menu(kMenuExit)},
         MenuMarks({"AskText Timeout", "ShowMessage", "SaveSettings", "Checked 0 off",
                    "Checked 5 off", "Checked 2 on", "Greyed 2 on", "Checked 3 off", "Greyed 3 off",
                    "Checked 4 off", "Greyed 4 off"})},
        // The installer's request is not: it ends Quillet from inside, what the menu or
        // dialog was doing dropped, nothing saved, no cue.
        {"the installer's request during the menu",
         {kRight},
         {Menu(kMenuIgnoreAlways), {WindowCall::ExitRequest}},
         {},
         {"ShowMenu", "StopKeyboardHook", "StopFeedback", "CloseMainWindow", "EndLayers",
          "UnbindSpeech", "EndProcess"},
         LoopEnd::Ended},
        {"the installer's request during the timeout dialog, an answer typed",
         {Menu(kMenuTimeout)},
         {},
         {{WindowCall::ExitRequest}},
         {"AskText Timeout", "StopKeyboardHook", "StopFeedback", "CloseMainWindow", "EndLayers",
          "UnbindSpeech", "EndProcess"},
         LoopEnd::Ended},
    };
    for (const Case& c : cases) {
        LoopRig rig;
        rig.seams.shell.callsOnMenu = c.duringMenu;
        rig.seams.dialogs.callsOnAsk = c.duringDialog;
        rig.seams.dialogs.typedAnswer = u"250";
        const Calls calls = rig.Run(c.before);
        const auto first = std::find_if(calls.begin(), calls.end(), [](const std::string& s) {
            return s == "ShowMenu" || s.starts_with("AskText");
        });
        // Windows never returns from the end; the fake does.
        auto last = std::find(first, calls.end(), "EndProcess");
        if (last != calls.end()) ++last;
        EXPECT_EQ(Calls(first, last), c.fromFirst) << c.name;
        EXPECT_EQ(rig.state.deferredClickPending, 0) << c.name;
        EXPECT_EQ(rig.end, c.end) << c.name;
    }
}

// The marks of the two items after the ignore modes, as the menu opens.
Calls LastMarks(const Calls& calls) {
    const auto from = std::find_if(calls.begin(), calls.end(),
                                   [](const std::string& c) { return c.starts_with("Text 7"); });
    const auto to =
        std::find(from, calls.end(), "Checked " + std::to_string(kMenuSinglePressF1) + " off");
    return Calls(from, to);
}

TEST(EventLoop, LetKeysThroughNamesTheProgramInFront) {
    const std::u16string german[] = {u"de-DE"};
    struct Row {
        ProgramDescription inFront;
        std::vector<std::u16string> listed;
        bool inGerman;
        Calls marks;
    } rows[] = {
        {{},
         {u"devenv.exe"},
         false,
         {"Text 7 &Let keys through in the program in front", "Checked 7 off", "Greyed 7 on"}},
        {{u"devenv.exe", u"Microsoft Visual Studio 2022"},
         {},
         false,
         {"Text 7 &Let keys through in Microsoft Visual Studio 2022", "Checked 7 off",
          "Greyed 7 off"}},
        {{u"Game.exe", u""},
         {u"mstsc.exe", u"GAME.EXE"},
         false,
         {"Text 7 &Let keys through in Game.exe", "Checked 7 on", "Greyed 7 off"}},
        {{u"tj.exe", u"Tom & Jerry"},
         {u"tj.exe"},
         false,
         {"Text 7 &Let keys through in Tom && Jerry", "Checked 7 on", "Greyed 7 off"}},
        {{u"Game.exe", u""},
         {},
         true,
         {"Text 7 &Tasten in Game.exe durchlassen", "Checked 7 off", "Greyed 7 off"}},
        {{},
         {},
         true,
         {"Text 7 &Tasten im Programm im Vordergrund durchlassen", "Checked 7 off", "Greyed 7 on"}},
    };
    for (const Row& r : rows) {
        LoopRig rig;
        if (r.inGerman) rig.state.language = Language(ChooseCatalog(german, BuiltInCatalogs()));
        rig.state.settings.exemptPrograms = r.listed;
        PublishPrograms(rig.state);
        rig.seams.programItem.inFront = r.inFront;
        Calls expected = r.marks;
        expected.push_back("Checked 8 off");
        EXPECT_EQ(LastMarks(rig.Run({kRight})), expected) << Utf16ToUtf8(r.inFront.fileName);
    }
}

TEST(EventLoop, LetKeysThroughListsOrUnlistsTheProgramNamed) {
    struct Row {
        const char* name;
        std::u16string inFront;
        std::vector<std::u16string> before;
        std::vector<std::u16string> after;
        Calls calls;  // after the menu
        Calls brailled;
    } rows[] = {
        {"added",
         u"Game.exe",
         {u"devenv.exe"},
         {u"devenv.exe", u"Game.exe"},
         {"SaveSettings", "Cue LetKeysThroughOn"},
         {"Let keys through in Game.exe: on"}},
        {"removed in any case",
         u"GAME.exe",
         {u"game.EXE", u"devenv.exe"},
         {u"devenv.exe"},
         {"SaveSettings", "Cue LetKeysThroughOff"},
         {"Let keys through in GAME.exe: off"}},
        {"none known: a late command does nothing", u"", {u"devenv.exe"}, {u"devenv.exe"}, {}, {}},
    };
    for (const Row& r : rows) {
        LoopRig rig;
        rig.state.settings.exemptPrograms = r.before;
        PublishPrograms(rig.state);
        rig.seams.programItem.inFront = {r.inFront, u""};
        rig.seams.shell.callsOnMenu = {Menu(kMenuLetKeysThrough)};
        const Calls calls = rig.Run({kRight});
        const auto menu = std::find(calls.begin(), calls.end(), "ShowMenu");
        EXPECT_EQ(Calls(menu + 1, calls.end()), r.calls) << r.name;
        EXPECT_EQ(rig.seams.feedback.brailled, r.brailled) << r.name;
        EXPECT_EQ(rig.state.settings.exemptPrograms, r.after) << r.name;
        // What the hook matches against follows.
        EXPECT_EQ(rig.state.programs.Current()->Names(), r.after) << r.name;
    }
    // A full list takes no more, nor one whose file would grow past what is read at
    // start: nothing saved, and the cue says it is not listed.
    std::vector<std::u16string> longNames;
    for (int n = 0; n < 255; ++n)
        longNames.push_back(IntegerText(100 + n) + std::u16string(241, u'x'));
    longNames.push_back(u"Game.exe");
    for (size_t n = 0; ProgramsThatFit(longNames) == longNames.size(); ++n) longNames[n] += u'x';
    longNames.pop_back();
    ASSERT_EQ(ProgramsThatFit(longNames), 255u);
    std::vector<std::u16string> shortNames;
    for (int n = 0; n < 256; ++n) shortNames.push_back(IntegerText(n));
    for (const auto& names : {shortNames, longNames}) {
        LoopRig full;
        full.state.settings.exemptPrograms = names;
        full.seams.programItem.inFront = {u"Game.exe", u""};
        full.seams.shell.callsOnMenu = {Menu(kMenuLetKeysThrough)};
        const Calls calls = full.Run({kRight});
        EXPECT_EQ(calls.back(), "Cue LetKeysThroughOff");
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "SaveSettings"), 0);
        EXPECT_EQ(full.state.settings.exemptPrograms, names);
    }
}

// A change that cannot be saved stays for this run, and an error box says where the
// file is instead of the setting's cue.
TEST(EventLoop, FailedSaveIsToldInsteadOfTheCue) {
    const std::u16string error =
        u"Error|Could not save the settings to C:\\My Tools\\Quillet.json.|16";
    const struct {
        int32_t command;
        Calls calls;
        std::vector<std::u16string> messages;
        SettingsRecord after;
    } rows[] = {
        {kMenuExcludeEscape, {"SaveSettings", "ShowMessage"}, {error}, {1, 300, 0}},
        {kMenuTimeout,
         {"AskText Timeout", "ShowMessage", "SaveSettings", "ShowMessage"},
         {u"Changed|The new double press timeout is 250 MS|64", error},
         {0, 250, 0}},
        {kMenuRunAsAdmin,
         {"SaveSettings", "ShowMessage", "ShowMessage"},
         {error, u"Restart required.|Should Quillet restart right now?|4"},
         {0, 300, 1}},
        {kMenuLetKeysThrough, {"SaveSettings", "ShowMessage"}, {error}, {0, 300, 0, {u"Game.exe"}}},
        {kMenuSinglePressF12,
         {"SaveSettings", "ShowMessage"},
         {error},
         {0, 300, 0, {}, SinglePressKeyBit(12)}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.command);
        LoopRig rig;
        rig.seams.settingsStore.saveFails = true;
        rig.seams.dialogs.typedAnswer = u"250";
        rig.seams.dialogs.answer = AnswerNo;
        rig.seams.programItem.inFront = {u"Game.exe", u""};
        rig.seams.shell.callsOnMenu = {Menu(r.command)};
        const Calls calls = rig.Run({kRight});
        EXPECT_EQ(Calls(std::find(calls.begin(), calls.end(), "ShowMenu") + 1, calls.end()),
                  r.calls);
        EXPECT_EQ(rig.seams.dialogs.messages, r.messages);
        EXPECT_EQ(rig.state.settings, r.after);
        EXPECT_EQ(rig.state.programs.Current()->Names(), r.after.exemptPrograms);
        EXPECT_EQ(rig.seams.feedback.brailled, Calls{});
    }
}

TEST(EventLoop, StartWithWindowsWritesOrDeletesTheRunValue) {
    const std::u16string ours = u"\"C:\\My Tools\\Quillet.exe\" /silent";
    struct Row {
        std::optional<std::u16string> before;
        bool fails;
        const char* shown;
        std::optional<std::u16string> after;
        const char* cue;
    } rows[] = {
        {std::nullopt, false, "Checked 8 off", ours, "Cue StartWithWindowsOn"},
        {ours, false, "Checked 8 on", std::nullopt, "Cue StartWithWindowsOff"},
        {u"\"D:\\Old\\Quillet.exe\" /silent", false, "Checked 8 off", ours,
         "Cue StartWithWindowsOn"},
        {std::nullopt, true, "Checked 8 off", std::nullopt, "Cue StartWithWindowsOff"},
    };
    const auto braille = [](const char* cue) {
        return std::string("Start with Windows: ") +
               (std::string(cue).ends_with("On") ? "on" : "off");
    };
    for (const Row& r : rows) {
        LoopRig rig;
        rig.seams.runAtLogon.value = r.before;
        rig.seams.runAtLogon.fails = r.fails;
        rig.seams.shell.callsOnMenu = {Menu(kMenuStartWithWindows)};
        const Calls calls = rig.Run({kRight});
        EXPECT_EQ(LastMarks(calls).back(), r.shown);
        EXPECT_EQ(calls.back(), r.cue);
        EXPECT_EQ(rig.seams.feedback.brailled, Calls{braille(r.cue)});
        EXPECT_EQ(rig.seams.runAtLogon.value, r.after);
    }
}

TEST(EventLoop, ExcludeEscapeAndSinglePressKeysToggleSaveAndSound) {
    LoopRig rig;
    rig.state.settings.singlePressKeys = SinglePressKeyBit(1);
    const std::initializer_list<WindowCall> items = {Menu(kMenuExcludeEscape),
                                                     Menu(kMenuSinglePressF1 + 5)};
    EXPECT_EQ(rig.Run(items),
              (Calls{"SaveSettings", "Cue ExcludeEscapeOn", "SaveSettings", "Cue SinglePressOn"}));
    EXPECT_EQ(rig.state.settings.exclude_escape, 1);
    EXPECT_EQ(rig.state.filterSettings.excludeEscape, 1);  // the hook thread sees it
    EXPECT_EQ(rig.state.filterSettings.singlePressKeys,
              SinglePressKeyBit(1) | SinglePressKeyBit(6));
    rig.seams.calls.clear();
    EXPECT_EQ(rig.Run(items), (Calls{"SaveSettings", "Cue ExcludeEscapeOff", "SaveSettings",
                                     "Cue SinglePressOff"}));
    EXPECT_EQ(rig.state.settings.exclude_escape, 0);
    EXPECT_EQ(rig.state.settings.singlePressKeys, SinglePressKeyBit(1));
    EXPECT_EQ(rig.seams.feedback.brailled, (Calls{"Escape: single press", "F6: single press",
                                                  "Escape: double press", "F6: double press"}));
}

TEST(EventLoop, IgnoreModeItemsSetTheModeWithoutSaving) {
    LoopRig rig;
    EXPECT_EQ(rig.Run({Menu(kMenuIgnoreAlways), Menu(kMenuIgnoreNextKey), Menu(kMenuIgnoreOff)}),
              (Calls{"Cue IgnoreModeAlways", "Cue IgnoreModeNextKey", "Cue IgnoreModeOff"}));
    EXPECT_EQ(rig.seams.feedback.brailled,
              (Calls{"Ignoring double-press.", "Ignoring double-press for the next key only.",
                     "Double-press ignore off."}));
    EXPECT_EQ(static_cast<int32_t>(rig.state.filter.ignoreMode.load()), 0);
    rig.seams.calls.clear();
    rig.Run({Menu(kMenuIgnoreAlways)});
    EXPECT_EQ(static_cast<int32_t>(rig.state.filter.ignoreMode.load()), 2);
}

TEST(EventLoop, TimeoutDialogChangesConfirmsAndSaves) {
    LoopRig rig;
    rig.seams.dialogs.typedAnswer = u"49";
    EXPECT_EQ(rig.Run({Menu(kMenuTimeout)}),
              (Calls{"AskText Timeout", "ShowMessage", "SaveSettings"}));
    EXPECT_EQ(
        rig.seams.dialogs.lastPrompt,
        u"How long should Quillet wait for the second keypress (in milliseconds, minimum 50 MS)? "
        u"Currently: 300, default: 300 MS. Leave empty For no changes.");
    EXPECT_EQ(rig.seams.dialogs.messages,
              std::vector<std::u16string>{u"Changed|The new double press timeout is 50 MS|64"});
    EXPECT_EQ(rig.state.settings.doublePressTimeout, 50);
    EXPECT_EQ(rig.state.filterSettings.doublePressTimeout, 50);

    LoopRig refused;
    refused.seams.dialogs.typedAnswer = u"abc";
    EXPECT_EQ(refused.Run({Menu(kMenuTimeout)}), (Calls{"AskText Timeout"}));
    EXPECT_EQ(refused.state.settings.doublePressTimeout, 300);
}

TEST(EventLoop, DialogsAndQuestionsInTheUsersLanguage) {
    const std::u16string italian[] = {u"it-IT"};
    LoopRig rig;
    rig.state.language = Language(ChooseCatalog(italian, BuiltInCatalogs()));
    rig.seams.dialogs.typedAnswer = u"120";
    rig.seams.dialogs.answer = AnswerNo;
    EXPECT_EQ(rig.Run({Menu(kMenuTimeout), Menu(kMenuRunAsAdmin)}),
              (Calls{"AskText Tempo di attesa", "ShowMessage", "SaveSettings", "SaveSettings",
                     "Cue RunAsAdminOn", "ShowMessage"}));
    EXPECT_EQ(rig.seams.dialogs.lastPrompt,
              u"Quanto deve attendere Quillet la seconda pressione (in millisecondi, minimo 50 "
              u"ms)? Attuale: 300, predefinito: 300 ms. Lasciare vuoto per non modificare.");
    EXPECT_EQ(rig.seams.dialogs.messages,
              (std::vector<std::u16string>{
                  u"Modificato|Il nuovo tempo di attesa della doppia pressione è 120 ms|64",
                  u"Riavvio necessario.|Riavviare Quillet adesso?|4"}));
}

// The list in the user's words, newest last, across midnight and the tick count's wrap;
// the report for a helper puts the facts above it.
TEST(EventLoop, RecentKeysListsTheDecisionsAndReportsThemUnderTheFacts) {
    LoopRig rig;
    FilterState& filter = rig.state.filter;
    const uint32_t notepad = filter.programNames.Keep(u"notepad.exe");
    rig.seams.process.clock = {500, 1000};  // 00:00:01
    filter.decisions.Write({0xFFFFFFFF - 1000, 116, 0, Decision::FirstPress, 0, notepad});
    filter.decisions.Write({0, 116, 0, Decision::SecondPress, 0, notepad});
    filter.decisions.Write({100, 27, kLeftCtrl | kRightAlt, Decision::HotKey, 2, notepad});
    filter.decisions.Write({500, 115, kLeftAlt, Decision::Copy, 1, notepad});
    SettingsRecord& settings = rig.state.settings;
    settings.doublePressTimeout = 250;
    settings.exclude_escape = 1;
    settings.singlePressKeys = SinglePressKeyBit(6) | SinglePressKeyBit(10);
    settings.exemptPrograms = {u"a.exe", u"b.exe"};
    rig.seams.process.elevation = Elevation::NotElevated;
    EXPECT_EQ(rig.Run({Menu(kMenuRecentKeys)}),
              (Calls{"QueryElevation", "ShowRecentKeys Recent keys"}));
    const RecentKeysTexts& window = rig.seams.dialogs.recentKeys;
    const std::u16string list =
        u"23:59:59 F5 in notepad.exe: swallowed, spoken (first press)\r\n"
        u"00:00:00 F5 in notepad.exe: passed (second press within 250 milliseconds)\r\n"
        u"00:00:00 Ctrl+Alt+Escape: hot key, Ignoring double-press.\r\n"
        u"00:00:01 Alt+F4: swallowed (a copy the screen reader sent)";
    EXPECT_EQ(window.list, list);
    EXPECT_EQ(window.report, std::u16string(u"Quillet ") + kQuilletVersion +
                                 u"\r\nWindows: 10.0 build 19045, 64-bit\r\nSpeech: NVDA\r\n"
                                 u"Language: en\r\nTimeout: 250 ms\r\nIgnore mode: off\r\n"
                                 u"Escape: single press\r\nSingle-press keys: F6, F10\r\n"
                                 u"Programs that get their keys: 2\r\nRun as admin: off\r\n"
                                 u"Running elevated: no\r\n\r\n" +
                                 list + u"\r\n");
    EXPECT_EQ(window.copyLabel + window.closeLabel, u"&CopyClose");
}

TEST(TimeoutAnswer, AcceptsOnlyDigitsPointsAndMinusSigns) {
    struct Case {
        const char16_t* answer;
        std::optional<int32_t> timeout;
    } cases[] = {
        {u"250", 250},
        {u"300", 300},
        {u"30", 50},
        {u"49", 50},
        {u"0", 50},
        {u"-", 50},
        {u".", 50},
        {u"--7", 50},
        {u"-0", 50},
        {u"100.9", 100},
        {u"007", 50},
        {u"0050", 50},
        {u"99999", 99999},
        {u"2147483647", 2147483647},
        {u"", std::nullopt},
        {u"-20", std::nullopt},
        {u"-1", std::nullopt},
        {u"1e3", std::nullopt},
        {u" 250", std::nullopt},
        {u"250 ms", std::nullopt},
        {u"abc", std::nullopt},
        {u"2147483648", std::nullopt},
        {u"99999999999", std::nullopt},
        {u"-2147483649", std::nullopt},
        {u"12345678901234567890", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseTimeoutAnswer(c.answer), c.timeout);
    }
}

TEST(EventLoop, RunAsAdminAnsweredNoKeepsRunningWithTheSettingSaved) {
    struct Case {
        uint8_t before;
        uint8_t after;
        const char* cue;
    } cases[] = {{0, 1, "Cue RunAsAdminOn"},
                 {1, 0, "Cue RunAsAdminOff"},
                 {7, 6, "Cue RunAsAdminOn"},
                 {2, 3, "Cue RunAsAdminOn"}};
    for (const auto& c : cases) {
        LoopRig rig;
        rig.state.settings.runAsAdmin = c.before;
        rig.seams.dialogs.answer = 7;  // No
        EXPECT_EQ(rig.Run({Menu(kMenuRunAsAdmin)}), (Calls{"SaveSettings", c.cue, "ShowMessage"}));
        EXPECT_EQ(rig.seams.feedback.brailled,
                  Calls{c.after ? "Run as admin: on" : "Run as admin: off"});
        EXPECT_EQ(rig.state.settings.runAsAdmin, c.after);
        EXPECT_EQ(
            rig.seams.dialogs.messages,
            std::vector<std::u16string>{u"Restart required.|Should Quillet restart right now?|4"});
        EXPECT_EQ(rig.end, LoopEnd::Exit);  // ended by the close event that followed
    }
}

TEST(EventLoop, RestartLaunchesByTheNewSetting) {
    struct Case {
        uint8_t before;
        std::string launch;
    } cases[] = {
        {0, "Launch C:\\My Tools\\Quillet.exe||C:\\My Tools\\|runas"},
        {1, "Launch explorer.exe|\"C:\\My Tools\\Quillet.exe\"|C:\\My Tools\\|"},
    };
    for (const auto& c : cases) {
        LoopRig rig;
        rig.state.settings.runAsAdmin = c.before;
        rig.seams.dialogs.answer = AnswerYes;
        const Calls calls = rig.Run({Menu(kMenuRunAsAdmin), Menu(kMenuExit)});
        EXPECT_EQ(rig.end, LoopEnd::Restarted);
        const Calls tail(calls.end() - 4, calls.end());
        EXPECT_EQ(tail,
                  (Calls{"CloseInstanceMutex", "RemoveTrayIcon", "LastCue Restart", c.launch}));
    }
}

TEST(EventLoop, FailedRestartGuardsAgainOrEndsWhenItCannot) {
    struct Case {
        bool mutexFree;  // false: another start took the mutex during the launch
        Calls afterLaunch;
        LoopEnd end;
    } cases[] = {
        {true, {"CreateInstanceMutex", "AddTrayIcon", "Checked 0 off"}, LoopEnd::Exit},
        {false, {"CreateInstanceMutex"}, LoopEnd::Restarted},
    };
    for (const auto& c : cases) {
        LoopRig rig;
        rig.seams.dialogs.answer = AnswerYes;
        rig.seams.process.launchSucceeds = false;
        rig.seams.process.mutexFree = c.mutexFree;
        const Calls calls = rig.Run({Menu(kMenuRunAsAdmin), kRight});
        EXPECT_EQ(rig.end, c.end);
        const auto launch = std::find_if(calls.begin(), calls.end(), [](const std::string& call) {
            return call.starts_with("Launch ");
        });
        ASSERT_NE(launch, calls.end());
        const auto end =
            std::min(calls.end(), launch + 1 + static_cast<ptrdiff_t>(c.afterLaunch.size()));
        EXPECT_EQ(Calls(launch + 1, end), c.afterLaunch);
    }
}

TEST(EventLoop, ExitEndsTheLoopAtOnce) {
    LoopRig rig;
    EXPECT_EQ(rig.Run({Menu(kMenuExit), kRight}), Calls{});
    EXPECT_EQ(rig.end, LoopEnd::Exit);
    EXPECT_EQ(rig.seams.shell.windowCalls.size(), 1u);
}

}  // namespace
}  // namespace quillet
