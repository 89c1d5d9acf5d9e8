#include "filter/foreground_program.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "filter/program_in_front.h"

namespace quillet {
namespace {

using Names = std::vector<std::u16string>;

class FakeForeground final : public ForegroundSystem {
  public:
    struct Window {
        uint32_t processId;
        std::u16string className;
        std::u16string fileName;  // empty: the program cannot be asked
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
                wantFileName ? std::u16string_view(w->second.fileName) : std::u16string_view()};
    }
};

constexpr uint32_t kOwnProcess = 1;
enum : WindowHandle { kNone = 0, kDevenv = 1, kNotepad, kProtected, kTaskbar, kOwn, kClosed };

struct Rig {
    FakeForeground system;
    PublishedPrograms programs;
    ProgramInFront inFront{kOwnProcess};
    ForegroundProgram cache{system, programs, &inFront};

    Rig() {
        system.windows = {
            {kDevenv, {10, u"HwndWrapper", u"devenv.exe"}},
            {kNotepad, {20, u"Notepad", u"notepad.exe"}},
            {kProtected, {30, u"Game", u""}},
            {kTaskbar, {40, u"Shell_TrayWnd", u"explorer.exe"}},
            {kOwn, {kOwnProcess, u"#32770", u"Quillet.exe"}},
        };
    }
};

TEST(ForegroundProgram, LooksUpOncePerChangeOfWindowOrList) {
    const Names devenv{u"DevEnv.exe"}, notepad{u"notepad.exe"};
    struct Step {
        const char* what;
        WindowHandle front;
        const Names* publish;
        bool exempt;
        int lookups;  // in all, after the step
    } steps[] = {
        {"first key in a listed program", kDevenv, &devenv, true, 1},
        {"same window: no lookup", kDevenv, nullptr, true, 1},
        {"first key after a switch", kNotepad, nullptr, false, 2},
        {"first key after switching back", kDevenv, nullptr, true, 3},
        {"the list changed under the same window", kDevenv, &notepad, false, 4},
        {"now listed", kNotepad, nullptr, true, 5},
        {"a program that cannot be asked", kProtected, nullptr, false, 6},
        {"no window in front", kNone, nullptr, false, 6},
        {"still none: no lookup", kNone, nullptr, false, 6},
        {"a window that closed", kClosed, nullptr, false, 7},
        {"back to a listed one", kNotepad, nullptr, true, 8},
    };
    Rig rig;
    for (const Step& s : steps) {
        rig.system.front = s.front;
        if (s.publish) rig.programs.Publish(ProgramList(*s.publish));
        EXPECT_EQ(rig.cache.IsExempt(), s.exempt) << s.what;
        EXPECT_EQ(rig.system.lookups, s.lookups) << s.what;
    }
}

TEST(ForegroundProgram, EmptyListNeedsNoFileName) {
    FakeForeground system;
    system.windows = {{kDevenv, {10, u"HwndWrapper", u"devenv.exe"}}};
    system.front = kDevenv;
    PublishedPrograms programs;
    ForegroundProgram cache(system, programs);
    EXPECT_FALSE(cache.IsExempt());
    EXPECT_EQ(system.lookups, 0);
    programs.Publish(ProgramList(Names{u"devenv.exe"}));
    EXPECT_TRUE(cache.IsExempt());
    EXPECT_EQ(system.lookups, 1);
}

TEST(ForegroundProgram, RemembersTheLastProgramForTheMenu) {
    Rig rig;
    rig.programs.Publish(ProgramList(Names{u"x.exe"}));
    struct Step {
        WindowHandle front;
        WindowHandle remembered;
    } steps[] = {
        {kNone, kNone},      {kNotepad, kNotepad}, {kTaskbar, kNotepad},     {kOwn, kNotepad},
        {kClosed, kNotepad}, {kDevenv, kDevenv},   {kProtected, kProtected},
    };
    for (const Step& s : steps) {
        rig.system.front = s.front;
        rig.cache.IsExempt();
        EXPECT_EQ(rig.inFront.Last(), s.remembered) << s.front;
    }
}

TEST(ProgramInFront, SkipsTheShellAndQuillet) {
    struct Row {
        std::u16string_view className;
        uint32_t processId;
        bool remembered;
    } rows[] = {
        {u"Notepad", 20, true},
        {u"Shell_TrayWnd", 20, false},
        {u"shell_traywnd", 20, false},
        {u"Shell_SecondaryTrayWnd", 20, false},
        {u"NotifyIconOverflowWindow", 20, false},
        {u"TopLevelWindowForOverflowXamlIsland", 20, false},
        {u"Progman", 20, false},
        {u"WorkerW", 20, false},
        {u"WorkerWindow", 20, true},
        {u"Notepad", kOwnProcess, false},
        {u"Notepad", 0, false},
    };
    for (const Row& r : rows) {
        ProgramInFront inFront(kOwnProcess);
        inFront.Saw(7, r.processId, r.className);
        EXPECT_EQ(inFront.Last(), r.remembered ? 7u : 0u) << r.className.size();
    }
}

TEST(ProgramInFront, NamesAndVersionKeys) {
    EXPECT_EQ(ProgramDisplayName(u"Microsoft Visual Studio 2022", u"devenv.exe"),
              u"Microsoft Visual Studio 2022");
    EXPECT_EQ(ProgramDisplayName(u"  Notepad ", u"notepad.exe"), u"Notepad");
    EXPECT_EQ(ProgramDisplayName(u"", u"game.exe"), u"game.exe");
    EXPECT_EQ(ProgramDisplayName(u"   ", u"game.exe"), u"game.exe");
    EXPECT_EQ(FileDescriptionKey(0x0409, 0x04B0), u"\\StringFileInfo\\040904b0\\FileDescription");
    EXPECT_EQ(FileDescriptionKey(0x0000, 0x04B0), u"\\StringFileInfo\\000004b0\\FileDescription");
    EXPECT_EQ(FileDescriptionKey(0xFFFF, 0xABCD), u"\\StringFileInfo\\ffffabcd\\FileDescription");
}

}  // namespace
}  // namespace quillet
