// The five exports of the speech library, with the C calling convention, as the
// program calls them: two 32-bit arguments each, but one for brailleDisplay.
#include <windows.h>

#include <string>

#include "call_log.h"
#include "speaking_thread.h"

namespace quillet {
namespace {

// A few settings remembered so that speechGetValue answers what was set.
struct Setting {
    int what;
    int value;
};
Setting settings[16];
int settingCount = 0;
SRWLOCK settingsLock = SRWLOCK_INIT;

std::wstring Number(int n) { return std::to_wstring(n); }

std::wstring Text(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }

}  // namespace
}  // namespace quillet

using namespace quillet;

extern "C" {

__declspec(dllexport) int __cdecl speechSay(const wchar_t* text, int interrupt) {
    LogCall(L"speechSay " + Text(text));
#ifdef QUILLET_STANDIN_SLOW_SAY
    Sleep(2500);  // a reader that holds up its caller
#endif
    Speak(Text(text), interrupt != 0);
    return 1;
}

__declspec(dllexport) int __cdecl speechSetValue(int what, int value) {
    LogCall(L"speechSetValue " + Number(what) + L" " + Number(value));
    AcquireSRWLockExclusive(&settingsLock);
    int i = 0;
    while (i < settingCount && settings[i].what != what) ++i;
    if (i < static_cast<int>(sizeof settings / sizeof settings[0])) {
        settings[i] = Setting{what, value};
        if (i == settingCount) ++settingCount;
    }
    ReleaseSRWLockExclusive(&settingsLock);
    return 1;
}

__declspec(dllexport) int __cdecl speechGetValue(int what, int unused) {
    (void)unused;
    LogCall(L"speechGetValue " + Number(what));
    constexpr int kEngine = 0x40000;  // the engine in use: the route taken last
    if (what == kEngine) return RouteEngine();
    int value = 0;
    AcquireSRWLockShared(&settingsLock);
    for (int i = 0; i < settingCount; ++i) {
        if (settings[i].what == what) value = settings[i].value;
    }
    ReleaseSRWLockShared(&settingsLock);
    return value;
}

#ifndef QUILLET_STANDIN_WITHOUT_SPEECH_STOP
__declspec(dllexport) int __cdecl speechStop(int unused1, int unused2) {
    (void)unused1;
    (void)unused2;
    LogCall(L"speechStop");
    StopSpeaking();
    return 1;
}
#endif

#ifndef QUILLET_STANDIN_WITHOUT_BRAILLE_DISPLAY
// 0 when the reader in use shows no braille, as UniversalSpeech answers. The
// thread decides the route later, so the answer is what it found last.
__declspec(dllexport) int __cdecl brailleDisplay(const wchar_t* text) {
    LogCall(L"brailleDisplay " + Text(text));
    return ShowBraille(Text(text)) ? 1 : 0;
}
#endif

}  // extern "C"
