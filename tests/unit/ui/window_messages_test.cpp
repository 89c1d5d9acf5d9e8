#include "ui/window_messages.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace quillet {
namespace {

using Event = std::tuple<int32_t, int32_t, int32_t, int32_t>;  // kind, object, window, type

std::vector<Event> Drain(EventQueue& q) {
    std::vector<Event> out;
    while (q.TakeNext()) {
        out.emplace_back(q.CurrentKind(), q.CurrentObject(), q.CurrentWindow(), q.CurrentType());
    }
    return out;
}

struct Window {
    int32_t sizeState = 0;
    WindowContext Context(int32_t number = 0, bool opened = true, bool isSelf = true) {
        return WindowContext{number, isSelf, opened, number >= 0 ? &sizeState : nullptr};
    }
};

uintptr_t MakeWParam(uint16_t low, uint16_t high) { return (uintptr_t{high} << 16) | low; }

TEST(WindowMessages, MessagesBecomeEventsWithTheirResults) {
    struct Case {
        const char* name;
        WindowMessage m;
        std::vector<Event> events;
        bool callDefault;
        intptr_t result;
    };
    const Case cases[] = {
        {"menu command", {msg::Command, 6, 0}, {{EventMenu, 6, 0, 0}}, false, 0},
        {"accelerator command",
         {msg::Command, MakeWParam(42, 1), 0},
         {{EventMenu, 42, 0, 0}},
         false,
         0},
        {"next control", {msg::Command, MakeWParam(64001, 1), 0}, {}, false, 0},
        {"control",
         {msg::Command, MakeWParam(3, 0x300), 0x1234, 17},
         {{EventControl, 17, 0, 0x300}},
         false,
         0},
        {"menu control",
         {msg::Command, MakeWParam(9, 5), 0x1234, MenuControlId},
         {{EventMenu, 9, 0, 0}},
         false,
         0},
        {"timer", {msg::Timer, 0, 0}, {{EventTimer, 0, 0, 0}}, false, 0},
        {"close", {msg::Close, 0, 0}, {{EventClose, 0, 0, 0}}, false, 0},
        {"activate", {msg::Activate, 1, 0}, {{EventActivate, 0, 0, 0}}, false, 1},
        {"click-activate",
         {msg::Activate, MakeWParam(2, 1), 0},
         {{EventActivate, 0, 0, 0}},
         false,
         1},
        {"deactivate",
         {msg::Activate, MakeWParam(0, 1), 0},
         {{EventDeactivate, 0, 0, 0}},
         false,
         1},
        {"move", {msg::Move, 0, 0}, {{EventMove, 0, 0, 0}}, false, 0},
        {"erase", {msg::EraseBackground, 0, 0}, {{EventRepaint, 0, 0, 0}}, true, 0},
        {"left up", {msg::LButtonUp, 0, 0}, {{EventLeftClick, 0, 0, 0}}, false, 0},
        {"left double",
         {msg::LButtonDoubleClick, 0, 0},
         {{EventLeftDoubleClick, 0, 0, 0}},
         false,
         0},
        {"right up", {msg::RButtonUp, 0, 0}, {{EventRightClick, 0, 0, 0}}, false, 0},
        {"right down", {msg::RButtonDown, 0, 0}, {}, true, 0},
        {"colour change", {msg::SysColorChange, 0, 0}, {}, true, 0},
        {"destroy", {msg::NcDestroy, 0, 0}, {}, false, 1},
        {"other", {0x0400, 1, 2}, {}, true, 0},
    };
    for (const Case& c : cases) {
        EventQueue q;
        Window w;
        const MessageOutcome out = HandleWindowMessage(q, w.Context(), c.m);
        EXPECT_EQ(Drain(q), c.events) << c.name;
        EXPECT_EQ(out.callDefault, c.callDefault) << c.name;
        if (!c.callDefault) {
            EXPECT_EQ(out.result, c.result) << c.name;
        }
    }
}

TEST(WindowMessages, SideEffectsAskedOfThePlatform) {
    EventQueue q;
    Window w;
    EXPECT_TRUE(HandleWindowMessage(q, w.Context(), {msg::Close, 0, 0}).wakeWaiter);
    EXPECT_EQ(
        HandleWindowMessage(q, w.Context(), {msg::Command, MakeWParam(64001, 1), 0}).moveFocus, 1);
    EXPECT_EQ(
        HandleWindowMessage(q, w.Context(), {msg::Command, MakeWParam(64002, 1), 0}).moveFocus, -1);
    EXPECT_TRUE(HandleWindowMessage(q, w.Context(), {msg::Activate, 1, 0}).restoreFocus);
    EXPECT_TRUE(HandleWindowMessage(q, w.Context(), {msg::Activate, 0, 0}).saveFocus);
    EXPECT_TRUE(HandleWindowMessage(q, w.Context(), {msg::SysColorChange, 0, 0}).forwardToChildren);
    EXPECT_TRUE(HandleWindowMessage(q, w.Context(), {msg::NcDestroy, 0, 0}).cleanUp);
}

TEST(WindowMessages, CloseFromAChildOrUnknownWindowQueuesNothingAndNeverDestroys) {
    EventQueue q;
    Window w;
    MessageOutcome child = HandleWindowMessage(q, w.Context(0, true, false), {msg::Close, 0, 0});
    MessageOutcome stranger = HandleWindowMessage(q, w.Context(-1), {msg::Close, 0, 0});
    EXPECT_TRUE(q.Empty());
    EXPECT_FALSE(child.callDefault);
    EXPECT_FALSE(stranger.callDefault);
    EXPECT_FALSE(stranger.wakeWaiter);
}

TEST(WindowMessages, TimerOfAWindowWithoutRecordQueuesNothing) {
    EventQueue q;
    Window w;
    HandleWindowMessage(q, w.Context(-1), {msg::Timer, 3, 0});
    EXPECT_TRUE(q.Empty());
}

TEST(WindowMessages, RepeatedTimerTicksCollapse) {
    EventQueue q;
    Window w;
    for (int i = 0; i < 3; ++i) HandleWindowMessage(q, w.Context(), {msg::Timer, 0, 0});
    HandleWindowMessage(q, w.Context(), {msg::Timer, 1, 0});
    EXPECT_EQ(Drain(q), (std::vector<Event>{{EventTimer, 0, 0, 0}, {EventTimer, 1, 0, 0}}));
}

TEST(WindowMessages, TrayCallbackMouseMessages) {
    struct Case {
        uint32_t mouse;
        int32_t type;  // -1: nothing queued
    };
    const Case cases[] = {
        {msg::LButtonUp, TrayLeftClick},
        {msg::RButtonUp, TrayRightClick},
        {msg::LButtonDoubleClick, TrayLeftDoubleClick},
        {msg::RButtonDoubleClick, TrayRightDoubleClick},
        {msg::LButtonDown, -1},
        {msg::RButtonDown, -1},
        {msg::MouseMove, -1},
    };
    for (const Case& c : cases) {
        EventQueue q;
        Window w;
        WindowMessage m{msg::TrayCallback, 1, static_cast<intptr_t>(c.mouse)};
        m.trayIcon = 2;
        const MessageOutcome out = HandleWindowMessage(q, w.Context(), m);
        EXPECT_FALSE(out.callDefault);
        EXPECT_EQ(out.result, 0);
        EXPECT_TRUE(out.postNull);
        const std::vector<Event> expected =
            c.type < 0 ? std::vector<Event>{} : std::vector<Event>{{EventTray, 2, 0, c.type}};
        EXPECT_EQ(Drain(q), expected) << c.mouse;
    }
}

TEST(WindowMessages, TrayCallbackForAnUnknownIdQueuesNothing) {
    EventQueue q;
    Window w;
    const MessageOutcome out =
        HandleWindowMessage(q, w.Context(), {msg::TrayCallback, 9, msg::RButtonUp});
    EXPECT_TRUE(q.Empty());
    EXPECT_FALSE(out.postNull);
    EXPECT_EQ(out.result, 0);
}

TEST(WindowMessages, SizeHandling) {
    struct Case {
        const char* name;
        int32_t sizeStateBefore;
        std::vector<uintptr_t> sizes;
        std::vector<Event> events;
        int32_t sizeStateAfter;
    };
    const Event size{EventSize, 0, 0, 0};
    const Case cases[] = {
        {"restored", 0, {0}, {size}, 0},
        {"restored after maximise", 1, {0}, {{EventRestore, 0, 0, 0}, size}, 0},
        {"minimised", 0, {1}, {{EventMinimize, 0, 0, 0}}, 1},
        {"maximised", 0, {2}, {{EventMaximize, 0, 0, 0}, size}, 1},
        {"one size kept", 0, {0, 4, 0}, {size}, 0},
        {"maximise keeps earlier sizes", 0, {0, 2}, {size, {EventMaximize, 0, 0, 0}, size}, 1},
        {"restore drops earlier sizes",
         0,
         {2, 0},
         {{EventMaximize, 0, 0, 0}, {EventRestore, 0, 0, 0}, size},
         0},
    };
    for (const Case& c : cases) {
        EventQueue q;
        Window w;
        w.sizeState = c.sizeStateBefore;
        for (uintptr_t how : c.sizes) HandleWindowMessage(q, w.Context(), {msg::Size, how, 0});
        EXPECT_EQ(Drain(q), c.events) << c.name;
        EXPECT_EQ(w.sizeState, c.sizeStateAfter) << c.name;
    }
}

TEST(WindowMessages, SizeAndMoveWaitUntilTheWindowIsOpenedAndOnlyForItself) {
    EventQueue q;
    Window w;
    HandleWindowMessage(q, w.Context(0, false), {msg::Size, 2, 0});
    HandleWindowMessage(q, w.Context(0, false), {msg::Move, 0, 0});
    HandleWindowMessage(q, w.Context(0, true, false), {msg::Size, 0, 0});
    HandleWindowMessage(q, w.Context(0, true, false), {msg::Move, 0, 0});
    EXPECT_TRUE(q.Empty());
    EXPECT_EQ(w.sizeState, 0);
}

TEST(WindowMessages, SizeEventsOfOtherWindowsStay) {
    EventQueue q;
    Window a, b;
    HandleWindowMessage(q, b.Context(1), {msg::Size, 0, 0});
    HandleWindowMessage(q, a.Context(0), {msg::Size, 0, 0});
    HandleWindowMessage(q, a.Context(0), {msg::Size, 0, 0});
    EXPECT_EQ(Drain(q), (std::vector<Event>{{EventSize, 0, 1, 0}, {EventSize, 0, 0, 0}}));
}

}  // namespace
}  // namespace quillet
