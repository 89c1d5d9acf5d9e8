// The real tray window under Wine or Windows.
#ifdef _WIN32
#include "ui/tray_window_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "heard_listener.h"
#include "ui/tray_menu.h"

namespace quillet {
namespace {

class TrayWindowOnScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(tray.Open(u"quillet"));
        tray.Listen(&heard);
        hwnd = tray.Handle();
    }

    // Serves the thread's messages until the calls heard contain `calls`, for at most 3 s.
    bool Hear(const std::string& calls) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (std::chrono::steady_clock::now() < end) {
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
            if (heard.calls.find(calls) != std::string::npos) return true;
            Sleep(5);
        }
        return false;
    }

    TrayWindow tray;
    testing::HeardListener heard;
    HWND hwnd = nullptr;
};

TEST_F(TrayWindowOnScreen, HiddenMaximisedAndNamed) {
    EXPECT_FALSE(IsWindowVisible(hwnd));
    wchar_t text[32] = {};
    GetClassNameW(hwnd, text, 32);
    EXPECT_STREQ(text, L"WindowClass_0");
    GetWindowTextW(hwnd, text, 32);
    EXPECT_STREQ(text, L"quillet");
    EXPECT_TRUE(GetWindowLongW(hwnd, GWL_STYLE) & WS_MAXIMIZE);
}

TEST_F(TrayWindowOnScreen, CommandsTimerAndCloseReachTheListener) {
    PostMessageW(hwnd, WM_COMMAND, 6, 0);
    EXPECT_TRUE(Hear("command 6 "));
    tray.StartTimer(20);
    EXPECT_TRUE(Hear("timer "));
    tray.StopTimer();
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Hear("close "));
    EXPECT_TRUE(IsWindow(hwnd));
    tray.Listen(nullptr);
    heard.calls.clear();
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(heard.calls, "");
}

TEST_F(TrayWindowOnScreen, CloseSentFromAnotherThreadEndsTheWait) {
    std::atomic<bool> finished{false};
    const DWORD mainThread = GetCurrentThreadId();
    std::thread other([&] {
        Sleep(100);
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
        // Ends a wait that nothing else ended, so the test fails instead of hanging.
        for (int i = 0; i < 300 && !finished; ++i) Sleep(10);
        PostThreadMessageW(mainThread, WM_USER, 0, 0);
    });
    const auto start = std::chrono::steady_clock::now();
    WaitWindowMessage();
    const auto waited = std::chrono::steady_clock::now() - start;
    finished = true;
    other.join();
    EXPECT_EQ(heard.calls, "close ");
    EXPECT_LT(waited, std::chrono::milliseconds(2500));
}

TEST_F(TrayWindowOnScreen, IconClicksUnderEachNewId) {
    if (!tray.AddIcon(u"Quillet")) GTEST_SKIP() << "no notification area";
    EXPECT_TRUE(tray.HasIcon());
    SendMessageW(hwnd, kTrayCallbackMessage, 1, WM_LBUTTONUP);
    SendMessageW(hwnd, kTrayCallbackMessage, 1, WM_RBUTTONDBLCLK);
    EXPECT_EQ(heard.calls, "left ");
    ASSERT_TRUE(tray.AddIcon(u"Quillet"));
    SendMessageW(hwnd, kTrayCallbackMessage, 1, WM_RBUTTONUP);
    SendMessageW(hwnd, kTrayCallbackMessage, 2, WM_RBUTTONUP);
    EXPECT_EQ(heard.calls, "left right ");
    tray.RemoveIcon();
    EXPECT_FALSE(tray.HasIcon());
}

std::vector<std::pair<HWND, UINT>> allowedMessages;

void RecordAllowance(HWND window, UINT message) { allowedMessages.emplace_back(window, message); }

// What an elevated instance needs to keep its icon and hear the installer, and
// nothing more; only Windows shows the integrity levels, so here the call is recorded.
TEST_F(TrayWindowOnScreen, WindowLetsInTheExitRequestAndTheShellsTwoMessages) {
    allowedMessages.clear();
    const MessageAllowance real = SetMessageAllowance(RecordAllowance);
    tray.Close();
    tray.Open(u"quillet");
    tray.AddIcon(u"Quillet");
    SetMessageAllowance(real);
    const HWND window = tray.Handle();
    const std::vector<std::pair<HWND, UINT>> expected = {
        {window, RegisterWindowMessageW(L"QuilletExitRequest")},
        {window, kTrayCallbackMessage},
        {window, RegisterWindowMessageW(L"TaskbarCreated")}};
    EXPECT_EQ(allowedMessages, expected);
}

// Heard from inside the box's own loop, which it ends as cancelled.
TEST_F(TrayWindowOnScreen, ExitRequestEndsAnOpenMessageBox) {
    const UINT request = RegisterWindowMessageW(L"QuilletExitRequest");
    std::thread other([&] {
        Sleep(300);
        PostMessageW(hwnd, request, 0, 0);
        // A box still open after that is answered OK, so the test fails instead of hanging.
        Sleep(3000);
        if (HWND box = FindWindowW(L"#32770", L"Quillet test"))
            PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    const int answer = MessageBoxW(nullptr, L"open", L"Quillet test", MB_OKCANCEL);
    other.join();
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_EQ(heard.calls, "exit request ");
}

TEST_F(TrayWindowOnScreen, MenuMarksReachIntoTheSubmenu) {
    tray.BuildMenu(TrayMenuEntries());
    HMENU menu = tray.Menu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 9);
    HMENU sub = GetSubMenu(menu, 2);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(GetMenuItemCount(sub), 3);
    const UINT ids[] = {0, 1, UINT(-1), 7, UINT(-1), 5, 8, 21, 6};
    for (int at = 0; at < 9; ++at) EXPECT_EQ(GetMenuItemID(menu, at), ids[at]) << at;
    HMENU keys = GetSubMenu(menu, 4);
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(GetMenuItemCount(keys), 12);
    tray.SetItemChecked(kMenuSinglePressF1 + 5, true);
    EXPECT_EQ(GetMenuState(keys, 5, MF_BYPOSITION) & MF_CHECKED, UINT(MF_CHECKED));

    tray.SetItemGreyed(4, true);
    tray.SetItemChecked(4, true);
    tray.SetItemChecked(0, true);
    EXPECT_EQ(GetMenuState(sub, 2, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED),
              UINT(MF_CHECKED | MF_GRAYED));
    EXPECT_EQ(GetMenuState(menu, 0, MF_BYPOSITION) & MF_CHECKED, UINT(MF_CHECKED));
    tray.SetItemChecked(4, false);
    EXPECT_EQ(GetMenuState(sub, 2, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED), UINT(MF_GRAYED));
    tray.SetItemGreyed(4, false);
    EXPECT_EQ(GetMenuState(sub, 2, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED), 0u);

    // A new label keeps the item's marks, in the submenu too.
    tray.SetItemChecked(kMenuLetKeysThrough, true);
    tray.SetItemGreyed(kMenuIgnoreAlways, true);
    tray.SetItemText(kMenuLetKeysThrough, u"&Let keys through in A && B");
    tray.SetItemText(kMenuIgnoreAlways, u"Ignore &all");
    wchar_t label[64] = {};
    GetMenuStringW(menu, kMenuLetKeysThrough, label, 64, MF_BYCOMMAND);
    EXPECT_STREQ(label, L"&Let keys through in A && B");
    GetMenuStringW(sub, 2, label, 64, MF_BYPOSITION);
    EXPECT_STREQ(label, L"Ignore &all");
    EXPECT_EQ(GetMenuState(menu, 3, MF_BYPOSITION) & MF_CHECKED, UINT(MF_CHECKED));
    EXPECT_EQ(GetMenuState(sub, 2, MF_BYPOSITION) & MF_GRAYED, UINT(MF_GRAYED));
}

HWND menuOwner = nullptr;
bool shownMaximised = false;

// Looks from inside the menu's loop, then dismisses the menu.
void CALLBACK LookAndDismiss(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    shownMaximised = IsWindowVisible(menuOwner) && IsZoomed(menuOwner);
    EndMenu();
}

TEST_F(TrayWindowOnScreen, ShownMaximisedOnlyWhileTheMenuIsOpen) {
    tray.BuildMenu(TrayMenuEntries());
    menuOwner = hwnd;
    shownMaximised = false;
    SetTimer(nullptr, 0, 300, LookAndDismiss);
    EXPECT_FALSE(tray.ShowMenu());
    EXPECT_TRUE(shownMaximised);
    EXPECT_FALSE(IsWindowVisible(hwnd));
}

}  // namespace
}  // namespace quillet
#endif
