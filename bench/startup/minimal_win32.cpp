// minimal_win32: the smallest resident Win32 program, built like Quillet.exe
// (i686, static, GUI subsystem, wWinMain), as the yardstick for Quillet's
// start-up time and idle cost: a hidden window and a message loop.
//
// "minimal_win32 /hook" also installs a low-level keyboard hook that
// swallows F5, so startup_probe can see when it is ready the same way it
// sees Quillet's hook, which swallows a first press of F5.
//
// "minimal_win32 /floor" is the floor for Quillet's idle cost: the same system
// services on its one thread, without Quillet's own work. COM, the common
// controls, a tray icon, the hook (every key passes but the probe's F5), and an
// audio device that plays silence for a second and is then stopped.
// "/floor /speech" also loads the speech library beside it and speaks once, as
// Quillet does for the probe's first F5: the library's own speaking thread and
// memory then count on both sides.
#include <windows.h>
// Windows' own first, then the headers that build on it.
#include <commctrl.h>
#include <miniaudio.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "tests/support/plain_window_win32.h"

namespace quillet {
namespace {

HHOOK hook = nullptr;
ma_context context;
ma_device device;

LRESULT CALLBACK SwallowF5(int code, WPARAM message, LPARAM data) {
    LRESULT chained = CallNextHookEx(nullptr, code, message, data);
    if (code == HC_ACTION && reinterpret_cast<KBDLLHOOKSTRUCT*>(data)->vkCode == VK_F5) return 1;
    return chained;
}

void SilenceOut(ma_device*, void* out, const void*, ma_uint32 frames) {
    std::memset(out, 0, frames * ma_get_bytes_per_frame(ma_format_f32, 2));
}

void CALLBACK StopDevice(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    ma_device_stop(&device);
}

void StartFloorServices(HWND window) {
    OleInitialize(nullptr);
    // A multithreaded apartment, as Quillet's output thread has, without a thread of its
    // own: the audio library's threads create their COM objects in it.
    using IncrementMtaUsage = HRESULT(WINAPI*)(void**);
    void* mtaCookie = nullptr;
    if (auto increment = reinterpret_cast<IncrementMtaUsage>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"ole32.dll"), "CoIncrementMTAUsage")))) {
        increment(&mtaCookie);
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = 1;
    icon.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    icon.uCallbackMessage = WM_APP;
    icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    std::wcscpy(icon.szTip, L"floor");
    Shell_NotifyIconW(NIM_ADD, &icon);

    ma_device_config config = ma_device_config_init(ma_device_type_playback);
    config.playback.format = ma_format_f32;
    config.playback.channels = 2;
    config.dataCallback = SilenceOut;
    // WASAPI, as Quillet's device gets.
    const ma_backend wasapi = ma_backend_wasapi;
    if (ma_context_init(&wasapi, 1, nullptr, &context) == MA_SUCCESS &&
        ma_device_init(&context, &config, &device) == MA_SUCCESS &&
        ma_device_start(&device) == MA_SUCCESS) {
        SetTimer(nullptr, 0, 1000, StopDevice);
    }
}

void SpeakOnce() {
    using SpeechSay = int(__cdecl*)(const wchar_t*, int);
    HMODULE library = LoadLibraryW(L"UniversalSpeech.dll");
    if (!library) return;
    if (auto say = reinterpret_cast<SpeechSay>(
            reinterpret_cast<void*>(GetProcAddress(library, "speechSay")))) {
        say(L"F5", 1);
    }
}

}  // namespace
}  // namespace quillet

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace quillet;
    HWND window = OpenPlainWindow(instance, EndLoopOnDestroy, L"QuilletMinimal", L"minimal",
                                  WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
    if (!window) return 1;
    const bool floor = __argc >= 2 && _wcsicmp(__wargv[1], L"/floor") == 0;
    if (floor) StartFloorServices(window);
    if (floor && __argc >= 3 && _wcsicmp(__wargv[2], L"/speech") == 0) SpeakOnce();
    if (floor || (__argc >= 2 && _wcsicmp(__wargv[1], L"/hook") == 0)) {
        hook = SetWindowsHookExW(WH_KEYBOARD_LL, SwallowF5, GetModuleHandleW(nullptr), 0);
        if (!hook) return 1;
    }
    RunMessageLoop();
    if (hook) UnhookWindowsHookEx(hook);
    return 0;
}
