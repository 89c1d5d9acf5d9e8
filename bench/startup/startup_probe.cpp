// startup_probe: measures how long a resident program takes from process
// creation to its low-level keyboard hook being in place.
//
//   startup_probe [--interval MS] [--limit MS] [--mutex NAME] [--keep] [--burst N]
//                 <exe> [args...]
//
// The probe owns a visible foreground window, starts <exe> with CreateProcess
// and, every --interval ms (default 2), injects F5 down, F5 up, F24 down,
// F24 up with SendInput. F24 is a marker no hook here swallows: once its
// press reaches the window, so has F5's press unless a hook swallowed it.
// The first probe whose F5 press goes missing dates the hook. Prints one
// line "hook_ms=<ms> passed_ms=<ms> probes=<n> pid=<pid> start_ms=<ms>", where
// passed_ms is the last probe whose F5 still arrived, so the hook came in
// between, and start_ms is the QPC reading (ms) just before CreateProcess.
// With --burst N, once the hook is in, N key events (taps of F5 and A in turn,
// one SendInput each) and then the marker are injected, and the line adds
// burst_ms, the time until the marker's press arrived: the cost of N events
// through the program's hook. The child is ended afterwards unless --keep. --mutex fails at once
// when the named mutex exists, so a leftover instance cannot spoil a run.
#include <windows.h>
// After windows.h; the lean headers leave these out.
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace quillet {
namespace {

const UINT probeKey = VK_F5;
const UINT markerKey = VK_F24;

bool probeArrived = false;
bool markerArrived = false;

LRESULT CALLBACK ProbeProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) {
        if (wParam == probeKey) probeArrived = true;
        if (wParam == markerKey) markerArrived = true;
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

double Frequency() {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(f.QuadPart);
}

double NowMs() {
    static const double perMs = Frequency() / 1000.0;
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / perMs;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Pumps messages until the marker press arrives or limitMs passes.
bool WaitForMarker(double limitMs) {
    double end = NowMs() + limitMs;
    for (;;) {
        Pump();
        if (markerArrived) return true;
        double left = end - NowMs();
        if (left <= 0) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(left) + 1, QS_ALLINPUT);
    }
}

void AddKey(INPUT* input, UINT vk, bool down) {
    *input = INPUT{};
    input->type = INPUT_KEYBOARD;
    input->ki.wVk = WORD(vk);
    input->ki.wScan = WORD(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input->ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
}

// One probe: F5 then the marker. 1 = F5 arrived, 0 = swallowed, -1 = the
// marker never came (keys no longer reach this window).
int Probe() {
    INPUT inputs[4];
    AddKey(&inputs[0], probeKey, true);
    AddKey(&inputs[1], probeKey, false);
    AddKey(&inputs[2], markerKey, true);
    AddKey(&inputs[3], markerKey, false);
    probeArrived = markerArrived = false;
    if (SendInput(4, inputs, sizeof inputs[0]) != 4) return -1;
    // Generous: a hook that is being installed may hold input for a while.
    if (!WaitForMarker(5000)) return -1;
    return probeArrived ? 1 : 0;
}

// N events through the hook, then the marker; ms until the marker arrived, or -1.
double Burst(int events) {
    const UINT keys[2] = {probeKey, 'A'};
    markerArrived = false;
    const double start = NowMs();
    for (int n = 0; n < events; ++n) {
        INPUT input;
        AddKey(&input, keys[(n / 2) % 2], n % 2 == 0);
        if (SendInput(1, &input, sizeof input) != 1) return -1;
        Pump();
    }
    INPUT marker[2];
    AddKey(&marker[0], markerKey, true);
    AddKey(&marker[1], markerKey, false);
    if (SendInput(2, marker, sizeof marker[0]) != 2 || !WaitForMarker(60000)) return -1;
    return NowMs() - start;
}

HWND OpenProbeWindow(HINSTANCE instance) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"QuilletStartupProbe";
    if (!RegisterClassW(&wc)) return nullptr;
    HWND window =
        CreateWindowExW(0, wc.lpszClassName, L"startup probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20,
                        20, 300, 120, nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    SetFocus(window);
    return window;
}

std::wstring Quoted(const std::wstring& word) {
    return word.find_first_of(L" \t") == std::wstring::npos ? word : L"\"" + word + L"\"";
}

std::wstring FolderOf(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

int Fail(const char* what) {
    std::fprintf(stderr, "startup_probe: %s\n", what);
    return 1;
}

struct Options {
    double intervalMs = 2;
    double limitMs = 20000;
    bool keep = false;
    int burst = 0;
    std::wstring mutex;
    std::wstring commandLine;
    std::wstring folder;
};

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
    int i = 1;
    for (; i < argc && argv[i][0] == L'-' && argv[i][1] == L'-'; ++i) {
        std::wstring name = argv[i];
        if (name == L"--keep") {
            options.keep = true;
        } else if (i + 1 >= argc) {
            return false;
        } else if (name == L"--interval") {
            options.intervalMs = _wtof(argv[++i]);
        } else if (name == L"--limit") {
            options.limitMs = _wtof(argv[++i]);
        } else if (name == L"--burst") {
            options.burst = _wtoi(argv[++i]);
        } else if (name == L"--mutex") {
            options.mutex = argv[++i];
        } else {
            return false;
        }
    }
    if (i >= argc || options.intervalMs <= 0) return false;
    options.folder = FolderOf(argv[i]);
    options.commandLine = Quoted(argv[i]);
    for (++i; i < argc; ++i) options.commandLine += L" " + Quoted(argv[i]);
    return true;
}

int Measure(const Options& options) {
    if (!options.mutex.empty()) {
        HANDLE existing = OpenMutexW(SYNCHRONIZE, FALSE, options.mutex.c_str());
        if (existing) {
            CloseHandle(existing);
            return Fail("the program's mutex exists: an instance is still running");
        }
    }
    if (!OpenProbeWindow(GetModuleHandleW(nullptr))) return Fail("cannot open the probe window");
    // Keys must reach the window before the run starts, or nothing means anything.
    int ready = -1;
    for (int tries = 0; tries < 50 && ready != 1; ++tries) ready = Probe();
    if (ready != 1) return Fail("injected keys do not reach the probe window");

    std::wstring commandLine = options.commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    double start = NowMs();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        options.folder.empty() ? nullptr : options.folder.c_str(), &startup,
                        &child)) {
        return Fail("CreateProcess failed");
    }
    double passedMs = 0, hookMs = -1;
    int probes = 0;
    const char* error = nullptr;
    while (hookMs < 0 && !error) {
        double sent = NowMs();
        if (sent - start > options.limitMs) {
            error = "no hook within the time limit";
            break;
        }
        int result = Probe();
        ++probes;
        if (result == 0) {
            hookMs = sent - start;
        } else if (result < 0) {
            error = "injected keys stopped reaching the probe window";
        } else {
            passedMs = sent - start;
            if (WaitForSingleObject(child.hProcess, 0) == WAIT_OBJECT_0) {
                error = "the program ended before its hook was seen";
            }
            double next = sent + options.intervalMs;
            while (NowMs() < next) Sleep(1);
        }
    }
    double burstMs = -1;
    if (!error && options.burst > 0 && (burstMs = Burst(options.burst)) < 0) {
        error = "the burst's marker never arrived";
    }
    if (!options.keep || error) {
        TerminateProcess(child.hProcess, 0);
        WaitForSingleObject(child.hProcess, 10000);
    }
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    if (error) return Fail(error);
    std::printf("hook_ms=%.3f passed_ms=%.3f probes=%d pid=%lu start_ms=%.3f", hookMs, passedMs,
                probes, (unsigned long)child.dwProcessId, start);
    if (options.burst > 0) std::printf(" burst_ms=%.3f", burstMs);
    std::printf("\n");
    return 0;
}

}  // namespace
}  // namespace quillet

int wmain(int argc, wchar_t** argv) {
    using namespace quillet;
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: startup_probe [--interval MS] [--limit MS] [--mutex NAME] [--keep] "
                     "[--burst N] <exe> [args...]\n");
        return 2;
    }
    timeBeginPeriod(1);
    int code = Measure(options);
    std::fflush(stdout);
    timeEndPeriod(1);
    return code;
}
