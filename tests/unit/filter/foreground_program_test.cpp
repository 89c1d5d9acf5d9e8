#include "filter/foreground_program.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace quillet {
namespace {

using Names = std::vector<std::u16string>;

class FakeForeground final : public ForegroundSystem {
  public:
    struct Window {
        uint32_t processId;
        std::u16string className, fileName;  // no file name: the program cannot be asked
    };
    WindowHandle front = 0;
    std::map<WindowHandle, Window> windows;
    int lookups = 0;

    WindowHandle ForegroundWindow() override { return front; }
    WindowOwner Owner(WindowHandle window, bool wantFileName) override {
        ++lookups;
        const auto w = windows.find(window);
        if (w == windows.end()) return {};
        return {w->second.processId, w->second.className,
                wantFileName ? w->second.fileName : std::u16string_view()};
    }
};

enum : WindowHandle { kNone, kDevenv, kNotepad, kProtected, kTaskbar, kOwn, kClosed };
constexpr uint32_t kOwnProcess = 1;

TEST(ForegroundProgram, LooksUpOncePerChangeOfWindowOrList) {
    FakeForeground system;
    system.windows = {{kDevenv, {10, u"HwndWrapper", u"devenv.exe"}},
                      {kNotepad, {20, u"Notepad", u"notepad.exe"}},
                      {kProtected, {30, u"Game", u""}},
                      {kTaskbar, {40, u"Shell_TrayWnd", u"explorer.exe"}},
                      {kOwn, {kOwnProcess, u"#32770", u"Quillet.exe"}}};
    PublishedPrograms programs;
    ProgramInFront inFront(kOwnProcess);
    ForegroundProgram cache(system, programs, &inFront);
    const Names devenv{u"DevEnv.exe"}, notepad{u"notepad.exe"};
    struct Step {
        const char* what;
        WindowHandle front;
        const Names* publish;
        bool exempt;
        int lookups;  // in all, after the step
        WindowHandle remembered;
    } steps[] = {
        {"first key in a listed program", kDevenv, &devenv, true, 1, kDevenv},
        {"same window: no lookup", kDevenv, nullptr, true, 1, kDevenv},
        {"first key after a switch", kNotepad, nullptr, false, 2, kNotepad},
        {"first key after switching back", kDevenv, nullptr, true, 3, kDevenv},
        {"the list changed under the same window", kDevenv, &notepad, false, 4, kDevenv},
        {"now listed", kNotepad, nullptr, true, 5, kNotepad},
        {"a program that cannot be asked", kProtected, nullptr, false, 6, kProtected},
        {"the taskbar", kTaskbar, nullptr, false, 7, kProtected},
        {"Quillet's own window", kOwn, nullptr, false, 8, kProtected},
        {"no window in front", kNone, nullptr, false, 8, kProtected},
        {"still none: no lookup", kNone, nullptr, false, 8, kProtected},
        {"a window that closed", kClosed, nullptr, false, 9, kProtected},
        {"back to a listed one", kNotepad, nullptr, true, 10, kNotepad},
    };
    for (const Step& s : steps) {
        system.front = s.front;
        if (s.publish) programs.Publish(ProgramList(*s.publish));
        EXPECT_EQ(cache.IsExempt(), s.exempt) << s.what;
        EXPECT_EQ(system.lookups, s.lookups) << s.what;
        EXPECT_EQ(inFront.Last(), s.remembered) << s.what;
    }
}

TEST(ProgramInFront, SkipsTheShellAndNamesPrograms) {
    for (std::u16string_view shell :
         {u"Shell_TrayWnd", u"shell_traywnd", u"Shell_SecondaryTrayWnd",
          u"NotifyIconOverflowWindow", u"TopLevelWindowForOverflowXamlIsland", u"Progman",
          u"WorkerW", u"#32769"}) {
        EXPECT_TRUE(IsShellWindowClass(shell)) << shell.size();
    }
    EXPECT_FALSE(IsShellWindowClass(u"WorkerWindow"));
    EXPECT_EQ(ProgramDisplayName(u"  Visual Studio ", u"devenv.exe"), u"Visual Studio");
    EXPECT_EQ(ProgramDisplayName(u" ", u"game.exe"), u"game.exe");
    EXPECT_EQ(FileDescriptionKey(0x0409, 0x04B0), u"\\StringFileInfo\\040904b0\\FileDescription");
    EXPECT_EQ(FileDescriptionKey(0xFFFF, 0xABCD), u"\\StringFileInfo\\ffffabcd\\FileDescription");
}

}  // namespace
}  // namespace quillet
