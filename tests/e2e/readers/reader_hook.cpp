// A screen reader's keyboard hook, as NVDA's works. Its modifier (Insert, Caps
// Lock) is trapped down and up; modifier+F12 is a command, trapped, that runs
// later on the main thread; Escape is browse mode's key that the reader traps
// and passes on by sending it again after a delay (an up first while the key is
// still held). Injected keys and every other key pass. With "focus", it starts
// in focus mode, as on a web page's form field: the first Escape is trapped and
// kept, only switching to browse mode.
// With "eat-up=<vk>,<n>", it swallows the n-th release of that key, as a hook that
// loses a release would (only on top of Quillet's is that seen by Quillet).
// Usage: reader_hook.exe <log file> <re-send delay in ms> [focus|eat-up=<vk>,<n>]
// Logs "hooked", "command F12", "kept 27", "resend 27" and "ate up <vk>".
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace {

constexpr UINT kCommandMessage = WM_APP;
constexpr UINT kKeptMessage = WM_APP + 1;

std::wstring logPath;
DWORD mainThread = 0;
std::chrono::milliseconds resendDelay{0};

// Touched by the hook procedure only.
bool modifierHeld = false;
bool focusMode = false;
DWORD eatUpVk = 0;
int eatUpCountdown = 0;
std::set<DWORD> trapped;  // keys whose down we kept: their up is kept too

// Shared with the sender thread.
std::mutex mutex;
std::condition_variable due;
std::deque<std::chrono::steady_clock::time_point> resends;
bool escapeHeld = false;

void Log(const char* line) {
    std::lock_guard lock(mutex);
    if (FILE* f = _wfopen(logPath.c_str(), L"ab")) {
        std::fprintf(f, "%s\n", line);
        std::fclose(f);
    }
}

void SendEscape(DWORD flags) { keybd_event(VK_ESCAPE, 0, flags, 0); }

// Sends each trapped Escape again once its delay is over, in order.
void RunSender() {
    std::unique_lock lock(mutex);
    for (;;) {
        due.wait(lock, [] { return !resends.empty(); });
        const auto at = resends.front();
        if (due.wait_until(lock, at, [&] { return resends.front() != at; })) continue;
        resends.pop_front();
        const bool held = escapeHeld;
        lock.unlock();
        if (held) SendEscape(KEYEVENTF_KEYUP);
        SendEscape(0);
        SendEscape(KEYEVENTF_KEYUP);
        Log("resend 27");
        lock.lock();
    }
}

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (code != HC_ACTION || (key->flags & LLKHF_INJECTED)) {
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
    const DWORD vk = key->vkCode;
    if (!down && vk == eatUpVk && eatUpCountdown > 0 && --eatUpCountdown == 0) {
        Log("ate up");
        return 1;
    }
    if (vk == VK_INSERT || vk == VK_CAPITAL) {
        modifierHeld = down;
        return 1;
    }
    if (!down && trapped.erase(vk)) {
        if (vk == VK_ESCAPE) {
            std::lock_guard lock(mutex);
            escapeHeld = false;
        }
        return 1;
    }
    if (down && modifierHeld && vk == VK_F12) {
        trapped.insert(vk);
        PostThreadMessageW(mainThread, kCommandMessage, vk, 0);
        return 1;
    }
    if (down && !modifierHeld && vk == VK_ESCAPE) {
        trapped.insert(vk);
        if (focusMode) {
            focusMode = false;
            PostThreadMessageW(mainThread, kKeptMessage, vk, 0);
            return 1;
        }
        {
            std::lock_guard lock(mutex);
            escapeHeld = true;
            resends.push_back(std::chrono::steady_clock::now() + resendDelay);
        }
        due.notify_one();
        return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    logPath = argv[1];
    resendDelay = std::chrono::milliseconds(_wtoi(argv[2]));
    focusMode = argc > 3 && std::wstring(argv[3]) == L"focus";
    if (argc > 3) swscanf(argv[3], L"eat-up=%lu,%d", &eatUpVk, &eatUpCountdown);
    mainThread = GetCurrentThreadId();
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, for the commands
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardProc, GetModuleHandleW(nullptr), 0);
    if (!hook) return 1;
    std::thread(RunSender).detach();
    Log("hooked");
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == kCommandMessage) Log("command F12");
        if (msg.message == kKeptMessage) Log("kept 27");
        DispatchMessageW(&msg);
    }
    UnhookWindowsHookEx(hook);
    return 0;
}
