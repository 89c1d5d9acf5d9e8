#include <windows.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "filter/hook_watchdog.h"
#include "filter/keyboard_hook.h"
#include "filter/millisecond_clock.h"
#include "filter/unseen_window_watch.h"
#include "runtime/module_path.h"
#include "runtime/window_lookup_win32.h"

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

constexpr DWORD kUnknownLevel = MAXDWORD;

// The integrity level of `process` (a SECURITY_MANDATORY_*_RID), or kUnknownLevel.
DWORD IntegrityLevel(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return kUnknownLevel;
    // The label and its SID in place: the hook thread allocates nothing.
    alignas(TOKEN_MANDATORY_LABEL)
        BYTE label[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    DWORD level = kUnknownLevel;
    if (GetTokenInformation(token, TokenIntegrityLevel, label, sizeof label, &size)) {
        const PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(label)->Label.Sid;
        const UCHAR count = *GetSidSubAuthorityCount(sid);
        if (count > 0) level = *GetSidSubAuthority(sid, count - 1);
    }
    CloseHandle(token);
    return level;
}

// Asked on the hook thread when the window in front changed: a few calls into the
// kernel, none of which waits for another program.
class Win32IntegrityLevels final : public IntegrityLevels {
  public:
    bool NotAboveOurs(uint32_t processId) override {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
        if (!process) return false;
        const DWORD level = IntegrityLevel(process);
        CloseHandle(process);
        return level != kUnknownLevel && level <= own_;
    }

  private:
    // Not known: no other process counts as ours.
    const DWORD own_ = [] {
        const DWORD level = IntegrityLevel(GetCurrentProcess());
        return level == kUnknownLevel ? DWORD{SECURITY_MANDATORY_UNTRUSTED_RID} : level;
    }();
};

// In dwExtraInfo of the no-op key we send.
constexpr ULONG_PTR kNoOpKeyMark = 0x51754E4F;

// Hears of each window the check finds in front: keeps its program's name for the
// decisions' list, and tells the menu's listener.
class NamingListener final : public FrontWindowListener {
  public:
    NamingListener(ProgramNames& names, FrontWindowListener& next) : names_(names), next_(next) {}
    void Saw(WindowHandle window, const WindowOwner& owner) override {
        names_.Keep(owner.fileName);
        next_.Saw(window, owner);
    }

  private:
    ProgramNames& names_;
    FrontWindowListener& next_;
};

class Win32FilterPlatform;
// The hook thread's platform, for the foreground event. Made before the hook thread
// starts and gone after it, as the filter that asks it.
Win32FilterPlatform* hookPlatform = nullptr;

class Win32FilterPlatform final : public FilterPlatform {
  public:
    Win32FilterPlatform(const PublishedPrograms& programs, FrontWindowListener& inFront,
                        ProgramNames& names)
        : naming_(names, inFront),
          programCheck_(lookup_, programs, &naming_, GetCurrentProcessId()) {
        hookPlatform = this;
    }
    ~Win32FilterPlatform() override {
        if (hookPlatform == this) hookPlatform = nullptr;
    }

    // The hook thread reads no keyboard messages of its own, so its GetKeyState
    // view need not follow the desktop; the asynchronous state always does.
    bool IsKeyHeld(uint32_t vk) override {
        return (static_cast<uint16_t>(GetAsyncKeyState(static_cast<int>(vk))) & 0x8000) != 0;
    }
    int64_t ReadClock() override { return clock_.Read(); }
    void SendNoOpKey() override {
        INPUT keys[2] = {};
        for (INPUT& key : keys) {
            key.type = INPUT_KEYBOARD;
            key.ki.wVk = 0xFF;
            key.ki.dwExtraInfo = kNoOpKeyMark;
        }
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
    }
    // One GetForegroundWindow per key; the program is looked up when the window changed.
    bool ListedOrOwnWindowInFront() override { return programCheck_.ListedOrOwnWindowInFront(); }
    // A trapped modifier's release may be lost only in a window of a higher level.
    uint64_t ForegroundStamp() override { return unseenWatch_.Stamp(); }

    // The foreground event: whether keys typed in `window` may go unseen.
    bool CameToFront(HWND window) {
        programCheck_.ForegroundMoved();
        return unseenWatch_.CameToFront(reinterpret_cast<WindowHandle>(window));
    }
    uint64_t WindowInFront() override { return reinterpret_cast<uintptr_t>(GetForegroundWindow()); }

  private:
    PerformanceCounter counter_;
    MillisecondClock clock_{counter_};
    Win32WindowLookup lookup_;
    NamingListener naming_;
    ProgramGetsItsKeysCheck programCheck_;
    Win32IntegrityLevels levels_;
    UnseenWindowWatch unseenWatch_{lookup_, levels_};
};

constexpr wchar_t kWindowClass[] = L"QuilletKeyboardHook";
constexpr UINT kDropMessage = WM_APP;
constexpr UINT kWatchMessage = WM_APP + 1;
constexpr UINT_PTR kWatchdogTimer = 1;
constexpr UINT kSessionRetryMs = 1000;
// The hook thread's start is a window and a hook, a few ms even on a loaded machine;
// past this the hook counts as not installed. Its end is the hook and window going.
constexpr std::chrono::seconds kStartLimit{5};
constexpr std::chrono::milliseconds kEndLimit{1000};
constexpr DWORD kWtsSessionUnlock = 0x8;  // WTS_SESSION_UNLOCK
constexpr DWORD kNotifyForThisSession = 0;

// A function of a system library that older systems may lack; nullptr then.
template <typename Fn>
Fn Resolve(HMODULE library, const char* name) {
    return library ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)))
                   : nullptr;
}

HMODULE User32() { return GetModuleHandleW(L"user32.dll"); }

// Calls that older systems lack, looked up once on the main thread before the hook
// thread starts: the hook thread never enters the loader, whose lock a speech library's
// start-up may hold. wtsapi32 stays loaded for the process's life.
struct SessionCalls {
    BOOL(WINAPI* registerSession)(HWND, DWORD) = nullptr;
    BOOL(WINAPI* unregisterSession)(HWND) = nullptr;
    HANDLE(WINAPI* registerResume)(HANDLE, DWORD) = nullptr;
    BOOL(WINAPI* unregisterResume)(HANDLE) = nullptr;
};

const SessionCalls& ResolveSessionCalls() {
    static const SessionCalls calls = [] {
        SessionCalls c;
        const auto wtsapi = static_cast<HMODULE>(LoadSystemLibrary(u"wtsapi32.dll"));
        c.registerSession =
            Resolve<decltype(c.registerSession)>(wtsapi, "WTSRegisterSessionNotification");
        c.unregisterSession =
            Resolve<decltype(c.unregisterSession)>(wtsapi, "WTSUnRegisterSessionNotification");
        c.registerResume =
            Resolve<decltype(c.registerResume)>(User32(), "RegisterSuspendResumeNotification");
        c.unregisterResume =
            Resolve<decltype(c.unregisterResume)>(User32(), "UnregisterSuspendResumeNotification");
        return c;
    }();
    return calls;
}

int64_t Now() { return static_cast<int64_t>(GetTickCount64()); }

// Everything the hook thread owns. One at a time; the hook procedure and the
// window procedure find it through `running`.
struct HookThread {
    enum Start : int { Starting, Installed, Failed, Abandoned };

    DoublePressFilter* filter = nullptr;
    FilterFeedback* feedback = nullptr;
    std::u16string lostText;
    DWORD threadId = 0;
    HWND window = nullptr;
    HHOOK hook = nullptr;
    HookWatchdog watchdog;
    int64_t timerDue = HookWatchdog::kNever;
    bool sinkListens = false;
    // Settled once by whichever comes first: the thread's install or the main
    // thread giving up on it.
    std::atomic<int> start{Starting};
    std::promise<void> answered;
    std::promise<void> ended;  // the thread's last act
    std::future<void> end;     // the main thread's side of `ended`
    HWINEVENTHOOK desktopSwitch = nullptr;
    HWINEVENTHOOK foregroundChange = nullptr;
    std::thread thread;

    // The main thread's own: registrations that may wait (an RPC to the session
    // service), made there for the hook thread's window, and whether it stopped
    // waiting for the thread.
    const SessionCalls* calls = nullptr;
    bool sessionWatched = false;
    UINT_PTR sessionRetry = 0;
    HANDLE suspendResume = nullptr;
    bool leftBehind = false;
};

HookThread* running = nullptr;

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    HookThread& t = *running;
    t.watchdog.OnHookEvent(Now());
    // Our no-op key, sent after a swallow, passes before the filter sees it. Under
    // Wine it arrives from within that SendInput, while this procedure still runs.
    if (code == HC_ACTION &&
        reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)->dwExtraInfo == kNoOpKeyMark) {
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    return RunHook(
        *t.filter, code, static_cast<uint32_t>(wParam),
        [&] { return static_cast<intptr_t>(CallNextHookEx(nullptr, code, wParam, lParam)); },
        [&] {
            const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
            return HookKey{static_cast<uint32_t>(key->vkCode), (key->flags & LLKHF_INJECTED) != 0,
                           (key->flags & LLKHF_EXTENDED) != 0, static_cast<uint32_t>(key->time)};
        });
}

HHOOK SetHook() {
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardProc, GetModuleHandleW(nullptr), 0);
    // A low-level hook runs in this process and needs no module; some systems refuse
    // the module of an executable whose path is longer than MAX_PATH.
    if (!hook) hook = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardProc, nullptr, 0);
    return hook;
}

// Takes the hook out of the chain; the thread and its watchdog stay.
void RemoveHook(HookThread& t) {
    if (t.hook) UnhookWindowsHookEx(t.hook);
    t.hook = nullptr;
}

// Turns the raw-input keyboard sink on or off; answers whether it listens now.
bool ListenToKeyboard(HWND window, bool on) {
    RAWINPUTDEVICE keyboard{0x01, 0x06, static_cast<DWORD>(on ? RIDEV_INPUTSINK : RIDEV_REMOVE),
                            on ? window : nullptr};
    const bool done = RegisterRawInputDevices(&keyboard, 1, sizeof keyboard) != 0;
    return done ? on : !on;
}

// Asks the watchdog and acts on its answer, then sets the timer for its next question.
void Watch(HookThread& t) {
    const int64_t now = Now();
    const bool lost = ReinstallIfLost(t.watchdog, *t.filter, now, [&] {
        // Never two live hooks: the old one goes first, so no key is decided twice.
        RemoveHook(t);
        t.hook = SetHook();
        return t.hook != nullptr;
    });
    if (lost) t.feedback->Announce(t.lostText);
    const bool sink = t.watchdog.WantsSink(now);
    if (sink != t.sinkListens) t.sinkListens = ListenToKeyboard(t.window, sink);
    // The timer is touched only when the next check moves.
    const int64_t next = t.watchdog.NextCheck(now);
    if (next == t.timerDue) return;
    t.timerDue = next;
    if (next == HookWatchdog::kNever) {
        KillTimer(t.window, kWatchdogTimer);
    } else {
        const int64_t delay = next > now ? next - now : 0;
        SetTimer(t.window, kWatchdogTimer,
                 static_cast<UINT>(delay < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : delay),
                 nullptr);
    }
}

// A session unlock, a switch of the input desktop or a resume: the hook may be
// gone, and releases typed meanwhile went elsewhere.
void OnSessionChange(HookThread& t) {
    t.filter->ForgetHeldKeys();
    t.watchdog.OnSessionChange();
    Watch(t);
}

void CALLBACK OnDesktopSwitch(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
    OnSessionChange(*running);
}

// Also tells of a window that came and went between two keys (an elevated dialog
// opened and closed while the reader's modifier was held), which the window in
// front at the next key would not show.
void CALLBACK OnForegroundChange(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD) {
    if (running && hookPlatform && hookPlatform->CameToFront(window)) {
        running->filter->ForgetTrappedModifiers();
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HookThread* t = running;
    switch (message) {
        case WM_INPUT:
            if (t) {
                t->watchdog.OnRawKey(Now());
                Watch(*t);
            }
            break;  // DefWindowProc frees the input
        case WM_TIMER:
            if (t && wParam == kWatchdogTimer) {
                KillTimer(window, kWatchdogTimer);  // one shot; Watch sets it again when needed
                t->timerDue = HookWatchdog::kNever;
                Watch(*t);
            }
            return 0;
        case WM_WTSSESSION_CHANGE:
            if (t && wParam == kWtsSessionUnlock) OnSessionChange(*t);
            return 0;
        case WM_POWERBROADCAST:
            if (t && (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND)) {
                OnSessionChange(*t);
            }
            return TRUE;
        case kWatchMessage:
            if (t) {
                // Out of context, its calls come to this thread; a local call that never waits.
                t->desktopSwitch =
                    SetWinEventHook(EVENT_SYSTEM_DESKTOPSWITCH, EVENT_SYSTEM_DESKTOPSWITCH, nullptr,
                                    OnDesktopSwitch, 0, 0, WINEVENT_OUTOFCONTEXT);
                t->foregroundChange =
                    SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                    OnForegroundChange, 0, 0, WINEVENT_OUTOFCONTEXT);
                Watch(*t);
            }
            return 0;
        case kDropMessage:
            if (t) RemoveHook(*t);  // the watchdog is not told
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RunHookThread(HookThread& t) {
    t.threadId = GetCurrentThreadId();
    // Windows drops a hook that misses LowLevelHooksTimeout too often. The top of the
    // dynamic range runs ahead of every busy thread of normal processes, foreground
    // boosts included; a hook call takes microseconds and the thread sleeps otherwise,
    // so it takes nothing from them.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    RegisterClassW(&wc);  // fails harmlessly when a previous hook thread registered it
    t.window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               wc.hInstance, nullptr);
    t.hook = SetHook();
    int starting = HookThread::Starting;
    const bool answeredInTime = t.start.compare_exchange_strong(
        starting, t.hook ? HookThread::Installed : HookThread::Failed);
    t.answered.set_value();
    if (t.hook && answeredInTime) {
        // Without its window the hook still works; only the watchdog is blind. The
        // watchdog is set up from the loop, so keys are served from the first moment.
        if (t.window) PostMessageW(t.window, kWatchMessage, 0, 0);

        // Hook calls arrive while PeekMessage runs; once they have returned their
        // decisions, the feedback they queued is handed on.
        // A hand-over that met the worker's queue taken is tried again a millisecond
        // later rather than waited for.
        for (bool quit = false, again = false; !quit;) {
            MsgWaitForMultipleObjectsEx(0, nullptr, again ? 1 : INFINITE, QS_ALLINPUT,
                                        MWMO_INPUTAVAILABLE);
            MSG msg;
            while (!quit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                quit = msg.message == WM_QUIT;
                if (!quit) DispatchMessageW(&msg);
            }
            again = t.feedback->HandOverAfterHookCall();
        }
    }

    // The main thread has unregistered what it registered for the window.
    RemoveHook(t);
    if (t.desktopSwitch) UnhookWinEvent(t.desktopSwitch);
    if (t.foregroundChange) UnhookWinEvent(t.foregroundChange);
    if (t.sinkListens) ListenToKeyboard(t.window, false);
    if (t.window) DestroyWindow(t.window);
    t.ended.set_value();
}

void CALLBACK RetrySessionRegistration(HWND, UINT, UINT_PTR, DWORD);

// On the main thread, for the hook thread's window: the call is an RPC to the session
// service and may block, which no key must wait for. Early at logon that service is
// not up yet and the call fails with RPC_S_INVALID_BINDING: asked again every second
// until it is.
void RegisterSession(HookThread& t) {
    if (!t.calls->registerSession) return;
    t.sessionWatched = t.calls->registerSession(t.window, kNotifyForThisSession) != 0;
    const bool retry = !t.sessionWatched && GetLastError() == RPC_S_INVALID_BINDING;
    if (retry && !t.sessionRetry) {
        t.sessionRetry = SetTimer(nullptr, 0, kSessionRetryMs, RetrySessionRegistration);
    } else if (!retry && t.sessionRetry) {
        KillTimer(nullptr, t.sessionRetry);
        t.sessionRetry = 0;
    }
}

void CALLBACK RetrySessionRegistration(HWND, UINT, UINT_PTR, DWORD) {
    if (running) RegisterSession(*running);
}

// The watchdog's signals besides the raw keys and the desktop switch: session unlock
// and resume from sleep, each looked up at run time as older systems lack some.
void WatchSession(HookThread& t) {
    RegisterSession(t);
    if (t.calls->registerResume) {
        t.suspendResume = t.calls->registerResume(t.window, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
}

// Before the window goes, so nothing is left registered for a destroyed window.
void UnwatchSession(HookThread& t) {
    if (t.sessionRetry) KillTimer(nullptr, t.sessionRetry);
    t.sessionRetry = 0;
    if (t.suspendResume && t.calls->unregisterResume) t.calls->unregisterResume(t.suspendResume);
    t.suspendResume = nullptr;
    if (t.sessionWatched && t.calls->unregisterSession) t.calls->unregisterSession(t.window);
    t.sessionWatched = false;
}

// Waits at most kEndLimit for the thread's end. A thread that outlasts it is left
// behind with its record, which stays `running` for its procedures and is never freed.
void EndHookThread(HookThread* t) {
    if (t->end.wait_for(kEndLimit) == std::future_status::timeout) {
        t->thread.detach();
        t->leftBehind = true;
        return;
    }
    t->thread.join();
    running = nullptr;
    delete t;
}

}  // namespace

std::unique_ptr<FilterPlatform> SystemFilterPlatform(const PublishedPrograms& programs,
                                                     FrontWindowListener& inFront,
                                                     ProgramNames& names) {
    return std::make_unique<Win32FilterPlatform>(programs, inFront, names);
}

bool StartKeyboardHook(DoublePressFilter& filter, FilterFeedback& feedback,
                       std::u16string_view lostText) {
    if (running) return !running->leftBehind;
    auto* t = new HookThread;
    t->filter = &filter;
    t->feedback = &feedback;
    t->lostText = lostText;
    t->calls = &ResolveSessionCalls();
    running = t;
    std::future<void> answer = t->answered.get_future();
    t->end = t->ended.get_future();
    t->thread = std::thread(RunHookThread, std::ref(*t));
    int starting = HookThread::Starting;
    if (answer.wait_for(kStartLimit) == std::future_status::timeout &&
        t->start.compare_exchange_strong(starting, HookThread::Abandoned)) {
        // The thread sees this once it answers, and takes its hook out again.
        t->thread.detach();
        t->leftBehind = true;
        return false;
    }
    // Settled by the thread, with its window and hook, whether the wait ended in time or not.
    if (t->start == HookThread::Installed) {
        if (t->window) WatchSession(*t);
        return true;
    }
    EndHookThread(t);
    return false;
}

void StopKeyboardHook() {
    HookThread* t = running;
    if (!t || t->leftBehind) return;
    if (t->window) UnwatchSession(*t);
    // The thread's queue exists since it installed the hook, so the message cannot be lost.
    PostThreadMessageW(t->threadId, WM_QUIT, 0, 0);
    EndHookThread(t);
}

void DropKeyboardHookForTest() {
    if (running && running->window) PostMessageW(running->window, kDropMessage, 0, 0);
}

}  // namespace quillet
