#include <windows.h>

#include "app/feedback_output_win32.h"
#include "app/hook_wiring_win32.h"
#include "app/process_win32.h"
#include "app/run_at_logon_win32.h"
#include "app/run_quillet.h"
#include "app/settings_store_win32.h"
#include "app/shell_win32.h"

namespace {

// Libraries loaded by bare name come from our own folder and the system folder,
// never from the current directory or PATH. Our folder is trusted as far as
// Quillet.exe in it, and a full speech library finds there the screen readers'
// clients it keeps beside it. The system libraries we load ourselves go by full
// path. Looked up at run time, as Windows 7 without its loader update lacks the call.
void LimitLibrarySearch() {
    using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);
    auto call = reinterpret_cast<SetDefaultDllDirectoriesCall>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (call) call(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
}

}  // namespace

#ifdef QUILLET_FAULT_INJECTION
#include <cstdlib>
#include <thread>

#include "filter/keyboard_hook.h"
#include "sound/sound_layer.h"
#include "ui/tray_window_win32.h"

namespace {
HANDLE hangAudio = nullptr;
int iconAddsToRefuse = 0;

// Once the test sets the event, every start and stop of the audio device hangs for
// good, as in a driver whose output nobody takes.
void HangWhenAsked() {
    if (WaitForSingleObject(hangAudio, 0) == WAIT_OBJECT_0) Sleep(INFINITE);
}

// The first adds of the tray icon fail, as before the taskbar is up at sign-in.
bool RefuseFirstIconAdds() {
    if (iconAddsToRefuse <= 0) return true;
    --iconAddsToRefuse;
    return false;
}

// Each time the test sets the event, the hook goes as if Windows had removed it.
// QUILLET_TEST_REFUSED_ICON_ADDS=N makes the first N adds of the tray icon fail.
void StartFaultInjection() {
    wchar_t refused[16] = {};
    if (GetEnvironmentVariableW(L"QUILLET_TEST_REFUSED_ICON_ADDS", refused, 16) > 0) {
        iconAddsToRefuse = _wtoi(refused);
        quillet::SetIconAddGateForTest(RefuseFirstIconAdds);
    }
    hangAudio = CreateEventW(nullptr, TRUE, FALSE, L"QuilletTestHangAudio");
    if (hangAudio) quillet::SetSoundDeviceGateForTest(HangWhenAsked);
    HANDLE drop = CreateEventW(nullptr, FALSE, FALSE, L"QuilletTestDropHook");
    if (!drop) return;
    std::thread([drop] {
        while (WaitForSingleObject(drop, INFINITE) == WAIT_OBJECT_0)
            quillet::DropKeyboardHookForTest();
    }).detach();
}
}  // namespace
#endif

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LimitLibrarySearch();
#ifdef QUILLET_FAULT_INJECTION
    StartFaultInjection();
#endif
    using namespace quillet;
    static AppState state;
    static Win32Process process;
    static Win32SettingsStore settingsStore;
    static Win32Feedback feedback;
    static Win32Shell shell(state.language);
    static Win32Dialogs dialogs(state.language);
    static Win32KeyboardHook hook(state, feedback.Worker(), shell.InFront());
    static SystemRunAtLogonValues runAtLogon;
    RunQuillet({process, settingsStore, feedback, shell, dialogs, hook, shell, runAtLogon}, state);
    ExitProcess(0);
}
