#include "ui/tray_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "heard_listener.h"

namespace quillet {
namespace {

using Heard = testing::HeardListener;

TEST(TrayWindow, MessagesBecomeCallsOrGoToTheDefault) {
    struct Case {
        const char* name;
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
        const char* calls;
        bool answered;  // false: the platform's default
    };
    constexpr uint32_t icon = 3;
    const Case cases[] = {
        {"left release on the icon", kTrayCallbackMessage, icon, 0x202, "left ", true},
        {"right release on the icon", kTrayCallbackMessage, icon, 0x205, "right ", true},
        {"press", kTrayCallbackMessage, icon, 0x201, "", true},
        {"move", kTrayCallbackMessage, icon, 0x200, "", true},
        {"left double click", kTrayCallbackMessage, icon, 0x203, "", true},
        {"right double click", kTrayCallbackMessage, icon, 0x206, "", true},
        {"another icon's click", kTrayCallbackMessage, icon + 1, 0x205, "", true},
        {"menu command", 0x0111, 6, 0, "command 6 ", true},
        {"command 0", 0x0111, 0, 0, "command 0 ", true},
        {"accelerator command", 0x0111, (1u << 16) | 42, 0, "command 42 ", true},
        {"a control's command", 0x0111, 3, 0x1234, "", true},
        {"click timer", 0x0113, kClickTimerId, 0, "timer ", true},
        {"another timer", 0x0113, kClickTimerId + 1, 0, "", true},
        {"close", 0x0010, 0, 0, "close ", true},
        {"activate", 0x0006, 1, 0, "", true},
        {"size", 0x0005, 2, 0, "", true},
        {"right release on the window", 0x0205, 0, 0, "", true},
        {"right double click on the window", 0x0206, 0, 0, "", false},
        {"erase background", 0x0014, 0, 0, "", false},
        {"destroy", 0x0082, 0, 0, "", false},
    };
    for (const Case& c : cases) {
        Heard heard;
        EXPECT_EQ(HandleTrayWindowMessage(heard, icon, c.message, c.wParam, c.lParam), c.answered)
            << c.name;
        EXPECT_EQ(heard.calls, c.calls) << c.name;
    }
    Heard withoutIcon;
    HandleTrayWindowMessage(withoutIcon, 0, kTrayCallbackMessage, 0, 0x205);
    EXPECT_EQ(withoutIcon.calls, "");
}

TEST(TrayWindow, TooltipKeeps63CharactersAndWholeSurrogatePairs) {
    const std::u16string text64(64, u'x');
    EXPECT_EQ(TrayTooltip(text64), std::u16string(63, u'x'));
    EXPECT_EQ(TrayTooltip(u"Quillet"), u"Quillet");
    std::u16string pair = std::u16string(62, u'x') + u"\U0001F600";
    EXPECT_EQ(TrayTooltip(pair), std::u16string(62, u'x'));
    EXPECT_EQ(TrayTooltip(std::u16string(61, u'x') + u"\U0001F600"),
              std::u16string(61, u'x') + u"\U0001F600");
}

// Each step's answer: after an add, whether the retry timer runs; on a tick, whether
// the icon is added again (false ends the timer); at TaskbarCreated, whether the icon
// is added.
TEST(TrayWindow, RefusedIconIsAddedAgainUntilTakenOrTenMinutesPass) {
    enum What { Refused, Taken, Tick, TaskbarCreated };
    struct Step {
        What what;
        uint64_t at;
        bool answer;
    };
    const std::vector<std::vector<Step>> scripts = {
        // Taken at the second tick; a tick still on its way stops the timer.
        {{Refused, 5000, true},
         {Tick, 7000, true},
         {Refused, 7000, true},
         {Tick, 9000, true},
         {Taken, 9000, false},
         {Tick, 11000, false},
         {TaskbarCreated, 12000, false}},
        // Ten minutes after the first refusal the ticks end; TaskbarCreated still adds
        // it, and a refusal then starts a new round.
        {{Refused, 0, true},
         {Tick, 598000, true},
         {Refused, 598000, true},
         {Tick, 600000, false},
         {TaskbarCreated, 700000, true},
         {Refused, 700000, true},
         {Tick, 702000, true},
         {Tick, 1300000, false}},
        // TaskbarCreated before any tick adds a refused icon.
        {{Refused, 0, true}, {TaskbarCreated, 500, true}, {Taken, 500, false}, {Tick, 2000, false}},
        // Never refused: nothing to add again.
        {{TaskbarCreated, 0, false}, {Tick, 2000, false}, {Taken, 3000, false}},
    };
    for (size_t n = 0; n < scripts.size(); ++n) {
        IconRetry retry;
        for (const Step& step : scripts[n]) {
            bool answer = false;
            switch (step.what) {
                case Refused:
                case Taken:
                    answer = retry.AfterAdd(step.what == Taken, step.at);
                    break;
                case Tick:
                    answer = retry.OnTick(step.at);
                    break;
                case TaskbarCreated:
                    answer = retry.Missing();
                    break;
            }
            EXPECT_EQ(answer, step.answer) << "script " << n << " at " << step.at;
        }
    }
    IconRetry removed;
    removed.AfterAdd(false, 0);
    removed.Forget();
    EXPECT_FALSE(removed.Missing());
    EXPECT_FALSE(removed.OnTick(2000));
}

}  // namespace
}  // namespace quillet
