// The program's hidden window "quillet" (class WindowClass_0), its notification-area
// icon, its popup menu and its click timer; what happens to them goes to a
// TrayListener as calls. Main thread only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/tray_window.h"

namespace quillet {

class TrayWindow {
  public:
    TrayWindow() = default;
    ~TrayWindow() { Close(); }
    TrayWindow(const TrayWindow&) = delete;
    TrayWindow& operator=(const TrayWindow&) = delete;

    // Creates the window hidden, maximised and centred on the screen. It lets in the
    // exit request from programs of lower integrity.
    bool Open(const std::u16string& title);
    // Removes the icon, frees the menu and destroys the window.
    void Close();
    HWND Handle() const { return window_; }
    // Where the window's calls go from now on; none drops them.
    void Listen(TrayListener* listener) { listener_ = listener; }

    // A black square with the tooltip's first 63 characters, under the next id from 1.
    // False when the notification area refuses it: then it is added again at each
    // TaskbarCreated and on a timer (see IconRetry) until it is taken.
    bool AddIcon(const std::u16string& tooltip);
    bool HasIcon() const { return shown_; }
    // Also ends the retries.
    void RemoveIcon();

    void BuildMenu(const std::vector<MenuEntry>& entries);
    HMENU Menu() const { return menu_; }
    // All three reach into the submenu.
    void SetItemChecked(int32_t id, bool on);
    void SetItemGreyed(int32_t id, bool on);
    // The label, "&" marking its mnemonic; its marks stay.
    void SetItemText(int32_t id, const std::u16string& label);
    // Shows the window maximised while the menu is tracked at the pointer, then hides
    // it. True when an item was chosen: its call comes from the message loop. A menu
    // dismissed with nothing else in front gives the keyboard back to the notification
    // area. Clicks on the icon that came meanwhile, the user closing the menu, are
    // dropped.
    bool ShowMenu();

    void StartTimer(UINT intervalMs);
    void StopTimer();

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool NotifyIcon(DWORD action, UINT flags) const;
    void PutIconInTray();
    UINT ShownIconId() const { return shown_ ? iconId_ : 0; }

    HWND window_ = nullptr;
    HICON classIcon_ = nullptr;
    HICON icon_ = nullptr;
    HMENU menu_ = nullptr;
    UINT iconId_ = 0;     // the wanted icon's, 0 for none
    bool shown_ = false;  // the notification area holds it
    IconRetry retry_;
    UINT lastIconId_ = 0;
    UINT taskbarCreated_ = 0;
    UINT exitRequest_ = 0;
    std::u16string tooltip_;
    TrayListener* listener_ = nullptr;
};

// Waits for the thread's next message and dispatches it.
void WaitWindowMessage();

// An elevated process hears nothing the shell, running at normal integrity, sends
// it unless it lets the message in: AddIcon lets in the icon's callback and the
// taskbar's re-creation broadcast, Open the exit request. Tests swap the call to see what is let
// in; returns the call it replaces.
using MessageAllowance = void (*)(HWND window, UINT message);
MessageAllowance SetMessageAllowance(MessageAllowance allowance);

// Asked before each add of the icon; false refuses the add as a shell that is not up
// yet would. For the fault build and the tests; returns the gate it replaces.
using IconAddGate = bool (*)();
IconAddGate SetIconAddGateForTest(IconAddGate gate);

}  // namespace quillet
