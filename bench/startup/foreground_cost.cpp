// foreground_cost: the foreground check on the system's real calls, for
// scripts/bench_wine.sh (the native benchmark answers with a stand-in).
//
//   foreground_cost [--runs N]
//
// Prints one line per measurement, "<name> median_us=<x> min_us=<y>", the time of
// one call over N runs (default 7):
//   per_key            ProgramGetsItsKeysCheck::ListedOrOwnWindowInFront, the window in
//                      front unchanged (GetForegroundWindow and an atomic load)
//   window_change      the same when the window in front changed every time, between
//                      a window of this process and the desktop's (another process):
//                      the owner looked up and matched against a full list
//   store_app_change   the same between this window and a Store app's frame whose
//                      app window is inside it: two owners and the child's lookup
//   image_name_native  OpenProcess, QueryFullProcessImageNameW(PROCESS_NAME_NATIVE),
//                      CloseHandle: what the hook asks now
//   image_name_win32   the same with flags 0 (the Win32 path): what it asked before
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "filter/program_gets_its_keys_check.h"
#include "runtime/text.h"
#include "runtime/window_lookup_win32.h"
#include "tests/support/plain_window_win32.h"
#include "ui/program_in_front.h"

namespace quillet {
namespace {

double NowUs() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) * 1e6 / double(f.QuadPart);
}

// The median and least time of one call of `fn`, over `runs` runs of `calls` calls.
template <typename Fn>
void Measure(const char* name, int runs, int calls, Fn fn) {
    fn();
    std::vector<double> perCall;
    for (int r = 0; r < runs; ++r) {
        const double start = NowUs();
        for (int i = 0; i < calls; ++i) fn();
        perCall.push_back((NowUs() - start) / calls);
    }
    std::sort(perCall.begin(), perCall.end());
    std::printf("%s median_us=%.3f min_us=%.3f\n", name, perCall[perCall.size() / 2], perCall[0]);
}

// The real owner lookups, with the window in front taking turns between two.
class Alternating final : public WindowLookup {
  public:
    Alternating(WindowHandle a, WindowHandle b) : windows_{a, b} {}
    WindowHandle ForegroundWindow() override { return windows_[next_ ^= 1]; }
    WindowOwner Owner(WindowHandle window) override { return real_->Owner(window); }
    uint32_t ProcessOf(WindowHandle window) override { return real_->ProcessOf(window); }
    WindowHandle StoreAppWindow(WindowHandle frame) override {
        return real_->StoreAppWindow(frame);
    }

  private:
    std::unique_ptr<Win32WindowLookup> real_ = std::make_unique<Win32WindowLookup>();
    WindowHandle windows_[2];
    int next_ = 0;
};

// A full list of names of the usual length.
ProgramList FullList() {
    std::vector<std::u16string> names;
    for (int i = 0; names.size() < ProgramList::kMaxPrograms; ++i) {
        names.push_back(u"program-" + IntegerText(i) + u".exe");
    }
    return ProgramList(names);
}

DWORD ImageName(DWORD processId, DWORD form) {
    static wchar_t path[32768];
    return ProcessImagePath(processId, form, path, std::size(path));
}

HWND Window(HINSTANCE instance, const wchar_t* className, HWND parent) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    return CreateWindowExW(0, className, L"", parent ? WS_CHILD : WS_POPUP, 0, 0, 10, 10, parent,
                           nullptr, instance, nullptr);
}

}  // namespace
}  // namespace quillet

int wmain(int argc, wchar_t** argv) {
    using namespace quillet;
    int runs = 7;
    if (argc == 3 && std::wcscmp(argv[1], L"--runs") == 0) runs = std::max(1, _wtoi(argv[2]));
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const HWND own = Window(instance, L"ForegroundCostWindow", nullptr);
    const HWND frame = Window(instance, L"ApplicationFrameWindow", nullptr);
    const HWND app = Window(instance, L"Windows.UI.Core.CoreWindow", frame);
    const HWND desktop = GetDesktopWindow();
    DWORD desktopProcess = 0;
    GetWindowThreadProcessId(desktop, &desktopProcess);
    if (!own || !app || !desktopProcess || ImageName(desktopProcess, PROCESS_NAME_NATIVE) == 0) {
        std::fprintf(stderr, "foreground_cost: no windows or no image name\n");
        return 1;
    }
    const auto handle = [](HWND w) { return reinterpret_cast<WindowHandle>(w); };
    PublishedPrograms programs;
    programs.Publish(FullList());
    ProgramInFront inFront(GetCurrentProcessId());

    auto still = std::make_unique<Win32WindowLookup>();
    ProgramGetsItsKeysCheck perKey(*still, programs, &inFront);
    Measure("per_key", runs, 200000, [&] { perKey.ListedOrOwnWindowInFront(); });

    Alternating change(handle(own), handle(desktop));
    ProgramGetsItsKeysCheck changing(change, programs, &inFront);
    Measure("window_change", runs, 2000, [&] { changing.ListedOrOwnWindowInFront(); });

    Alternating store(handle(own), handle(frame));
    ProgramGetsItsKeysCheck storeApp(store, programs, &inFront);
    Measure("store_app_change", runs, 2000, [&] { storeApp.ListedOrOwnWindowInFront(); });

    Measure("image_name_native", runs, 2000,
            [&] { ImageName(desktopProcess, PROCESS_NAME_NATIVE); });
    Measure("image_name_win32", runs, 2000, [&] { ImageName(desktopProcess, 0); });
    return 0;
}
