// The dialogs answered from a second thread, as a user would.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

#include "tests/support/plain_window_win32.h"
#include "ui/dialogs.h"

namespace quillet {
namespace {

// Finds a visible top-level window of the class, once it holds a control with
// the identifier (its last one), within a bounded time.
HWND FindWithin(const wchar_t* cls, int controlId, int limitMs = 5000) {
    for (int waited = 0; waited < limitMs; waited += 10) {
        HWND w = FindWindowW(cls, nullptr);
        if (w && IsWindowVisible(w) && GetDlgItem(w, controlId)) return w;
        Sleep(10);
    }
    return nullptr;
}

// Closes a dialog the answer failed to close, so a fault fails the test instead
// of hanging it; true when that was needed.
bool ForceClosed(HWND dialog) {
    for (int waited = 0; waited < 3000 && IsWindow(dialog); waited += 10) Sleep(10);
    if (!IsWindow(dialog)) return false;
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    return true;
}

HWND Field(HWND dialog) { return GetDlgItem(dialog, 10); }

// Runs `answer` on another thread once the input dialog is up.
std::u16string AskAndAnswer(const std::function<void(HWND)>& answer) {
    bool found = false;
    bool forced = false;
    std::thread user([&] {
        HWND dialog = FindWithin(L"InputRequester", 1000);
        found = dialog != nullptr;
        if (!dialog) return;
        answer(dialog);
        forced = ForceClosed(dialog);
    });
    std::u16string text = ShowInputDialog(u"Timeout", u"How long?", u"");
    user.join();
    EXPECT_TRUE(found);
    EXPECT_FALSE(forced);
    return text;
}

void Type(HWND field, const wchar_t* text) {
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void PostKey(HWND target, UINT vk) {
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
}

TEST(InputDialog, AnswersByWayOfClosing) {
    struct Case {
        const char* name;
        std::function<void(HWND)> answer;
        std::u16string expected;
    };
    const Case cases[] = {
        {"OK button",
         [](HWND d) {
             Type(Field(d), L" 250 ms ");
             SendMessageW(GetDlgItem(d, 1000), BM_CLICK, 0, 0);
         },
         u" 250 ms "},
        {"Enter",
         [](HWND d) {
             Type(Field(d), L"49");
             PostKey(Field(d), VK_RETURN);
         },
         u"49"},
        {"Escape",
         [](HWND d) {
             Type(Field(d), L"49");
             PostKey(Field(d), VK_ESCAPE);
         },
         u""},
        {"close box",
         [](HWND d) {
             Type(Field(d), L"49");
             PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
         },
         u""},
        {"close request",
         [](HWND d) {
             Type(Field(d), L"49");
             PostMessageW(d, WM_CLOSE, 0, 0);
         },
         u""},
        {"empty OK", [](HWND d) { PostKey(Field(d), VK_RETURN); }, u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AskAndAnswer(c.answer), c.expected) << c.name;
        EXPECT_EQ(FindWindowW(L"InputRequester", nullptr), nullptr) << c.name;
    }
}

LONG FontHeight(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    return font.lfHeight;
}

// The English layout; moved to a screen at 200 %, doubled in a font twice as large.
TEST(InputDialog, LayoutAndFocus) {
    RECT window{}, field{}, button{}, moved{}, movedButton{};
    LONG font = 0, movedFont = 0;
    bool focusInField = false;
    wchar_t title[32] = {};
    AskAndAnswer([&](HWND d) {
        GetWindowRect(d, &window);
        GetWindowRect(Field(d), &field);
        GetWindowRect(GetDlgItem(d, 1000), &button);
        GetWindowTextW(d, title, 32);
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(d, nullptr), &info);
        focusInField = info.hwndFocus == Field(d);
        font = FontHeight(Field(d));
        RECT suggested{100, 50, 1100, 330};
        SendMessageW(d, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
        GetWindowRect(d, &moved);
        GetWindowRect(GetDlgItem(d, 1000), &movedButton);
        MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&movedButton), 2);
        movedFont = FontHeight(Field(d));
        PostMessageW(d, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(window.right - window.left, 500);
    EXPECT_EQ(window.bottom - window.top, 140);
    EXPECT_EQ(window.left, GetSystemMetrics(SM_CXSCREEN) / 2 - 250);
    EXPECT_EQ(window.top, GetSystemMetrics(SM_CYSCREEN) / 2 - 70);
    EXPECT_EQ(field.right - field.left, 465);
    EXPECT_EQ(field.bottom - field.top, 21);
    EXPECT_EQ(button.right - button.left, 80);
    EXPECT_EQ(button.bottom - button.top, 25);
    EXPECT_STREQ(title, L"Timeout");
    EXPECT_TRUE(focusInField);
    const RECT suggested{100, 50, 1100, 330}, doubledButton{420, 134, 580, 184};
    EXPECT_TRUE(EqualRect(&moved, &suggested));
    EXPECT_TRUE(EqualRect(&movedButton, &doubledButton));
    EXPECT_NEAR(movedFont, 2 * font, 1);
}

TEST(InputDialog, DefaultTextIsKeptAndVisibleWindowsAreDisabledMeanwhile) {
    HWND other = OpenPlainWindow(GetModuleHandleW(nullptr), DefWindowProcW, L"QuilletOther",
                                 L"other", WS_CAPTION | WS_VISIBLE, 10, 10, 200, 100);
    ASSERT_NE(other, nullptr);
    std::atomic<bool> disabledMeanwhile{true};
    std::thread user([&] {
        HWND d = FindWithin(L"InputRequester", 1000);
        if (!d) return;
        disabledMeanwhile = !IsWindowEnabled(other);
        PostKey(Field(d), VK_RETURN);
        ForceClosed(d);
    });
    EXPECT_EQ(ShowInputDialog(u"t", u"p", u"300"), u"300");
    user.join();
    EXPECT_TRUE(disabledMeanwhile);
    EXPECT_TRUE(IsWindowEnabled(other));
    DestroyWindow(other);
}

TEST(MessageBoxDialog, ReturnsTheButtonChosen) {
    std::thread user([] {
        if (HWND box = FindWithin(L"#32770", IDNO)) PostMessageW(box, WM_COMMAND, IDNO, 0);
    });
    EXPECT_EQ(
        ShowMessageBox(u"Restart required.", u"Should Quillet restart right now?", MessageBoxYesNo),
        AnswerNo);
    user.join();
    std::thread yes([] {
        if (HWND box = FindWithin(L"#32770", IDYES)) PostMessageW(box, WM_COMMAND, IDYES, 0);
    });
    EXPECT_EQ(
        ShowMessageBox(u"Restart required.", u"Should Quillet restart right now?", MessageBoxYesNo),
        AnswerYes);
    yes.join();
}

}  // namespace
}  // namespace quillet
#endif
