// Exercises the windowing layer as the program does and prints what it gets.
//   ui_probe input   shows the input dialog and prints ANSWER[<text>]
//   ui_probe tray    opens the tray window with its icon and menu and prints each
//                    call: CLICK left|right, COMMAND <id>, TIMER, ASKED TO CLOSE. A
//                    left click starts the click timer, a right click opens the menu
//                    (MENU CLOSED 1 when an item was chosen, else 0); it ends when
//                    asked to close.
#include <windows.h>

#include <cstdio>
#include <string>

#include "runtime/text.h"
#include "ui/dialogs.h"
#include "ui/tray_menu.h"
#include "ui/tray_window_win32.h"

using namespace quillet;

namespace {

void Print(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

int Input() {
    const std::u16string answer =
        ShowInputDialog(u"Timeout", u"How long should Quillet wait for the second keypress?", u"");
    Print("ANSWER[" + Utf16ToUtf8(answer) + "]");
    return 0;
}

struct Printer final : TrayListener {
    explicit Printer(TrayWindow& t) : tray(t) {}
    void OnTrayClick(TrayButton button) override {
        if (button == TrayButton::Left) {
            Print("CLICK left");
            tray.StartTimer(20);
            return;
        }
        Print("CLICK right");
        Print("MENU OPEN");
        const bool chosen = tray.ShowMenu();
        Print(std::string("MENU CLOSED ") + (chosen ? "1" : "0"));
    }
    void OnMenuCommand(int32_t id) override { Print("COMMAND " + std::to_string(id)); }
    void OnTimer() override {
        tray.StopTimer();
        Print("TIMER");
    }
    void OnClose() override {
        Print("ASKED TO CLOSE");
        closed = true;
    }
    void OnExitRequest() override {
        Print("ASKED TO EXIT");
        closed = true;
    }
    TrayWindow& tray;
    bool closed = false;
};

int Tray() {
    TrayWindow tray;
    const bool open = tray.Open(u"quillet");
    const bool added = tray.AddIcon(u"Quillet");
    tray.BuildMenu(TrayMenuEntries());
    tray.SetItemChecked(kMenuIgnoreOff, true);
    tray.SetItemGreyed(kMenuIgnoreOff, true);
    Printer printer(tray);
    tray.Listen(&printer);
    Print(std::string("READY window=") + (open ? "1" : "0") + " tray=" + (added ? "1" : "0"));
    while (!printer.closed) WaitWindowMessage();
    tray.Close();
    Print("CLOSED");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"input") return Input();
    if (mode == L"tray") return Tray();
    Print("usage: ui_probe input|tray");
    return 2;
}
