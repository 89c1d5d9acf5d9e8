#include <windows.h>

#include "filter/keyboard_hook.h"
#include "filter/millisecond_clock.h"

namespace quillet {

namespace {

class PerformanceCounter final : public CounterSource {
public:
    bool QueryFrequency(int64_t& countsPerSecond) override {
        LARGE_INTEGER f;
        if (!QueryPerformanceFrequency(&f)) return false;
        countsPerSecond = f.QuadPart;
        return true;
    }
    int64_t QueryCounter() override {
        LARGE_INTEGER c;
        QueryPerformanceCounter(&c);
        return c.QuadPart;
    }
    uint32_t TickCount() override { return GetTickCount(); }
};

class Win32FilterPlatform final : public FilterPlatform {
public:
    bool IsKeyHeld(uint32_t vk) override {
        return (static_cast<uint16_t>(GetKeyState(static_cast<int>(vk))) & 0x8000) != 0;
    }
    int64_t ReadClock() override { return clock_.Read(); }

private:
    PerformanceCounter counter_;
    MillisecondClock clock_{counter_};
};

HHOOK hook = nullptr;
DoublePressFilter* activeFilter = nullptr;

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    return RunHook(
        *activeFilter, code, static_cast<uint32_t>(wParam),
        [&] { return static_cast<intptr_t>(CallNextHookEx(nullptr, code, wParam, lParam)); },
        [&] { return static_cast<uint32_t>(reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)->vkCode); });
}

}  // namespace

FilterPlatform& SystemFilterPlatform() {
    static Win32FilterPlatform platform;
    return platform;
}

bool InstallKeyboardHook(DoublePressFilter& filter) {
    activeFilter = &filter;
    hook = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardProc, GetModuleHandleW(nullptr), 0);
    // A low-level hook runs in this process and needs no module; some systems refuse
    // the module of an executable whose path is longer than MAX_PATH.
    if (!hook) hook = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardProc, nullptr, 0);
    return hook != nullptr;
}

void RemoveKeyboardHook() {
    if (hook) UnhookWindowsHookEx(hook);
    hook = nullptr;
}

}  // namespace quillet
