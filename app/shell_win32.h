// The hidden window, its tray icon and menu, the program in front and the dialogs: the
// Shell, ProgramItem and Dialogs seams.
#pragma once

#include "app/seams.h"
#include "lang/language.h"
#include "ui/program_in_front.h"
#include "ui/tray_window_win32.h"

namespace quillet {

// The window and its menu, and who was in front before the menu took the foreground.
class Win32Shell final : public Shell, public ProgramItem {
  public:
    // The menu's labels in `language`, as it is when the menu is built.
    explicit Win32Shell(const Language& language);

    void OpenMainWindow() override;
    void CloseMainWindow() override;
    void AddTrayIcon() override;
    void RemoveTrayIcon() override;
    void BuildMenu() override;
    void SetMenuItemChecked(int32_t menuId, bool on) override;
    void SetMenuItemGreyed(int32_t menuId, bool on) override;
    void ShowMenu() override;
    void Listen(TrayListener* listener) override;
    void WaitMessage() override;
    void StartClickTimer() override;
    void StopClickTimer() override;
    ProgramDescription DescribeProgramInFront() override;
    void SetMenuItemText(int32_t menuId, const std::u16string& label) override;

    // Told of every window the hook sees come to the front.
    ProgramInFront& InFront() { return inFront_; }

  private:
    const Language& language_;
    TrayWindow tray_;
    ProgramInFront inFront_;
};

class Win32Dialogs final : public Dialogs {
  public:
    explicit Win32Dialogs(const Language& language) : language_(language) {}

    int ShowMessage(const std::u16string& title, const std::u16string& text, int style) override;
    std::u16string AskText(const std::u16string& title, const std::u16string& prompt) override;
    void ShowRecentKeys(const RecentKeysTexts& texts) override;

  private:
    const Language& language_;
};

}  // namespace quillet
