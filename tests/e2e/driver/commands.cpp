#include "commands.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>

#include "keys.h"
#include "output.h"
#include "shell_commands.h"
#include "speech_call.h"
#include "window_access.h"

namespace quillet {
namespace {

using Words = std::vector<std::wstring>;

const int pollMs = 20;

bool Key(const std::wstring& word, unsigned& vk) {
    vk = KeyByName(word);
    return vk != 0 || Fail(L"unknown key: " + word);
}

std::wstring Handle(HWND window) {
    return std::to_wstring(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(window)));
}

void PauseMs(double ms) {
    double end = ElapsedMs() + ms;
    // Sleep to within a couple of milliseconds, then spin for the rest.
    while (end - ElapsedMs() > 2.0) Sleep(1);
    while (ElapsedMs() < end) {
    }
}

bool Press(unsigned vk, bool down) {
    return SendKey(vk, down) || Fail(L"SendInput refused key " + std::to_wstring(vk));
}

// "<class> [title] <timeout>": the title is optional.
bool WindowPattern(const Words& w, std::wstring& cls, std::wstring& title, int64_t& timeout) {
    if (w.size() != 3 && w.size() != 4) {
        return Fail(L"usage: " + w[0] + L" <class> [title] <timeout-ms>");
    }
    cls = w[1];
    title = w.size() == 4 ? w[2] : L"";
    return Number(w.back(), timeout);
}

bool KeyCommand(const Words& w) {
    unsigned vk = 0;
    if (w.size() != 3 || (w[2] != L"down" && w[2] != L"up"))
        return Fail(L"usage: key <vk> down|up");
    return Key(w[1], vk) && Press(vk, w[2] == L"down");
}

bool TapCommand(const Words& w) {
    unsigned vk = 0;
    int64_t hold = 30;
    if (w.size() < 2 || w.size() > 3) return Fail(L"usage: tap <vk> [hold-ms]");
    if (!Key(w[1], vk) || (w.size() == 3 && !Number(w[2], hold))) return false;
    if (!Press(vk, true)) return false;
    PauseMs(double(hold));
    return Press(vk, false);
}

// "combo ctrl+alt+esc [hold-ms] [first-up]": presses in order, releases in
// reverse order, or with "first-up" in the order pressed, as many people let
// go of the modifiers first.
bool ComboCommand(const Words& w) {
    int64_t hold = 30;
    const bool firstUp = w.size() == 4 && w[3] == L"first-up";
    if (w.size() < 2 || w.size() > 4 || (w.size() == 4 && !firstUp))
        return Fail(L"usage: combo a+b+c [hold-ms] [first-up]");
    if (w.size() >= 3 && !Number(w[2], hold)) return false;
    std::vector<unsigned> keys;
    size_t start = 0;
    for (;;) {
        size_t plus = w[1].find(L'+', start);
        unsigned vk = 0;
        if (!Key(w[1].substr(start, plus - start), vk)) return false;
        keys.push_back(vk);
        if (plus == std::wstring::npos) break;
        start = plus + 1;
    }
    for (unsigned vk : keys) {
        if (!Press(vk, true)) return false;
        PauseMs(5);
    }
    PauseMs(double(hold));
    if (!firstUp) std::reverse(keys.begin(), keys.end());
    for (unsigned vk : keys) {
        if (!Press(vk, false)) return false;
        PauseMs(5);
    }
    return true;
}

bool SleepCommand(const Words& w) {
    int64_t ms = 0;
    if (w.size() != 2) return Fail(L"usage: sleep <ms>");
    if (!Number(w[1], ms)) return false;
    PauseMs(double(ms));
    return true;
}

bool AtCommand(const Words& w) {
    int64_t ms = 0;
    if (w.size() != 2) return Fail(L"usage: at <ms-since-start>");
    if (!Number(w[1], ms)) return false;
    PauseMs(double(ms) - ElapsedMs());
    return true;
}

bool FindWindowCommand(const Words& w) {
    if (w.size() < 2 || w.size() > 3) return Fail(L"usage: find-window <class> [title]");
    HWND found = FindTopWindow(w[1], w.size() == 3 ? w[2] : L"");
    if (!found) return Fail(L"no window " + w[1]);
    PrintLine(Handle(found));
    return true;
}

BOOL CALLBACK PrintTop(HWND window, LPARAM) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    PrintLine(Handle(window) + L" pid=" + std::to_wstring(pid) +
              (IsWindowVisible(window) ? L" visible" : L" hidden") + L" class=" +
              Escaped(ClassOf(window)) + L" title=" + Escaped(TextOf(window)));
    return TRUE;
}

bool ListWindowsCommand(const Words&) {
    EnumWindows(PrintTop, 0);
    return true;
}

bool WindowTextCommand(const Words& w) {
    HWND window = nullptr;
    if (w.size() != 2) return Fail(L"usage: window-text <hwnd>");
    if (!Window(w[1], window)) return false;
    PrintLine(Escaped(TextOf(window)));
    return true;
}

// A message box: its title, the text of each static control, each button.
bool DialogTextCommand(const Words& w) {
    HWND window = nullptr;
    if (w.size() != 2) return Fail(L"usage: dialog-text <hwnd>");
    if (!Window(w[1], window)) return false;
    PrintLine(L"title=" + Escaped(TextOf(window)));
    for (const ChildWindow& child : ChildrenOf(window)) {
        if (child.text.empty()) continue;
        std::wstring kind =
            CompareStringOrdinal(child.className.c_str(), -1, L"Button", -1, TRUE) == CSTR_EQUAL
                ? L"button="
                : L"text=";
        PrintLine(kind + Escaped(child.text));
    }
    return true;
}

bool ClickButtonCommand(const Words& w) {
    HWND window = nullptr;
    if (w.size() != 3) return Fail(L"usage: click-button <hwnd> <label|id>");
    if (!Window(w[1], window)) return false;
    return ClickButton(window, w[2]) || Fail(L"no button " + w[2]);
}

// The clipboard's text, escaped as window texts are; nothing when it holds none.
bool ClipboardCommand(const Words&) {
    if (!OpenClipboard(nullptr)) return Fail(L"clipboard busy");
    std::wstring text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    PrintLine(Escaped(text));
    return true;
}

bool CloseWindowCommand(const Words& w) {
    HWND window = nullptr;
    if (w.size() != 2) return Fail(L"usage: close-window <hwnd>");
    return Window(w[1], window) && (PostMessageW(window, WM_CLOSE, 0, 0) || Fail(L"post failed"));
}

// The message may be a number or the name of a registered message.
bool PostCommand(const Words& w) {
    HWND window = nullptr;
    int64_t msg = 0, wParam = 0, lParam = 0;
    if (w.size() != 5) return Fail(L"usage: post <hwnd> <msg|name> <wparam> <lparam>");
    if (!Window(w[1], window)) return false;
    if (!ParseNumber(w[2], msg)) msg = RegisterWindowMessageW(w[2].c_str());
    if (!Number(w[3], wParam) || !Number(w[4], lParam)) return false;
    return PostMessageW(window, UINT(msg), WPARAM(wParam), LPARAM(lParam)) || Fail(L"post failed");
}

bool ActivateCommand(const Words& w) {
    HWND window = nullptr;
    if (w.size() != 2) return Fail(L"usage: activate <hwnd>");
    return Window(w[1], window) && (Activate(window) || Fail(L"window did not come to the front"));
}

bool ForegroundCommand(const Words&) {
    HWND window = GetForegroundWindow();
    PrintLine(Handle(window) + L" class=" + Escaped(ClassOf(window)) + L" title=" +
              Escaped(TextOf(window)));
    return true;
}

bool WaitWindowCommand(const Words& w) {
    std::wstring cls, title;
    int64_t timeout = 0;
    if (!WindowPattern(w, cls, title, timeout)) return false;
    double end = ElapsedMs() + double(timeout);
    for (;;) {
        if (HWND found = FindTopWindow(cls, title)) {
            PrintLine(Handle(found));
            return true;
        }
        if (ElapsedMs() >= end) return Fail(L"timed out waiting for window " + cls);
        Sleep(pollMs);
    }
}

bool WaitNoWindowCommand(const Words& w) {
    std::wstring cls, title;
    int64_t timeout = 0;
    if (!WindowPattern(w, cls, title, timeout)) return false;
    double end = ElapsedMs() + double(timeout);
    while (FindTopWindow(cls, title)) {
        if (ElapsedMs() >= end) return Fail(L"window still there: " + cls);
        Sleep(pollMs);
    }
    return true;
}

// By process id, or by executable name (every process of that name).
bool WaitProcessExitCommand(const Words& w) {
    int64_t timeout = 0, pid = 0;
    if (w.size() != 3) return Fail(L"usage: wait-process-exit <pid|exe-name> <timeout-ms>");
    if (!Number(w[2], timeout)) return false;
    if (ParseNumber(w[1], pid)) {
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, DWORD(pid));
        if (!process) return true;
        DWORD r = WaitForSingleObject(process, DWORD(timeout));
        CloseHandle(process);
        return r == WAIT_OBJECT_0 || Fail(L"process still running");
    }
    double end = ElapsedMs() + double(timeout);
    while (CountProcesses(w[1]) > 0) {
        if (ElapsedMs() >= end) return Fail(L"process still running: " + w[1]);
        Sleep(pollMs);
    }
    return true;
}

bool CountProcessesCommand(const Words& w) {
    if (w.size() != 2) return Fail(L"usage: count-processes <exe-name>");
    int count = CountProcesses(w[1]);
    if (count < 0) return Fail(L"cannot list processes");
    PrintLine(std::to_wstring(count));
    return true;
}

bool EchoCommand(const Words& w) {
    std::wstring line;
    for (size_t i = 1; i < w.size(); ++i) line += (i > 1 ? L" " : L"") + w[i];
    PrintLine(line);
    return true;
}

bool SetEventCommand(const Words& w) {
    if (w.size() != 2) return Fail(L"usage: set-event <name>");
    HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, w[1].c_str());
    if (!event) return Fail(L"no such event: " + w[1]);
    const bool ok = SetEvent(event) != 0;
    CloseHandle(event);
    return ok || Fail(L"cannot set event: " + w[1]);
}

bool FileHasLine(const std::wstring& path, const std::string& line) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

// "wait-line <file> <ms> <text...>": a line equal to the text appears in the file in time.
bool WaitLineCommand(const Words& w) {
    int64_t timeout = 0;
    if (w.size() < 4) return Fail(L"usage: wait-line <file> <timeout-ms> <text...>");
    if (!Number(w[2], timeout)) return false;
    std::wstring wide;
    for (size_t i = 3; i < w.size(); ++i) wide += (i > 3 ? L" " : L"") + w[i];
    const std::string line(wide.begin(), wide.end());  // the logs are ASCII
    const double end = ElapsedMs() + double(timeout);
    while (!FileHasLine(w[1], line)) {
        if (ElapsedMs() >= end) return Fail(L"no line \"" + wide + L"\" within " + w[2] + L" ms");
        Sleep(1);
    }
    return true;
}

// "hold-file <path> <ms> [program [args...]]": opens the file sharing nothing,
// optionally starts the program while it is held, and keeps it for ms.
bool HoldFileCommand(const Words& w) {
    int64_t ms = 0;
    if (w.size() < 3) return Fail(L"usage: hold-file <path> <ms> [program [args...]]");
    if (!Number(w[2], ms)) return false;
    HANDLE file = CreateFileW(w[1].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail(L"cannot open " + w[1]);
    const double end = ElapsedMs() + double(ms);
    bool started = true;
    if (w.size() > 3) {
        std::wstring line = L"\"" + w[3] + L"\"";
        for (size_t i = 4; i < w.size(); ++i) line += L" " + w[i];
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &process) != 0;
        if (started) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    PauseMs(end - ElapsedMs());
    CloseHandle(file);
    return started || Fail(L"cannot start " + w[3]);
}

const std::map<std::wstring, std::function<bool(const Words&)>> commands = {
    {L"key", KeyCommand},
    {L"tap", TapCommand},
    {L"combo", ComboCommand},
    {L"sleep", SleepCommand},
    {L"at", AtCommand},
    {L"echo", EchoCommand},
    {L"set-event", SetEventCommand},
    {L"wait-line", WaitLineCommand},
    {L"find-window", FindWindowCommand},
    {L"list-windows", ListWindowsCommand},
    {L"window-text", WindowTextCommand},
    {L"dialog-text", DialogTextCommand},
    {L"click-button", ClickButtonCommand},
    {L"clipboard", ClipboardCommand},
    {L"close-window", CloseWindowCommand},
    {L"post", PostCommand},
    {L"activate", ActivateCommand},
    {L"foreground", ForegroundCommand},
    {L"wait-window", WaitWindowCommand},
    {L"wait-no-window", WaitNoWindowCommand},
    {L"wait-process-exit", WaitProcessExitCommand},
    {L"count-processes", CountProcessesCommand},
    {L"speech", SpeechCallCommand},
    {L"hold-file", HoldFileCommand},
};

}  // namespace

bool Fail(const std::wstring& why) {
    PrintError(L"error: " + why);
    return false;
}

bool Number(const std::wstring& word, int64_t& value) {
    return ParseNumber(word, value) || Fail(L"not a number: " + word);
}

bool Window(const std::wstring& word, HWND& window) {
    int64_t n = 0;
    if (!Number(word, n)) return false;
    window = reinterpret_cast<HWND>(static_cast<intptr_t>(n));
    return IsWindow(window) || Fail(L"no such window: " + word);
}

double ElapsedMs() {
    static LARGE_INTEGER frequency{}, origin{};
    if (frequency.QuadPart == 0) {
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&origin);
    }
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart - origin.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

bool RunCommand(const Words& words) {
    if (words.empty()) return true;
    auto it = commands.find(words[0]);
    if (it == commands.end()) {
        bool handled = false;
        bool ok = RunShellCommand(words, handled);
        return handled ? ok : Fail(L"unknown command: " + words[0]);
    }
    return it->second(words);
}

}  // namespace quillet
