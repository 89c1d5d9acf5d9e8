#include "app/shell_win32.h"

#include <windows.h>

#include "ui/dialogs.h"
#include "ui/tray_menu.h"

namespace quillet {

namespace {
constexpr UINT kClickDelayMs = 20;
}  // namespace

Win32Shell::Win32Shell(const Language& language)
    : language_(language), inFront_(GetCurrentProcessId()) {}

// Windows tells of each new foreground window while the thread waits for messages;
// Wine never does, and then the hook and the menu's own look are all there is.
void Win32Shell::OpenMainWindow() {
    tray_.Open(u"quillet");
    WatchForeground(inFront_);
}
void Win32Shell::CloseMainWindow() {
    StopWatchingForeground();
    tray_.Close();
}

void Win32Shell::AddTrayIcon() { tray_.AddIcon(u"Quillet"); }
void Win32Shell::RemoveTrayIcon() { tray_.RemoveIcon(); }

void Win32Shell::BuildMenu() {
    tray_.BuildMenu(TrayMenuEntries([this](const char16_t* context, const char16_t* label) {
        return language_.Text(label, context);
    }));
}

void Win32Shell::SetMenuItemChecked(int32_t menuId, bool on) { tray_.SetItemChecked(menuId, on); }
void Win32Shell::SetMenuItemGreyed(int32_t menuId, bool on) { tray_.SetItemGreyed(menuId, on); }
void Win32Shell::ShowMenu() { tray_.ShowMenu(); }

void Win32Shell::Listen(TrayListener* listener) { tray_.Listen(listener); }
void Win32Shell::WaitMessage() { WaitWindowMessage(); }
void Win32Shell::StartClickTimer() { tray_.StartTimer(kClickDelayMs); }
void Win32Shell::StopClickTimer() { tray_.StopTimer(); }

// Before the menu takes the foreground, the window in front is the user's.
ProgramDescription Win32Shell::DescribeProgramInFront() {
    NoteForegroundWindow(inFront_);
    const WindowHandle last = inFront_.Last();
    return last ? DescribeProgram(last) : ProgramDescription{};
}

void Win32Shell::SetMenuItemText(int32_t menuId, const std::u16string& label) {
    tray_.SetItemText(menuId, label);
}

int Win32Dialogs::ShowMessage(const std::u16string& title, const std::u16string& text, int style) {
    return ShowMessageBox(title, text, static_cast<uint32_t>(style));
}

void Win32Dialogs::ShowRecentKeys(const RecentKeysTexts& texts) { ShowRecentKeysWindow(texts); }

std::u16string Win32Dialogs::AskText(const std::u16string& title, const std::u16string& prompt) {
    const bool translated = language_.Tag() != "en";
    return ShowInputDialog(title, prompt, u"", language_.Text(u"OK"), translated);
}

}  // namespace quillet
