// The system side, against this test program's own window and the system's files.
#if defined(_WIN32)
#include "filter/foreground_windows.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "runtime/text.h"

namespace quillet {
namespace {

struct OwnWindow {
    HWND handle = nullptr;
    OwnWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"QuilletForegroundTest";
        RegisterClassW(&windowClass);
        handle = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                 nullptr, windowClass.hInstance, nullptr);
    }
    ~OwnWindow() { DestroyWindow(handle); }
    WindowHandle Id() const { return reinterpret_cast<WindowHandle>(handle); }
};

TEST(ForegroundWindows, NamesTheOwnerOfAWindow) {
    OwnWindow window;
    ASSERT_NE(window.handle, nullptr);
    SystemForeground system;
    const WindowOwner owner = system.Owner(window.Id(), true);
    EXPECT_EQ(owner.processId, GetCurrentProcessId());
    EXPECT_EQ(owner.className, u"QuilletForegroundTest");
    EXPECT_EQ(owner.fileName, u"unit_filter.exe");
    EXPECT_TRUE(system.Owner(window.Id(), false).fileName.empty());

    // No version record in this program: the menu shows its file name.
    const ProgramDescription program = DescribeProgram(window.Id());
    EXPECT_EQ(program.fileName, u"unit_filter.exe");
    EXPECT_EQ(program.displayName, u"unit_filter.exe");

    // Quillet's own windows are never the program in front.
    ProgramInFront inFront(GetCurrentProcessId());
    inFront.Saw(window.Id(), owner.processId, owner.className);
    EXPECT_EQ(inFront.Last(), 0u);
}

TEST(ForegroundWindows, AClosedWindowHasNoOwner) {
    WindowHandle closed = 0;
    {
        OwnWindow window;
        closed = window.Id();
    }
    SystemForeground system;
    EXPECT_EQ(system.Owner(closed, true).processId, 0u);
    EXPECT_TRUE(DescribeProgram(closed).fileName.empty());
}

TEST(ForegroundWindows, ReadsTheDescriptionFromTheVersionRecord) {
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    ASSERT_GT(n, 0u);
    const std::u16string kernel = FromWide(folder, n) + u"\\kernel32.dll";
    const std::u16string description = FileDescription(kernel);
    EXPECT_FALSE(description.empty());
    EXPECT_NE(description, u"kernel32.dll");
    EXPECT_TRUE(FileDescription(FromWide(folder, n) + u"\\no-such-file.exe").empty());
}

}  // namespace
}  // namespace quillet
#endif
