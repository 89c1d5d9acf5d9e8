#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>

#include "filter_fakes.h"

namespace quillet {
namespace {

using testing::FilterRig;
constexpr uint32_t kF4 = 115, kF5 = 116, kF6 = 117, kF7 = 118, kF13 = 124, kTab = 9, kLetterA = 65;
constexpr uint32_t kSingleF6 = GuardedKeyBit(6);

// Where a step's event comes from.
enum Source {
    kTyped,        // typed, and the hooks below ours let it pass
    kTrapped,      // typed, and a hook below ours (a screen reader's) swallowed it
    kSent,         // injected by a program, such as a screen reader passing a key on
    kSentTrapped,  // injected, and a hook below ours swallowed it
    kUnseen,       // typed into a window whose input never reaches our hook (an
                   // elevated one): only the system's key state shows it
};

struct Step {
    int64_t at;
    uint32_t message;
    uint32_t vk;
    bool swallowed;
    const char16_t* spoken;  // nullptr: nothing spoken by this step
    Source source = kTyped;
    bool listed = false;  // a program that gets its keys is in front
    uint64_t window = 1;  // which window is in front
    uint32_t single = 0;  // the keys chosen to pass on a single press
    // What the step adds to the decisions' list: None for nothing; unset, not checked.
    std::optional<Decision> logged = std::nullopt;
};

using enum Decision;

void RunScript(FilterRig& rig, const std::vector<Step>& steps) {
    for (size_t n = 0; n < steps.size(); ++n) {
        const Step& s = steps[n];
        const size_t spokenBefore = rig.feedback.spoken.size();
        const size_t loggedBefore = rig.state.decisions.Read().size();
        const KeyOrigin origin{s.source == kSent || s.source == kSentTrapped,
                               s.source == kTrapped || s.source == kSentTrapped};
        rig.keyboard.listedOrOwnWindowInFront = s.listed;
        rig.keyboard.foreground = s.window;
        rig.settings.singlePressKeys = s.single;
        if (s.source == kUnseen) {
            if (s.message == kWmKeyUp) rig.keyboard.down.erase(s.vk);
            continue;
        }
        EXPECT_EQ(rig.Send(s.message, s.vk, s.at, origin), s.swallowed)
            << "step " << n << " at " << s.at;
        if (s.logged) {
            const std::vector<LoggedDecision> log = rig.state.decisions.Read();
            ASSERT_EQ(log.size(), loggedBefore + (*s.logged != None)) << "step " << n;
            if (*s.logged != None) {
                EXPECT_EQ(log.back().why, *s.logged) << "step " << n;
            }
        }
        if (s.spoken) {
            ASSERT_EQ(rig.feedback.spoken.size(), spokenBefore + 1) << "step " << n;
            EXPECT_EQ(rig.feedback.spoken.back(), s.spoken) << "step " << n;
        } else {
            EXPECT_EQ(rig.feedback.spoken.size(), spokenBefore) << "step " << n;
        }
    }
}

TEST(DoublePressFilter, FollowsTheRuleForOneKey) {
    FilterRig rig;
    RunScript(rig, {
                       {0, kWmKeyDown, kF5, true, u"F5", kTyped, false, 1, 0, FirstPress},
                       {90, kWmKeyUp, kF5, false, nullptr, kTyped, false, 1, 0, None},
                       {250, kWmKeyDown, kF5, false, nullptr, kTyped, false, 1, 0, SecondPress},
                       // auto-repeats: listed once
                       {800, kWmKeyDown, kF5, false, nullptr, kTyped, false, 1, 0, RepeatPassed},
                       {830, kWmKeyDown, kF5, false, nullptr, kTyped, false, 1, 0, None},
                       {900, kWmKeyUp, kF5, false, nullptr},
                       {1000, kWmKeyDown, kF5, true, u"F5"},
                   });
    const KeyState& s = rig.state.keyStates[kF5];
    EXPECT_FALSE(s.armed);
    EXPECT_EQ(s.held, HeldPress::Swallowed);
    EXPECT_EQ(s.lastRelease, 900);
}

TEST(DoublePressFilter, TimeoutIsInclusive) {
    struct Case {
        int32_t timeout;
        int64_t gap;
        bool swallowed;
    } cases[] = {
        {300, 0, false}, {300, 299, false}, {300, 300, false},   {300, 301, true},
        {300, -1, true},  // dated before the release: the clock is never trusted backwards
        {50, 50, false}, {50, 51, true},    {2000, 1999, false}, {2000, 2001, true},
    };
    for (const auto& c : cases) {
        FilterRig rig;
        rig.timeout = c.timeout;
        rig.Press(kF5, 1000);
        rig.Release(kF5, 1100);
        EXPECT_EQ(rig.Press(kF5, 1100 + c.gap), c.swallowed)
            << "timeout " << c.timeout << " gap " << c.gap;
    }
}

TEST(DoublePressFilter, LatePressStartsOverAndSwallowedRepeatsSpeakAgain) {
    FilterRig rig;
    RunScript(rig, {
                       {0, kWmKeyDown, kF5, true, u"F5"},
                       // auto-repeat of a swallowed press
                       {30, kWmKeyDown, kF5, true, u"F5", kTyped, false, 1, 0, RepeatSpoken},
                       {100, kWmKeyUp, kF5, false, nullptr},
                       {500, kWmKeyDown, kF5, true, u"F5"},  // 400 ms after the release
                       {600, kWmKeyUp, kF5, false, nullptr},
                       {700, kWmKeyDown, kF5, false, nullptr},
                   });
}

// A screen reader's hook below ours traps a typed press and may send it again
// (down, up, and an up first while the key is held); the copy gets the typed
// press's decision, silently. A release whose press we never saw changes nothing.
TEST(DoublePressFilter, CopiesOfTrappedPressesAndUnseenReleases) {
    constexpr uint32_t D = kWmKeyDown, U = kWmKeyUp, kEsc = 27, kF12 = 123, kIns = kVkInsert;
    const struct {
        const char* name;
        std::vector<Step> steps;
        int32_t timeout = 300;
        IgnoreMode mode = IgnoreMode::Off;
    } scripts[] = {
        {"single press, copy sent at once while held",
         {{0, D, kEsc, true, u"Escape", kTrapped},
          {1, D, kEsc, true, nullptr, kSent, false, 1, 0, Copy},
          {2, U, kEsc, true, nullptr, kSent},
          {80, U, kEsc, false, nullptr, kTrapped}}},
        {"double press, copies sent at once",
         {{0, D, kEsc, true, u"Escape", kTrapped},
          {1, D, kEsc, true, nullptr, kSent},
          {2, U, kEsc, true, nullptr, kSent},
          {80, U, kEsc, false, nullptr, kTrapped},
          {150, D, kEsc, false, nullptr, kTrapped},
          {151, D, kEsc, false, nullptr, kSent},
          {152, U, kEsc, false, nullptr, kSent},
          {230, U, kEsc, false, nullptr, kTrapped},
          {400, D, kEsc, true, u"Escape", kTrapped}}},
        {"copies sent 150 ms late, after the second press: one of the two passes",
         {{0, D, kEsc, true, u"Escape", kTrapped},
          {40, U, kEsc, false, nullptr, kTrapped},
          {110, D, kEsc, false, nullptr, kTrapped},
          {150, U, kEsc, false, nullptr, kTrapped},
          {150, D, kEsc, false, nullptr, kSent},
          {151, U, kEsc, false, nullptr, kSent},
          {260, D, kEsc, true, nullptr, kSent},
          {261, U, kEsc, true, nullptr, kSent}}},
        {"the first press kept for good, the second sent again, then a single one",
         {{0, D, kEsc, true, u"Escape", kTrapped},
          {60, U, kEsc, false, nullptr, kTrapped},
          {150, D, kEsc, false, nullptr, kTrapped},
          {210, U, kEsc, false, nullptr, kTrapped},
          {230, D, kEsc, false, nullptr, kSent},
          {231, U, kEsc, false, nullptr, kSent},
          {800, D, kEsc, true, u"Escape", kTrapped},
          {860, U, kEsc, false, nullptr, kTrapped},
          {900, D, kEsc, true, nullptr, kSent},
          {901, U, kEsc, true, nullptr, kSent}}},
        {"an up sent first while the key is held",
         {{0, D, kF5, true, u"F5", kTrapped},
          {15, U, kF5, true, nullptr, kSent},
          {15, D, kF5, true, nullptr, kSent},
          {16, U, kF5, true, nullptr, kSent},
          {80, U, kF5, false, nullptr, kTrapped},
          {100, D, kF5, false, nullptr}}},
        {"copies matched per key, in order",
         {{0, D, kF5, true, u"F5", kTrapped},
          {10, U, kF5, false, nullptr, kTrapped},
          {20, D, kF7, true, u"F7", kTrapped},
          {25, U, kF7, false, nullptr, kTrapped},
          {30, D, kF7, true, nullptr, kSent},
          {31, U, kF7, true, nullptr, kSent},
          {40, D, kF5, true, nullptr, kSent},
          {41, U, kF5, true, nullptr, kSent},
          {100, D, kF5, false, nullptr}}},
        {"a copy lost its up: the next down is the older press's copy",
         {{0, D, kF5, true, u"F5", kTrapped},
          {10, U, kF5, false, nullptr, kTrapped},
          {100, D, kF5, false, nullptr, kTrapped},
          {110, D, kF5, false, nullptr, kSent},
          {120, D, kF5, true, nullptr, kSent},
          {121, U, kF5, true, nullptr, kSent}}},
        {"a second press a reader trapped: its repeats follow it, silently",
         {{0, D, kF5, true, u"F5", kTrapped},
          {50, U, kF5, false, nullptr, kTrapped},
          {100, D, kF5, false, nullptr, kTrapped},
          {600, D, kF5, false, nullptr, kTrapped},
          {630, D, kF5, true, nullptr, kTrapped, false, 2}}},
        {"a copy arriving exactly at the lapse, timeout + 1 s, is its press's copy",
         {{0, D, kEsc, true, u"Escape", kTrapped},
          {50, U, kEsc, false, nullptr, kTrapped},
          {1300, D, kEsc, true, nullptr, kSent},
          {1301, U, kEsc, true, nullptr, kSent}}},
        {"a copy after the lapse is decided afresh",
         {{0, D, kEsc, true, u"Escape", kTrapped},
          {50, U, kEsc, false, nullptr, kTrapped},
          {1301, D, kEsc, true, u"Escape", kSent}}},
        {"a copy 1.2 s late with a 2000 ms timeout",
         {{0, D, kEsc, true, u"Escape", kTrapped},
          {50, U, kEsc, false, nullptr, kTrapped},
          {1250, D, kEsc, true, nullptr, kSent},
          {1251, U, kEsc, true, nullptr, kSent}},
         2000},
        {"a copy waits 3 s at most, however long the timeout",
         {{0, D, kEsc, true, u"Escape", kTrapped},
          {50, U, kEsc, false, nullptr, kTrapped},
          {3001, D, kEsc, false, nullptr, kSent}},
         5000},
        {"an injected press a hook below swallowed expects no copy",
         {{0, D, kF5, true, u"F5", kSentTrapped}, {10, U, kF5, false, nullptr, kSent}}},
        {"injected presses that repeat nothing are decided as typed ones",
         {{0, D, kF5, true, u"F5", kSent},
          {50, U, kF5, false, nullptr, kSent},
          {100, D, kF5, false, nullptr, kSent}}},
        {"a typed press that passed the chain expects no copy",
         {{0, D, kF5, true, u"F5"},
          {50, U, kF5, false, nullptr},
          {60, D, kF5, false, nullptr, kSent}}},
        {"release without a press seen", {{0, U, kF5, false, nullptr}, {20, D, kF5, true, u"F5"}}},
        {"injected release whose press was trapped above us",
         {{0, U, kF5, false, nullptr, kSent}, {20, D, kF5, true, u"F5", kSent}}},
        {"a trapped modifier holds although the key's state never shows it",
         {{0, D, kIns, false, nullptr, kTrapped},
          {10, D, kF12, false, nullptr, kTrapped},
          {20, U, kF12, false, nullptr, kTrapped},
          {30, D, kF5, false, nullptr},
          {40, U, kIns, false, nullptr, kTrapped},
          {50, D, kF12, true, u"F12"}}},
        {"a key pressed under the modifier and released after it arms nothing",
         {{0, D, kIns, false, nullptr, kTyped, false, 1, 0, None},
          {10, D, kF5, false, nullptr, kTyped, false, 1, 0, ReaderKeyHeld},
          {20, U, kIns, false, nullptr},
          {30, U, kF5, false, nullptr},
          {130, D, kF5, true, u"F5"}}},
        {"a trapped modifier whose release went elsewhere ends when the window changes",
         {{0, D, kIns, false, nullptr, kTrapped},
          {10, D, kF5, false, nullptr, kTrapped},
          {20, U, kF5, false, nullptr, kTrapped},
          {5000, D, kF12, true, u"F12", kTyped, false, 2}}},
        // The window in front changes while a key is held: its release ends its press.
        {"a second press released in a listed program lets nothing through later",
         {{0, D, kF5, true, u"F5"},
          {50, U, kF5, false, nullptr},
          {100, D, kF5, false, nullptr},
          {200, U, kF5, false, nullptr, kTyped, true},
          {60000, D, kF5, true, u"F5"}}},
        {"pressed in a listed program, released in another: arms nothing",
         {{0, D, kEsc, false, nullptr, kTyped, true, 1, 0, ProgramGetsItsKeys},
          {50, U, kEsc, false, nullptr},
          {150, D, kEsc, true, u"Escape"}}},
        {"a first press released after its program was listed arms the key",
         {{0, D, kF5, true, u"F5"},
          {50, U, kF5, false, nullptr, kTyped, true},
          {100, D, kF5, false, nullptr}}},
        // The key is chosen, or no longer, for a single press while it is held.
        {"unchosen while held: decided from its next press",
         {{0, D, kF6, false, nullptr, kTyped, false, 1, kSingleF6, SinglePress},
          {30, D, kF6, true, u"F6"},
          {60, U, kF6, false, nullptr},
          {100, D, kF6, false, nullptr}}},
        // A press, its repeats and its release belong together.
        {"a lost release of a second press lets no later press through",
         {{0, D, kF4, true, u"F4"},
          {50, U, kF4, false, nullptr},
          {100, D, kF4, false, nullptr},
          {150, U, kF4, false, nullptr, kUnseen},
          {60000, D, kF4, true, u"F4"}}},
        {"a lost release in a listed program: the next double press needs two presses",
         {{0, D, kF5, false, nullptr, kTyped, true},
          {50, U, kF5, false, nullptr, kUnseen},
          {100, D, kF5, true, u"F5"},
          {150, U, kF5, false, nullptr},
          {200, D, kF5, false, nullptr}}},
        {"a release eaten above us: a key typed since ends the press",
         {{0, D, kF4, true, u"F4"},
          {50, U, kF4, false, nullptr},
          {100, D, kF4, false, nullptr},
          {5000, D, kLetterA, false, nullptr},
          {6000, D, kF4, true, u"F4"}}},
        {"a release eaten above us: so does a silence longer than any repeat's",
         {{0, D, kF4, true, u"F4"},
          {50, U, kF4, false, nullptr},
          {100, D, kF4, false, nullptr},
          {1100, D, kF4, false, nullptr},
          {3700, D, kF4, true, u"F4"}}},
        {"a program's key amid a second press held: its repeats still pass",
         {{0, D, kF4, true, u"F4"},
          {50, U, kF4, false, nullptr},
          {100, D, kF4, false, nullptr},
          {300, D, kLetterA, false, nullptr, kSent},
          {600, D, kF4, false, nullptr}}},
        {"Escape held after Ctrl and Alt are let go: its repeats are the hot key's",
         {{0, D, kVkControl, false, nullptr},
          {10, D, kVkMenu, false, nullptr},
          {20, D, kEsc, true, u"Ignoring double-press for the next key only.", kTyped, false, 1, 0,
           HotKey},
          {30, U, kVkControl, false, nullptr},
          {40, U, kVkMenu, false, nullptr},
          {520, D, kEsc, true, nullptr, kTyped, false, 1, 0, HotKeyRepeat},
          {550, D, kEsc, true, nullptr},
          {600, U, kEsc, true, nullptr},
          // the mode is still there for it
          {700, D, kF5, false, nullptr, kTyped, false, 1, 0, Ignoring}}},
        {"next key only: a press in a listed program repeats into another window",
         {{0, D, kF4, false, nullptr, kTyped, true},
          {500, D, kF4, false, nullptr, kTyped, true},
          {530, D, kF4, true, nullptr, kTyped, false, 2},
          {600, U, kF4, false, nullptr, kTyped, false, 2},
          {700, D, kF4, false, nullptr, kTyped, false, 2}},
         300,
         IgnoreMode::NextKey},
        {"a second press held: its repeats stop at a change of window",
         {{0, D, kF4, true, u"F4"},
          {50, U, kF4, false, nullptr},
          {100, D, kF4, false, nullptr},
          {600, D, kF4, false, nullptr, kTyped, false, 1, 0, RepeatPassed},
          {630, D, kF4, true, nullptr, kTyped, false, 2, 0, RepeatSwallowed},
          {660, D, kF4, true, nullptr, kTyped, false, 2, 0, None},
          {700, U, kF4, false, nullptr, kTyped, false, 2},
          {800, D, kF4, true, u"F4", kTyped, false, 2}}},
        {"a second Escape released under Ctrl and Alt is no hot key's",
         {{0, D, kEsc, true, u"Escape"},
          {50, U, kEsc, false, nullptr},
          {100, D, kEsc, false, nullptr},
          {150, D, kVkControl, false, nullptr},
          {160, D, kVkMenu, false, nullptr},
          {200, U, kEsc, false, nullptr}}},
        {"a program's key amid a first press held leaves it a first press",
         {{0, D, kF5, true, u"F5"},
          {30, D, kF5, true, u"F5", kSent},
          {40, U, kF5, false, nullptr, kSent},
          {530, D, kF5, true, u"F5"},
          {560, U, kF5, false, nullptr},
          {600, D, kF5, false, nullptr}}},
        {"a press passed under a reader's modifier arms nothing, whatever its repeats do",
         {{0, D, kIns, false, nullptr},
          {10, D, kF5, false, nullptr},
          {20, U, kIns, false, nullptr},
          {540, D, kF5, false, nullptr},
          {560, U, kF5, false, nullptr},
          {600, D, kF5, true, u"F5"}}},
        {"a second press in a listed program repeats after it is unlisted",
         {{0, D, kF5, true, u"F5"},
          {50, U, kF5, false, nullptr},
          {100, D, kF5, false, nullptr, kTyped, true},
          {150, D, kF5, false, nullptr},
          {200, U, kF5, false, nullptr},
          {60000, D, kF5, true, u"F5"}}},
        {"a trapped modifier's repeat renews it where it is held now",
         {{0, D, kIns, false, nullptr, kTrapped},
          {500, D, kIns, false, nullptr, kTrapped, false, 2},
          {510, D, kF12, false, nullptr, kTrapped, false, 2}}},
        {"a second press chosen while held: its release ends the let-through",
         {{0, D, kF6, true, u"F6"},
          {50, U, kF6, false, nullptr},
          {100, D, kF6, false, nullptr},
          {130, D, kF6, false, nullptr, kTyped, false, 1, kSingleF6},
          {200, U, kF6, false, nullptr, kTyped, false, 1, kSingleF6},
          {60000, D, kF6, true, u"F6"}}},
    };
    for (const auto& script : scripts) {
        SCOPED_TRACE(script.name);
        FilterRig rig;
        rig.timeout = script.timeout;
        rig.state.ignoreMode = script.mode;
        RunScript(rig, script.steps);
    }
}

// Nine presses trapped within a second, the first passed as a second press: the
// ring keeps the newest eight, so no copy passes and the ninth is decided afresh.
TEST(DoublePressFilter, ACopyRingThatIsFullForgetsTheOldestPress) {
    FilterRig rig;
    rig.timeout = 50;
    rig.Press(kF5, 0);
    rig.Release(kF5, 10);
    const KeyOrigin trapped{false, true}, sent{true, false};
    for (int n = 0; n < 9; ++n) {
        EXPECT_EQ(rig.Send(kWmKeyDown, kF5, 40 + n * 100, trapped), n != 0) << n;
        rig.Send(kWmKeyUp, kF5, 50 + n * 100, trapped);
    }
    const size_t spoken = rig.feedback.spoken.size();
    for (int n = 0; n < 9; ++n) {
        EXPECT_TRUE(rig.Send(kWmKeyDown, kF5, 950 + n, sent)) << n;
        EXPECT_EQ(rig.feedback.spoken.size(), spoken + (n == 8)) << n;
        rig.Send(kWmKeyUp, kF5, 950 + n, sent);
    }
}

TEST(DoublePressFilter, ACopyChangesNoModeAndIsDecidedAsItsPressInEveryMode) {
    FilterRig rig;
    rig.state.ignoreMode = IgnoreMode::NextKey;
    EXPECT_FALSE(rig.Send(kWmKeyDown, kF5, 0, {false, true}));  // consumes mode 1
    rig.state.ignoreMode = IgnoreMode::NextKey;
    EXPECT_FALSE(rig.Send(kWmKeyDown, kF5, 10, {true, false}));
    EXPECT_FALSE(rig.Send(kWmKeyUp, kF5, 11, {true, false}));
    EXPECT_EQ(static_cast<int32_t>(rig.state.ignoreMode.load()), 1);
    EXPECT_EQ(rig.feedback.cues, std::vector<Cue>{Cue::NextKeyUsed});

    rig.keyboard.ctrl = rig.keyboard.alt = true;  // the hot key's copy cycles nothing
    EXPECT_TRUE(rig.Send(kWmKeyDown, 27, 20, {false, true}));
    EXPECT_EQ(rig.keyboard.noOpKeys, 0);  // the chain below kept it
    EXPECT_TRUE(rig.Send(kWmKeyDown, 27, 30, {true, false}));
    EXPECT_EQ(static_cast<int32_t>(rig.state.ignoreMode.load()), 2);
    EXPECT_EQ(rig.keyboard.noOpKeys, 1);  // it is our swallow that hides the copy
}

TEST(DoublePressFilter, SessionChangeForgetsHeldKeysAndModifiers) {
    FilterRig rig;
    rig.Press(kF7, 0);
    rig.Release(kF7, 10);
    EXPECT_FALSE(rig.Press(kF7, 20));  // a second press, held
    rig.Send(kWmKeyDown, kVkInsert, 30, {false, true});
    rig.filter.ForgetHeldKeys();  // both releases went to the secure desktop
    EXPECT_TRUE(rig.Press(kF5, 40));
    EXPECT_FALSE(rig.Release(kF7, 50));
    EXPECT_TRUE(rig.Press(kF7, 1000));  // neither let through as held nor armed

    rig.keyboard.listedOrOwnWindowInFront = true;  // a press outside the rule is forgotten too
    EXPECT_FALSE(rig.Press(kF6, 2000));
    rig.filter.ForgetHeldKeys();
    rig.keyboard.listedOrOwnWindowInFront = false;
    EXPECT_TRUE(rig.Press(kF6, 3000));
    rig.Release(kF6, 3050);
    EXPECT_FALSE(rig.Press(kF6, 3100));
}

TEST(DoublePressFilter, EachKeyHasItsOwnState) {
    FilterRig rig;
    RunScript(rig, {
                       {0, kWmKeyDown, kF5, true, u"F5"},
                       {10, kWmKeyUp, kF5, false, nullptr},
                       {20, kWmKeyDown, kF7, true, u"F7"},
                       {30, kWmKeyUp, kF7, false, nullptr},
                       {40, kWmKeyDown, kF5, false, nullptr},  // F5 is still armed
                       {50, kWmKeyDown, 27, true, u"Escape"},
                   });
}

// An entry names the key with the modifiers held, its time and the program found in front.
TEST(DoublePressFilter, ListsAPressWithItsModifiersTimeAndProgram) {
    FilterRig rig;
    const uint32_t notepad = rig.state.programNames.Keep(u"notepad.exe");
    rig.Send(kWmSysKeyDown, 0xA4, 0);  // left Alt, then right Ctrl
    rig.Send(kWmKeyDown, 0xA3, 0);
    rig.Send(kWmKeyUp, 0xA3, 0, {false, false, false, 20});
    rig.Send(kWmSysKeyDown, kF4, 0, {false, false, false, 1234});
    const std::vector<LoggedDecision> log = rig.state.decisions.Read();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].time, 1234u);
    EXPECT_EQ(log[0].vk, kF4);
    EXPECT_EQ(log[0].modifiers, kLeftAlt);
    EXPECT_EQ(log[0].program, notepad);
    rig.filter.ForgetHeldKeys();  // releases may have been lost
    EXPECT_EQ(rig.state.modifiersDown, 0);
}

TEST(DoublePressFilter, SystemKeyMessagesAreFilteredLikeOthers) {
    FilterRig rig;  // Alt+F4 arrives as WM_SYSKEYDOWN
    RunScript(rig, {
                       {0, kWmSysKeyDown, kF4, true, u"F4"},
                       {50, kWmSysKeyUp, kF4, false, nullptr},
                       {100, kWmSysKeyDown, kF4, false, nullptr},
                   });
}

TEST(DoublePressFilter, UnguardedKeysAndOtherEventsPassUntouched) {
    FilterRig rig;
    for (uint32_t vk : {kLetterA, kF13, kTab, 0u, 255u, 100000u}) {
        EXPECT_FALSE(rig.Press(vk, 0)) << vk;
        EXPECT_FALSE(rig.Release(vk, 0)) << vk;
    }
    EXPECT_FALSE(rig.Send(258, kF5, 0));  // neither press nor release
    EXPECT_TRUE(rig.KeyStatesUntouched());
    EXPECT_FALSE(rig.filter.ShouldSwallow(1, kWmKeyDown, kF5));  // not HC_ACTION
    EXPECT_FALSE(rig.filter.ShouldSwallow(-1, kWmKeyDown, kF5));
    EXPECT_TRUE(rig.KeyStatesUntouched());
    EXPECT_TRUE(rig.feedback.spoken.empty());
}

TEST(DoublePressFilter, HotKeyCyclesModesAndSwallowsEveryEscapeEvent) {
    FilterRig rig;
    rig.keyboard.ctrl = rig.keyboard.alt = true;
    const std::u16string expected[] = {u"Ignoring double-press for the next key only.",
                                       u"Ignoring double-press.", u"Double-press ignore off."};
    for (int n = 0; n < 3; ++n) {
        EXPECT_TRUE(rig.Press(27, n * 100));
        EXPECT_TRUE(rig.Release(27, n * 100 + 50));
        EXPECT_EQ(static_cast<int32_t>(rig.state.ignoreMode.load()), (n + 1) % 3);
        EXPECT_EQ(rig.feedback.spoken.back(), expected[n]);
    }
    EXPECT_EQ(rig.feedback.cues, (std::vector<Cue>{Cue::IgnoreModeNextKey, Cue::IgnoreModeAlways,
                                                   Cue::IgnoreModeOff}));
    EXPECT_EQ(rig.keyboard.noOpKeys, 3);            // Alt is held
    EXPECT_TRUE(rig.Send(kWmSysKeyDown, 27, 400));  // swallowed, but only WM_KEYDOWN cycles
    EXPECT_EQ(static_cast<int32_t>(rig.state.ignoreMode.load()), 0);
    EXPECT_TRUE(rig.Release(27, 450));
    // Held down, its repeats are its own, silent, whatever Ctrl and Alt do meanwhile.
    EXPECT_TRUE(rig.Press(27, 500));
    EXPECT_TRUE(rig.Press(27, 1000));
    rig.keyboard.ctrl = rig.keyboard.alt = false;
    EXPECT_TRUE(rig.Press(27, 1030));
    EXPECT_TRUE(rig.Release(27, 1060));
    EXPECT_EQ(static_cast<int32_t>(rig.state.ignoreMode.load()), 1);
    EXPECT_EQ(rig.feedback.spoken.size(), 4u);
    EXPECT_EQ(rig.keyboard.noOpKeys, 5);
    EXPECT_TRUE(rig.KeyStatesUntouched());
}

TEST(DoublePressFilter, HotKeyWorksWhenEscapeIsExcludedOrAModifierIsHeld) {
    FilterRig rig;
    rig.excludeEscape = 1;
    rig.Press(45, 0);  // Insert held
    rig.keyboard.ctrl = rig.keyboard.alt = true;
    EXPECT_TRUE(rig.Press(27, 10));
    EXPECT_EQ(static_cast<int32_t>(rig.state.ignoreMode.load()), 1);
}

TEST(DoublePressFilter, CtrlOrAltAloneIsAnOrdinaryEscape) {
    for (int which = 0; which < 2; ++which) {
        FilterRig rig;
        rig.keyboard.ctrl = which == 0;
        rig.keyboard.alt = which == 1;
        EXPECT_TRUE(rig.Press(27, 0));
        EXPECT_EQ(rig.feedback.spoken, std::vector<std::u16string>{u"Escape"});
        EXPECT_EQ(static_cast<int32_t>(rig.state.ignoreMode.load()), 0);
    }
    // Per key only Ctrl is asked about, for an Escape press, and Alt only when Ctrl is
    // held; the other modifiers only once a press was swallowed, never for a release.
    FilterRig rig;
    rig.Release(27, 0);
    EXPECT_TRUE(rig.keyboard.keysAsked.empty());
    rig.state.ignoreMode = IgnoreMode::Always;
    rig.Press(27, 0);
    EXPECT_EQ(rig.keyboard.keysAsked, std::vector<uint32_t>{kVkControl});
    rig.Release(27, 5);
    rig.state.ignoreMode = IgnoreMode::Off;
    rig.Press(kF5, 10);
    rig.Release(kF5, 20);
    rig.keyboard.keysAsked.clear();
    rig.Press(kF5, 30);
    rig.Release(kF5, 40);
    EXPECT_TRUE(rig.keyboard.keysAsked.empty());
}

// A swallowed press under Alt, Win or Ctrl+Shift leaves the modifier alone, so
// the no-op key goes between: once per press, never for a press that passes.
TEST(DoublePressFilter, NoOpKeyAfterASwallowUnderAModifierThatActsAlone) {
    constexpr uint32_t kLWin = kVkLWin, kRWin = kVkRWin, kShift = kVkShift;
    const struct {
        const char* name;
        bool ctrl, alt;
        std::set<uint32_t> held;
        int sent;
    } cases[] = {
        {"Alt", false, true, {}, 1},
        {"left Win", false, false, {kLWin}, 1},
        {"right Win", false, false, {kRWin}, 1},
        {"Ctrl+Shift", true, false, {kShift}, 1},
        {"Ctrl", true, false, {}, 0},
        {"Shift", false, false, {kShift}, 0},
        {"none", false, false, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FilterRig rig;
        rig.keyboard.ctrl = c.ctrl;
        rig.keyboard.alt = c.alt;
        rig.keyboard.down = c.held;
        EXPECT_TRUE(rig.Press(kF4, 0));
        EXPECT_TRUE(rig.Press(kF4, 30));  // auto-repeat
        EXPECT_EQ(rig.keyboard.noOpKeys, c.sent);
        rig.Release(kF4, 60);
        EXPECT_FALSE(rig.Press(kF4, 100));
        EXPECT_EQ(rig.keyboard.noOpKeys, c.sent);
    }
}

// Escape excluded, or F6 chosen: every event of the key passes as an unguarded one's.
TEST(DoublePressFilter, KeysForASinglePressAlwaysPassAndLeaveModeOneAlone) {
    const struct {
        uint32_t vk;
        uint8_t excludeEscape;
        uint32_t single;
    } rows[] = {{27, 1, 0}, {kF6, 0, kSingleF6}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.vk);
        FilterRig rig;
        rig.excludeEscape = r.excludeEscape;
        rig.settings.singlePressKeys = r.single;
        rig.state.ignoreMode = IgnoreMode::NextKey;
        EXPECT_FALSE(rig.Press(r.vk, 0));
        EXPECT_FALSE(rig.Press(r.vk, 5));  // auto-repeat
        EXPECT_FALSE(rig.Release(r.vk, 10));
        EXPECT_EQ(static_cast<int32_t>(rig.state.ignoreMode.load()), 1);
        EXPECT_TRUE(rig.KeyStatesUntouched());
        EXPECT_TRUE(rig.feedback.spoken.empty());
        rig.excludeEscape = 0;  // read afresh at every event
        rig.settings.singlePressKeys = 0;
        EXPECT_FALSE(rig.Press(r.vk, 20));
        EXPECT_EQ(static_cast<int32_t>(rig.state.ignoreMode.load()), 0);
        rig.Release(r.vk, 25);
        EXPECT_TRUE(rig.Press(r.vk, 30));
    }
    FilterRig rig;  // only the keys chosen
    rig.settings.singlePressKeys = GuardedKeyBit(5) | GuardedKeyBit(7);
    for (uint32_t vk : {27u, kF6}) EXPECT_TRUE(rig.Press(vk, 0)) << vk;
}

TEST(DoublePressFilter, ModeOneLetsOneKeyThrough) {
    FilterRig rig;
    rig.state.ignoreMode = IgnoreMode::NextKey;
    RunScript(rig, {
                       {0, kWmKeyDown, kF7, false, nullptr},   // consumes mode 1
                       {40, kWmKeyDown, kF7, false, nullptr},  // its repeats are its own
                       {80, kWmKeyDown, kF7, false, nullptr},
                       {100, kWmKeyUp, kF7, false, nullptr},  // arms nothing
                       {200, kWmKeyDown, kF7, true, u"F7"},
                   });
    EXPECT_EQ(static_cast<int32_t>(rig.state.ignoreMode.load()), 0);
    EXPECT_EQ(rig.feedback.cues, std::vector<Cue>{Cue::NextKeyUsed});

    // Most people let go of Ctrl or Alt before Escape: the hot key's own release
    // leaves the mode for the next key.
    for (bool ctrlFirst : {true, false}) {
        SCOPED_TRACE(ctrlFirst ? "Ctrl first" : "Alt first");
        FilterRig byRelease;
        byRelease.keyboard.ctrl = byRelease.keyboard.alt = true;
        byRelease.Press(27, 0);
        (ctrlFirst ? byRelease.keyboard.ctrl : byRelease.keyboard.alt) = false;
        EXPECT_TRUE(byRelease.Release(27, 50));  // the hot key's own
        EXPECT_EQ(byRelease.state.ignoreMode.load(), IgnoreMode::NextKey);
        EXPECT_TRUE(byRelease.KeyStatesUntouched());
        byRelease.keyboard.ctrl = byRelease.keyboard.alt = false;
        EXPECT_FALSE(byRelease.Press(kF7, 100));
        EXPECT_EQ(byRelease.feedback.spoken.size(), 1u);  // the mode's text only
        // Escape itself needs two presses of its own after the hot key.
        byRelease.state.ignoreMode = IgnoreMode::Off;
        EXPECT_TRUE(byRelease.Press(27, 150));
        byRelease.Release(27, 160);
        EXPECT_FALSE(byRelease.Press(27, 170));
    }
}

TEST(DoublePressFilter, ModeTwoPassesEverythingWithoutState) {
    FilterRig rig;
    rig.state.ignoreMode = IgnoreMode::Always;
    for (int n = 0; n < 3; ++n) {
        EXPECT_FALSE(rig.Press(kF5, n * 1000));
        EXPECT_FALSE(rig.Release(kF5, n * 1000 + 10));
    }
    EXPECT_EQ(static_cast<int32_t>(rig.state.ignoreMode.load()), 2);
    EXPECT_TRUE(rig.KeyStatesUntouched());
    EXPECT_TRUE(rig.feedback.spoken.empty());
}

// While such a program is in front its guarded keys pass, unspoken, and arm nothing;
// the hot key still cycles, and the program is asked about guarded presses only.
TEST(DoublePressFilter, AProgramThatGetsItsKeysHasThemPassSilently) {
    constexpr uint32_t D = kWmKeyDown, U = kWmKeyUp;
    FilterRig rig;
    rig.state.ignoreMode = IgnoreMode::NextKey;
    RunScript(rig, {
                       {0, D, kF5, false, nullptr, kTyped, true},
                       {60, U, kF5, false, nullptr, kTyped, true},
                       {100, D, 27, false, nullptr, kTyped, true},
                       {160, U, 27, false, nullptr, kTyped, true},
                       {170, D, kLetterA, false, nullptr, kTyped, true},
                       {180, U, kLetterA, false, nullptr, kTyped, true},
                   });
    rig.keyboard.listedOrOwnWindowInFront = true;
    EXPECT_EQ(rig.keyboard.programAsks, 2);  // a release is its press's
    EXPECT_TRUE(rig.KeyStatesUntouched());
    EXPECT_EQ(rig.state.ignoreMode.load(), IgnoreMode::NextKey);  // kept for another program
    rig.keyboard.ctrl = rig.keyboard.alt = true;
    EXPECT_TRUE(rig.Press(27, 200));
    EXPECT_EQ(rig.state.ignoreMode.load(), IgnoreMode::Always);
    EXPECT_EQ(rig.feedback.spoken, std::vector<std::u16string>{u"Ignoring double-press."});
    rig.keyboard.ctrl = rig.keyboard.alt = false;
    rig.Release(27, 210);
    // The first key once it is no longer in front is guarded again.
    rig.state.ignoreMode = IgnoreMode::Off;
    rig.keyboard.listedOrOwnWindowInFront = false;
    RunScript(rig, {{300, D, kF5, true, u"F5"}});
}

TEST(DoublePressFilter, ScreenReaderModifiersSuspendTheFilterWhileHeld) {
    struct Case {
        uint32_t modifier;
        uint32_t down;  // WM_SYSKEYDOWN while Alt is held
        int repeats;
        uint32_t releasedAs = 0;  // NumLock toggled while the numpad key was held
        bool trapped = false;
        bool extended = false;
    } cases[] = {
        {kVkCapital, kWmKeyDown, 2},
        {kVkInsert, kWmKeyDown, 0},
        {kVkNumpad0, kWmKeyDown, 3},
        {kVkInsert, kWmSysKeyDown, 0},
        {kVkCapital, kWmSysKeyDown, 4},
        {kVkInsert, kWmKeyDown, 1, 0, false, true},
        {kVkInsert, kWmKeyDown, 1, kVkNumpad0},
        {kVkNumpad0, kWmKeyDown, 1, kVkInsert},
        {kVkInsert, kWmKeyDown, 0, kVkNumpad0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.modifier << " up as " << c.releasedAs);
        FilterRig rig;
        const KeyOrigin origin{false, c.trapped, c.extended};
        for (int n = 0; n <= c.repeats; ++n) {
            EXPECT_FALSE(rig.Send(c.down, c.modifier, n * 30, origin));
        }
        EXPECT_FALSE(rig.Press(kF5, 600));
        EXPECT_TRUE(rig.feedback.spoken.empty());
        EXPECT_TRUE(rig.KeyStatesUntouched());
        EXPECT_FALSE(rig.Send(kWmKeyUp, c.releasedAs ? c.releasedAs : c.modifier, 700, origin));
        rig.Release(kF5, 750);
        // However long it was held, the filter is back once it is released.
        EXPECT_TRUE(rig.Press(kF5, 800));
    }
}

TEST(DoublePressFilter, ANumpadReleaseLeavesTheMainInsertHeld) {
    FilterRig rig;
    rig.Send(kWmKeyDown, kVkInsert, 0, {false, false, true});
    rig.Release(kVkNumpad0, 10);
    EXPECT_FALSE(rig.Press(kF5, 20));
    rig.Release(kF5, 25);
    rig.Send(kWmKeyUp, kVkInsert, 30, {false, false, true});
    EXPECT_TRUE(rig.Press(kF5, 1000));
}

TEST(DoublePressFilter, ModifierWhoseReleaseWasLostIsCheckedAgainstTheKey) {
    FilterRig rig;
    rig.Press(kVkInsert, 0);
    rig.keyboard.down.erase(kVkInsert);  // released on a secure desktop
    EXPECT_TRUE(rig.Press(kF5, 100));
    EXPECT_FALSE(rig.state.AnyModifierHeld());

    // A trapped one ends when the window in front changes (however briefly); one
    // the key's state shows is checked against it instead.
    rig.Send(kWmKeyDown, kVkCapital, 200, {false, true});
    rig.Press(kVkInsert, 210);
    rig.filter.ForgetTrappedModifiers();
    EXPECT_EQ(rig.state.modifierHeld[0], kModifierUp);
    EXPECT_EQ(rig.state.modifierHeld[1] + rig.state.modifierHeld[2], kModifierHeld);
}

TEST(DoublePressFilter, ModifierReleaseWithoutPressChangesNothing) {
    FilterRig rig;
    EXPECT_FALSE(rig.Send(kWmSysKeyUp, kVkInsert, 0));
    EXPECT_FALSE(rig.Release(kVkCapital, 0));
    EXPECT_TRUE(rig.Press(kF5, 10));
    rig.Press(kVkInsert, 20);  // and a later hold still suspends it
    EXPECT_FALSE(rig.Press(kF5, 1000));
}

TEST(DoublePressFilter, FilterResumesOnlyWhenEveryModifierIsUp) {
    FilterRig rig;
    rig.Send(kWmSysKeyDown, kVkCapital, 0);
    rig.Press(kVkInsert, 10);
    rig.Release(kVkCapital, 20);
    EXPECT_FALSE(rig.Press(kF5, 30));
    rig.Release(kF5, 35);
    rig.Send(kWmSysKeyUp, kVkInsert, 40);
    EXPECT_TRUE(rig.Press(kF5, 1000));
}

// Generated scripts of typed keys, repeats, releases lost to windows we cannot see,
// programs' keys, windows, lists, modes and a reader's modifier, checked against what
// a user would say of Quillet rather than against the rule's own tables.
TEST(DoublePressFilter, GeneratedScriptsKeepWhatTheUserIsPromised) {
    constexpr uint32_t kKeys[] = {kF4, kF5, kVkEscape};
    constexpr uint32_t kSingleF5 = GuardedKeyBit(5);
    struct Press {
        bool down = false, passed = false, hotKey = false, lostRelease = false;
        bool single = false;   // passed untouched, as any unguarded key: so are its repeats
        bool witness = false;  // the system's key state shows it down while it is
        uint64_t window = 0;
        int64_t at = 0;              // its last down event, repeats included
        int64_t armedAt = -1000000;  // the last release of a swallowed press
        bool firstSince = false;     // a press swallowed since the last one the rule passed
    };
    std::mt19937 random(20261208);
    auto pick = [&](int n) { return static_cast<int>(random() % n); };
    for (int script = 0; script < 3000; ++script) {
        FilterRig rig;
        std::map<uint32_t, Press> keys;
        std::set<uint32_t> held;  // other keys typed and not released
        std::ostringstream log;
        uint32_t lastTyped = 0;
        int64_t now = 0;
        auto fail = [&](const char* what) {
            ADD_FAILURE() << what << " at " << now << " in script " << script << ":\n" << log.str();
        };
        auto send = [&](uint32_t message, uint32_t vk, bool sent) {
            const bool swallowed = rig.Send(message, vk, now, {sent, false});
            log << now << (message & 1 ? " up " : " down ") << vk << (sent ? " sent" : "")
                << (swallowed ? " swallowed\n" : " passed\n");
            return swallowed;
        };
        auto toggle = [&](uint32_t vk) {
            send(held.count(vk) ? kWmKeyUp : kWmKeyDown, vk, false);
            if (held.count(vk)) {
                held.erase(vk);
            } else {
                held.insert(vk);
                lastTyped = vk;
            }
        };
        bool failed = false;
        for (int step = 0; step < 40 && !failed; ++step) {
            now += pick(10) < 3 ? pick(60) : pick(10) < 9 ? 60 + pick(340) : 400 + pick(2600);
            const IgnoreMode mode = rig.state.ignoreMode;
            const int what = pick(100);
            const uint32_t vk = kKeys[pick(3)];
            Press& k = keys[vk];
            const bool single = vk == kF5 && (rig.settings.singlePressKeys & kSingleF5);
            const bool hotKey = vk == kVkEscape && held.count(kVkControl) && held.count(kVkMenu);
            const bool ruled = mode == IgnoreMode::Off && !held.count(kVkInsert) &&
                               !rig.keyboard.listedOrOwnWindowInFront && !single && !hotKey;
            // After a release we never heard, a press of the same key soon after, with
            // no key typed between, cannot be told from a repeat unless the system saw
            // the press: it is taken as one.
            const bool lingers = !k.down && k.lostRelease && lastTyped == vk && !k.witness &&
                                 !k.single && now - k.at <= 2500;
            if (what < 30 && !k.down && !lingers) {  // a fresh typed press
                const bool altOnly = held.count(kVkMenu) && !held.count(kVkControl);
                const bool swallowed = send(altOnly ? kWmSysKeyDown : kWmKeyDown, vk, false);
                if (ruled && !swallowed && (now - k.armedAt > 300 || now < k.armedAt))
                    fail("a press passed without a first press within the timeout"), failed = 1;
                if (ruled && !swallowed && !k.firstSince && !k.lostRelease)
                    fail("a second press passed with no first press since the last"), failed = 1;
                if (hotKey && (!swallowed || rig.state.ignoreMode == mode))
                    fail("the hot key reached a program or changed nothing"), failed = 1;
                if (ruled && swallowed) k.firstSince = true;
                if (ruled && !swallowed) k.firstSince = false;
                const bool spends = mode == IgnoreMode::NextKey && !held.count(kVkInsert) &&
                                    !rig.keyboard.listedOrOwnWindowInFront && !single && !hotKey;
                if (spends && (swallowed || rig.state.ignoreMode != IgnoreMode::Off))
                    fail("next key only was not spent by a fresh press"), failed = 1;
                k = {true,
                     !swallowed,
                     hotKey,
                     false,
                     single,
                     !swallowed,
                     rig.keyboard.foreground,
                     now,
                     k.armedAt,
                     k.firstSince};
                lastTyped = vk;
            } else if (what < 45 &&
                       ((k.down && lastTyped == vk && now - k.at <= 1000) || lingers)) {
                const bool swallowed = send(kWmKeyDown, vk, false);  // an auto-repeat
                const bool passes = k.passed && rig.keyboard.foreground == k.window;
                if (!k.single && (swallowed == passes || rig.state.ignoreMode != mode))
                    fail("a repeat did not follow its press"), failed = 1;
                k.at = now;
                k.down = true;
                k.lostRelease = false;
            } else if (what < 50 && k.down) {  // released where our hook never hears of it
                rig.keyboard.down.erase(vk);
                log << now << " up " << vk << " unseen\n";
                k.down = false;
                k.lostRelease = true;
            } else if (what < 60 && k.down) {
                const bool swallowed = send(kWmKeyUp, vk, false);
                if (swallowed != k.hotKey || rig.state.ignoreMode != mode)
                    fail("a release was not its press's"), failed = 1;
                if (!k.passed && !k.hotKey) k.armedAt = now;
                k.down = false;
                k.lostRelease = false;
            } else if (what < 68) {
                toggle(pick(2) ? kVkControl : kVkMenu);
            } else if (what < 71) {
                toggle(kVkInsert);
            } else if (what < 74) {
                toggle(kLetterA);
                toggle(kLetterA);
            } else if (what < 79) {
                rig.keyboard.foreground = 3 - rig.keyboard.foreground;
                log << now << " window " << rig.keyboard.foreground << "\n";
            } else if (what < 83) {
                rig.keyboard.listedOrOwnWindowInFront = !rig.keyboard.listedOrOwnWindowInFront;
                log << now << " listed " << rig.keyboard.listedOrOwnWindowInFront << "\n";
            } else if (what < 86) {
                rig.settings.singlePressKeys ^= kSingleF5;
                log << now << " single F5 " << rig.settings.singlePressKeys.load() << "\n";
            } else if (what < 94) {  // a program's press and release
                const bool swallowed = send(kWmKeyDown, vk, true);
                if (swallowed && !hotKey) k.firstSince = true;
                const bool released = !send(kWmKeyUp, vk, true);
                if (released == hotKey) fail("a program's release was not its press's"), failed = 1;
                if (released && (k.down || k.lostRelease) && k.witness) {
                    k.witness = false;  // the system now shows the key up
                    k.at = now;
                }
                if (swallowed && !hotKey) k.armedAt = now;
            } else if (what < 97) {
                rig.state.ignoreMode = static_cast<IgnoreMode>(pick(3));
                log << now << " mode " << static_cast<int>(rig.state.ignoreMode.load()) << "\n";
            }
        }
    }
}

TEST(RunHook, CallsTheChainFirstAndReadsKeyDataOnlyForActions) {
    FilterRig rig;
    std::vector<std::string> calls;
    auto next = [&] {
        calls.push_back("next");
        return intptr_t{42};
    };
    auto vk = [&] {
        calls.push_back("vk");
        return HookKey{kF5, false, false, 0};
    };
    EXPECT_EQ(RunHook(rig.filter, kHcAction, kWmKeyDown, next, vk), 1);
    EXPECT_EQ(calls, (std::vector<std::string>{"next", "vk"}));
    EXPECT_TRUE(rig.state.resentPresses.Awaits(kF5));  // the chain's 42 means it kept the key
    calls.clear();
    EXPECT_EQ(RunHook(rig.filter, 3, kWmKeyDown, next, vk), 42);
    EXPECT_EQ(calls, std::vector<std::string>{"next"});
    calls.clear();
    EXPECT_EQ(RunHook(rig.filter, kHcAction, kWmKeyUp, next, vk), 42);
}

}  // namespace
}  // namespace quillet
