// Exercises the windowing layer as the program does and prints what it gets.
//   ui_probe input   shows the input dialog and prints ANSWER[<text>]
//   ui_probe tray    opens window 0, tray icon 0 and menu 0, prints each event
//                    as EVENT <kind> <type> <object>, opens the menu on a right
//                    click (MENU CLOSED 1 when an item was chosen, else 0) and
//                    ends on EventClose.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/tray_menu.h"
#include "runtime/text.h"
#include "ui/event_queue.h"
#include "ui/image.h"
#include "ui/menu.h"
#include "ui/requesters.h"
#include "ui/tray.h"
#include "ui/window.h"

using namespace quillet;

namespace {

void Print(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

int Input() {
    const std::u16string answer =
        InputRequester(u"Timeout", u"How long should Quillet wait for the second keypress?", u"");
    Print("ANSWER[" + Utf16ToUtf8(answer) + "]");
    return 0;
}

int Tray() {
    StartEventQueue();
    StartTrayLayer();
    StartWindowLayer();
    void* window = OpenWindow(0, 0, 0, -65535, -65535, u"quillet", 0x11000001);
    CreateImage(0, 32, 32, 24, 0x000000);
    const int added = AddTrayIcon(0, window, 0);
    SetTrayIconTooltip(0, u"Quillet");
    BuildTrayMenu(0);
    SetMenuItemChecked(0, 2, true);
    SetMenuItemGreyed(0, 2, true);
    Print(std::string("READY window=") + (window ? "1" : "0") + " tray=" + std::to_string(added));
    for (;;) {
        const int32_t kind = WaitWindowEvent(-1);
        if (kind < EventControl || kind > EventSize) continue;
        Print("EVENT " + std::to_string(kind) + " " + std::to_string(EventType()) + " " +
              std::to_string(EventObject()));
        if (kind == EventClose) break;
        if (kind == EventTray &&
            (EventType() == TrayRightClick || EventType() == TrayDeferredClick)) {
            ShowWindowNumber(0);
            Print("MENU OPEN");
            const bool chosen = ShowPopupMenu(0, WindowHandle(0));
            Print(std::string("MENU CLOSED ") + (chosen ? "1" : "0"));
            HideWindowNumber(0, 1);
        }
    }
    CloseWindow(0);
    EndTrayLayer();
    EndWindowLayer();
    EndEventQueue();
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
