#include "ui/tray_window.h"

#include <gtest/gtest.h>

#include <string>

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

// One icon's course: r refused, a added, t a tick of the retry timer (true: add again,
// false: the timer ends), c TaskbarCreated (true: add it).
TEST(TrayWindow, RefusedIconIsAddedAgainUntilTakenOrTenMinutesPass) {
    const struct {
        char what;
        uint64_t at;
        bool answer;
    } steps[] = {
        {'c', 0, false},      {'t', 0, false},      {'r', 1000, true},   {'c', 1500, true},
        {'t', 3000, true},    {'r', 3000, true},    {'t', 600999, true}, {'t', 601000, false},
        {'c', 700000, true},  {'r', 700000, true},  {'t', 702000, true}, {'a', 702000, false},
        {'t', 704000, false}, {'c', 704000, false},
    };
    IconRetry retry;
    for (const auto& s : steps) {
        const bool answer = s.what == 't'   ? retry.OnTick(s.at)
                            : s.what == 'c' ? retry.Missing()
                                            : retry.AfterAdd(s.what == 'a', s.at);
        EXPECT_EQ(answer, s.answer) << s.what << " at " << s.at;
    }
}

}  // namespace
}  // namespace quillet
