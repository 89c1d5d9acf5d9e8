// startup_steps: Quillet's start-up, step by step, with the layers Quillet.exe
// itself uses, writing when each step ended and what the process held then.
// Started by startup_probe (it installs the same F5 hook at the end, so the
// probe's reading and this timeline cover the same run).
//
//   startup_steps <log-file>
//
// Each log line: "<step> at_ms=<absolute QPC ms> working_set_kb=<n> threads=<n>".
// Under Wine the working set is the hosting Linux process's VmRSS.
#include <windows.h>
// After windows.h; the lean headers leave these out.
#include <commctrl.h>
#include <ole2.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>

#include "sound/clips.h"
#include "sound/sound_layer.h"
#include "ui/tray_window_win32.h"

namespace quillet {
namespace {

FILE* out = nullptr;

double NowMs() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) * 1000.0 / double(f.QuadPart);
}

int ThreadCount() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

void Step(const char* name) {
    double at = NowMs();
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    if (!out) return;
    std::fprintf(out, "%s at_ms=%.3f working_set_kb=%lu threads=%d\n", name, at,
                 (unsigned long)(counters.WorkingSetSize / 1024), ThreadCount());
    std::fflush(out);
}

LRESULT CALLBACK SwallowF5(int code, WPARAM message, LPARAM data) {
    LRESULT chained = CallNextHookEx(nullptr, code, message, data);
    if (code == HC_ACTION && reinterpret_cast<KBDLLHOOKSTRUCT*>(data)->vkCode == VK_F5) return 1;
    return chained;
}

}  // namespace
}  // namespace quillet

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace quillet;
    if (__argc >= 2) out = _wfopen(__wargv[1], L"w");
    Step("entry");
    OleInitialize(nullptr);
    Step("ole_initialize");
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    Step("common_controls");
    TheSoundPlayer().Start();
    Step("sound_engine_init");
    TheSoundPlayer().RegisterOggVorbisDecoder();
    DecodedClip(Clip::On);
    DecodedClip(Clip::Off);
    Step("decode_clips");
    HMODULE speech = LoadLibraryW(L"UniversalSpeech.dll");
    if (speech) GetProcAddress(speech, "speechSay");
    Step("load_speech_library");
    static TrayWindow tray;
    tray.Open(u"quillet");
    Step("hidden_window");
    tray.AddIcon(u"Quillet");
    Step("tray_icon");
    tray.BuildMenu({{MenuEntry::Item, 1, u"Item"}});
    Step("menu");
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, SwallowF5, GetModuleHandleW(nullptr), 0);
    Step(hook ? "hook" : "hook_failed");
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
