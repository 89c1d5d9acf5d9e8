// The real window layer under Wine or Windows.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "app/tray_menu.h"
#include "ui/image.h"
#include "ui/menu.h"
#include "ui/tray.h"
#include "ui/window.h"

namespace quillet {
namespace {

class WindowLayer : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        StartEventQueue();
        StartTrayLayer();
        StartWindowLayer();
    }
    static void TearDownTestSuite() {
        EndTrayLayer();
        EndWindowLayer();
        EndEventQueue();
    }
    void SetUp() override {
        ASSERT_NE(OpenWindow(0, 0, 0, -65535, -65535, u"quillet", 0x11000001), nullptr);
        hwnd = static_cast<HWND>(WindowHandle(0));
        Drain();
    }
    void TearDown() override { CloseWindow(0); }

    // Serves whatever is pending so each case starts from an empty queue.
    static void Drain() {
        for (int i = 0; i < 1000 && WaitWindowEvent(0) != 0; ++i) {
        }
    }
    // Waits, bounded, for an event of the kind; returns false when none came.
    static bool WaitFor(int32_t kind, int limitMs = 3000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while (std::chrono::steady_clock::now() < end) {
            if (WaitWindowEvent(50) == kind) return true;
        }
        return false;
    }

    HWND hwnd = nullptr;
};

TEST_F(WindowLayer, WindowZeroIsHiddenMaximisedAndNamed) {
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(GetPropW(hwnd, L"Tarn_WindowID"), reinterpret_cast<HANDLE>(1));
    wchar_t text[32] = {};
    GetClassNameW(hwnd, text, 32);
    EXPECT_STREQ(text, L"WindowClass_0");
    GetWindowTextW(hwnd, text, 32);
    EXPECT_STREQ(text, L"quillet");
    EXPECT_TRUE(GetWindowLongW(hwnd, GWL_STYLE) & WS_MAXIMIZE);
    EXPECT_EQ(WindowNumber(hwnd), 0);
    EXPECT_EQ(WindowHandle(1), nullptr);
}

TEST_F(WindowLayer, PostedEventComesBeforePendingMessages) {
    PostMessageW(hwnd, WM_COMMAND, 3, 0);
    PostEvent(EventTray, 0, 0, TrayDeferredClick);
    EXPECT_EQ(WaitWindowEvent(-1), EventTray);
    EXPECT_EQ(EventType(), TrayDeferredClick);
    EXPECT_EQ(EventObject(), 0);
}

TEST_F(WindowLayer, MenuCommandIsAMessageThenAnEvent) {
    PostMessageW(hwnd, WM_COMMAND, 6, 0);
    EXPECT_EQ(WaitWindowEvent(-1), WM_COMMAND);
    EXPECT_EQ(EventType(), -1);
    EXPECT_EQ(WaitWindowEvent(-1), EventMenu);
    EXPECT_EQ(EventObject(), 6);
    EXPECT_EQ(EventType(), 0);
}

TEST_F(WindowLayer, TimerTicksAsEventTimer) {
    ASSERT_NE(AddWindowTimer(0, 0, 20), 0);
    EXPECT_TRUE(WaitFor(EventTimer));
    EXPECT_EQ(EventObject(), 0);
    RemoveWindowTimer(0, 0);
    EXPECT_EQ(AddWindowTimer(5, 0, 20), 0);
}

TEST_F(WindowLayer, CloseFromAnotherThreadWakesTheWaitAndKeepsTheWindow) {
    std::atomic<bool> sent{false};
    std::atomic<bool> finished{false};
    const DWORD mainThread = GetCurrentThreadId();
    std::thread other([&] {
        Sleep(100);
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
        sent = true;
        // Unblocks a wait that the unlock message failed to end, so the test fails instead of
        // hanging.
        for (int i = 0; i < 300 && !finished; ++i) Sleep(10);
        PostThreadMessageW(mainThread, WM_USER, 0, 0);
    });
    const auto start = std::chrono::steady_clock::now();
    const int32_t first = WaitWindowEvent(-1);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_NE(first, EventClose);
    EXPECT_LT(waited, std::chrono::milliseconds(2500));
    EXPECT_EQ(WaitWindowEvent(-1), EventClose);
    EXPECT_EQ(EventObject(), 0);
    EXPECT_TRUE(IsWindow(hwnd));
    finished = true;
    other.join();
    EXPECT_TRUE(sent);
}

TEST_F(WindowLayer, ClosingAWindowDropsItsEvents) {
    PostEvent(EventTimer, 0, 0, 0);
    PostEvent(EventTimer, 1, 0, 0);
    CloseWindow(0);
    EXPECT_EQ(WindowHandle(0), nullptr);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(WaitWindowEvent(0), EventTimer);
    EXPECT_EQ(EventWindow(), 1);
}

TEST_F(WindowLayer, ShowAndHide) {
    ShowWindowNumber(0);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(IsZoomed(hwnd));
    HideWindowNumber(0, 1);
    EXPECT_FALSE(IsWindowVisible(hwnd));
}

TEST_F(WindowLayer, TrayCallbackBecomesTrayEvents) {
    ASSERT_TRUE(CreateImage(0, 32, 32, 24, 0));
    if (!AddTrayIcon(0, hwnd, 0)) GTEST_SKIP() << "no notification area";
    // The platform id is the number after "TarnSysTray" of the property we set.
    UINT id = 0;
    for (UINT candidate = 1; candidate < 64 && !id; ++candidate) {
        wchar_t name[32];
        wsprintfW(name, L"TarnSysTray%u", candidate);
        if (GetPropW(hwnd, name) == reinterpret_cast<HANDLE>(1)) id = candidate;
    }
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(GetPropW(hwnd, L"tarn_systray_callback"));
    const std::pair<UINT, int32_t> cases[] = {{WM_LBUTTONDOWN, -1},
                                              {WM_MOUSEMOVE, -1},
                                              {WM_LBUTTONUP, TrayLeftClick},
                                              {WM_RBUTTONUP, TrayRightClick},
                                              {WM_LBUTTONDBLCLK, TrayLeftDoubleClick},
                                              {WM_RBUTTONDBLCLK, TrayRightDoubleClick}};
    for (const auto& [mouse, type] : cases) {
        EXPECT_EQ(SendMessageW(hwnd, TrayCallbackMessage, id, mouse), 0);
        if (type < 0) {
            EXPECT_NE(WaitWindowEvent(0), EventTray) << mouse;
        } else {
            EXPECT_EQ(WaitWindowEvent(0), EventTray) << mouse;
            EXPECT_EQ(EventType(), type);
            EXPECT_EQ(EventObject(), 0);
        }
        Drain();
    }
    SendMessageW(hwnd, TrayCallbackMessage, id + 100, WM_RBUTTONUP);
    EXPECT_NE(WaitWindowEvent(0), EventTray);
    SetTrayIconTooltip(0, u"Quillet");
    EXPECT_TRUE(IsTrayIcon(0));
    RemoveTrayIcon(0);
    RemoveTrayIcon(0);
    EXPECT_FALSE(IsTrayIcon(0));
    EXPECT_FALSE(AddTrayIcon(1, nullptr, 0));
    EXPECT_FALSE(AddTrayIcon(1, hwnd, 9));
    EXPECT_FALSE(IsTrayIcon(1));
}

std::vector<std::pair<void*, uint32_t>> allowedMessages;

void RecordAllowance(void* window, uint32_t message) {
    allowedMessages.emplace_back(window, message);
}

// What an elevated instance needs to keep its icon; only Windows shows the
// integrity levels, so here the call is recorded.
TEST_F(WindowLayer, TrayLetsInTheShellsTwoMessages) {
    ASSERT_NE(TaskbarCreatedMessage(), 0u);
    ASSERT_TRUE(CreateImage(0, 32, 32, 24, 0));
    allowedMessages.clear();
    const MessageAllowance real = SetMessageAllowance(RecordAllowance);
    AddTrayIcon(0, hwnd, 0);
    SetMessageAllowance(real);
    RemoveTrayIcon(0);
    const std::vector<std::pair<void*, uint32_t>> expected = {{hwnd, TrayCallbackMessage},
                                                              {hwnd, TaskbarCreatedMessage()}};
    EXPECT_EQ(allowedMessages, expected);
}

TEST_F(WindowLayer, MenuMarksReachIntoTheSubmenu) {
    ASSERT_TRUE(BuildTrayMenu(0));
    HMENU menu = static_cast<HMENU>(MenuHandle(0));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 5);
    HMENU sub = GetSubMenu(menu, 2);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(GetMenuItemCount(sub), 3);
    EXPECT_EQ(GetMenuItemID(menu, 4), 6u);

    SetMenuItemGreyed(0, 4, true);
    SetMenuItemChecked(0, 4, true);
    SetMenuItemChecked(0, 0, true);
    EXPECT_TRUE(IsMenuItemChecked(0, 4));
    EXPECT_EQ(GetMenuState(sub, 2, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED),
              UINT(MF_CHECKED | MF_GRAYED));
    EXPECT_EQ(GetMenuState(menu, 0, MF_BYPOSITION) & MF_CHECKED, UINT(MF_CHECKED));
    SetMenuItemChecked(0, 4, false);
    EXPECT_EQ(GetMenuState(sub, 2, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED), UINT(MF_GRAYED));
    SetMenuItemGreyed(0, 4, false);
    EXPECT_EQ(GetMenuState(sub, 2, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED), 0u);
    SetMenuItemChecked(7, 4, true);  // unknown menu: nothing
    FreeMenu(0);
    EXPECT_EQ(MenuHandle(0), nullptr);
}

}  // namespace
}  // namespace quillet
#endif
