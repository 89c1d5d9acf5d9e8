#include <windows.h>

#include "app/desktop_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    static quillet::AppState state;
    static quillet::Win32Desktop desktop(state);
    quillet::RunQuillet(desktop, state);
    ExitProcess(0);
}
