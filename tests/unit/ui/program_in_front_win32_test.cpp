// The system side, against this test program's own window and the system's files.
#if defined(_WIN32)
#include <gtest/gtest.h>

#include "runtime/text.h"
#include "runtime/window_lookup_win32.h"
#include "ui/program_in_front.h"

namespace quillet {
namespace {

TEST(ProgramInFrontWin32, NamesTheOwnerOfAWindowWhileItLasts) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = L"QuilletForegroundTest";
    RegisterClassW(&windowClass);
    const HWND handle = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1,
                                        nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(handle, nullptr);
    const auto window = reinterpret_cast<WindowHandle>(handle);
    Win32WindowLookup system;
    const WindowOwner owner = system.Owner(window);
    EXPECT_EQ(owner.processId, GetCurrentProcessId());
    EXPECT_EQ(owner.className, u"QuilletForegroundTest");
    EXPECT_EQ(owner.fileName, u"unit_ui.exe");
    // No version record in this program.
    const ProgramDescription program = DescribeProgram(window);
    EXPECT_EQ(program.fileName, u"unit_ui.exe");
    EXPECT_EQ(program.description, u"");

    DestroyWindow(handle);
    EXPECT_EQ(system.Owner(window).processId, 0u);
    EXPECT_TRUE(DescribeProgram(window).fileName.empty());
}

TEST(ProgramInFrontWin32, ReadsTheDescriptionFromTheVersionRecord) {
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    const std::u16string description = FileDescription(FromWide(folder, n) + u"\\kernel32.dll");
    EXPECT_FALSE(description.empty());
    EXPECT_NE(description, u"kernel32.dll");
    EXPECT_TRUE(FileDescription(FromWide(folder, n) + u"\\no-such-file.exe").empty());
}

}  // namespace
}  // namespace quillet
#endif
