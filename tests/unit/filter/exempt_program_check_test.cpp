#include "filter/exempt_program_check.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "ui/program_in_front.h"

namespace quillet {
namespace {

using Names = std::vector<std::u16string>;

class FakeLookup final : public WindowLookup {
  public:
    struct Window {
        uint32_t processId;
        std::u16string className, fileName;  // no file name: the program cannot be asked
    };
    WindowHandle front = 0;
    std::map<WindowHandle, Window> windows;
    std::map<WindowHandle, WindowHandle> storeApps;  // frame: the app's window in it
    int lookups = 0;

    WindowHandle ForegroundWindow() override { return front; }
    WindowOwner Owner(WindowHandle window) override {
        ++lookups;
        const auto w = windows.find(window);
        if (w == windows.end()) return {};
        return {w->second.processId, w->second.className, w->second.fileName};
    }
    WindowHandle StoreAppWindow(WindowHandle frame) override {
        const auto app = storeApps.find(frame);
        return app == storeApps.end() ? 0 : app->second;
    }
};

enum : WindowHandle { kNone, kDevenv, kNotepad, kProtected, kTaskbar, kOwn, kClosed };
enum : WindowHandle { kStoreFrame = kClosed + 1, kStoreApp, kEmptyFrame, kStartMenu };
constexpr uint32_t kOwnProcess = 1;

TEST(ExemptProgramCheck, LooksUpOncePerChangeOfWindowOrList) {
    FakeLookup system;
    system.windows = {
        {kDevenv, {10, u"HwndWrapper", u"devenv.exe"}},
        {kNotepad, {20, u"Notepad", u"notepad.exe"}},
        {kProtected, {30, u"Game", u""}},
        {kTaskbar, {40, u"Shell_TrayWnd", u"explorer.exe"}},
        {kOwn, {kOwnProcess, u"#32770", u"Quillet.exe"}},
        {kStoreFrame, {50, u"ApplicationFrameWindow", u"ApplicationFrameHost.exe"}},
        {kStoreApp, {60, u"Windows.UI.Core.CoreWindow", u"Calculator.exe"}},
        {kEmptyFrame, {50, u"ApplicationFrameWindow", u"ApplicationFrameHost.exe"}},
        {kStartMenu, {70, u"Windows.UI.Core.CoreWindow", u"StartMenuExperienceHost.exe"}}};
    system.storeApps = {{kStoreFrame, kStoreApp}};
    PublishedPrograms programs;
    ProgramInFront inFront(kOwnProcess);
    ExemptProgramCheck cache(system, programs, &inFront, kOwnProcess);
    const Names devenv{u"DevEnv.exe"}, notepad{u"notepad.exe"}, none;
    const Names hosts{u"calculator.exe", u"ApplicationFrameHost.exe",
                      u"StartMenuExperienceHost.exe"};
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
        {"Quillet's own window gets its keys", kOwn, nullptr, true, 8, kProtected},
        {"no window in front", kNone, nullptr, false, 8, kProtected},
        {"still none: no lookup", kNone, nullptr, false, 8, kProtected},
        {"a window that closed", kClosed, nullptr, false, 9, kProtected},
        {"back to a listed one", kNotepad, nullptr, true, 10, kNotepad},
        {"a Store app: the app in the frame", kStoreFrame, &hosts, true, 12, kStoreApp},
        {"a frame with no app: its host is never listed", kEmptyFrame, nullptr, false, 13,
         kStoreApp},
        {"the Start menu's host", kStartMenu, nullptr, false, 14, kStoreApp},
        {"the list emptied: still remembered", kNotepad, &none, false, 15, kNotepad},
    };
    for (const Step& s : steps) {
        system.front = s.front;
        if (s.publish) programs.Publish(ProgramList(*s.publish));
        EXPECT_EQ(cache.IsExempt(), s.exempt) << s.what;
        EXPECT_EQ(system.lookups, s.lookups) << s.what;
        EXPECT_EQ(inFront.Last(), s.remembered) << s.what;
    }
}

}  // namespace
}  // namespace quillet
