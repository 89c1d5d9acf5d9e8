#include "filter/program_gets_its_keys_check.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "filter/unseen_window_watch.h"
#include "ui/program_in_front.h"

namespace quillet {
namespace {

using Names = std::vector<std::u16string>;

constexpr uint32_t kAboveOurs = 90;  // processes from here on: above our level, or not opened

class FakeLookup final : public WindowLookup, public IntegrityLevels {
  public:
    struct Window {
        uint32_t processId;
        std::u16string className, fileName;  // no file name: the program cannot be asked
    };
    WindowHandle front = 0;
    std::map<WindowHandle, Window> windows;
    std::map<WindowHandle, WindowHandle> storeApps;  // frame: the app's window in it
    int lookups = 0, levelAsks = 0;

    WindowHandle ForegroundWindow() override { return front; }
    WindowOwner Owner(WindowHandle window) override {
        ++lookups;
        const auto w = windows.find(window);
        if (w == windows.end()) return {};
        return {w->second.processId, w->second.className, w->second.fileName};
    }
    uint32_t ProcessOf(WindowHandle w) override {
        return windows.count(w) ? windows[w].processId : 0;
    }
    bool NotAboveOurs(uint32_t processId) override { return ++levelAsks, processId < kAboveOurs; }
    WindowHandle StoreAppWindow(WindowHandle frame) override {
        const auto app = storeApps.find(frame);
        return app == storeApps.end() ? 0 : app->second;
    }
};

enum : WindowHandle { kNone, kDevenv, kNotepad, kProtected, kTaskbar, kOwn, kClosed };
enum : WindowHandle { kStoreFrame = kClosed + 1, kStoreApp, kEmptyFrame, kStartMenu };
enum : WindowHandle { kLateApp = kStartMenu + 1 };
constexpr uint32_t kOwnProcess = 1;

TEST(ProgramGetsItsKeysCheck, LooksUpOncePerChangeOfWindowOrList) {
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
        {kStartMenu, {70, u"Windows.UI.Core.CoreWindow", u"StartMenuExperienceHost.exe"}},
        {kLateApp, {61, u"Windows.UI.Core.CoreWindow", u"Calculator.exe"}}};
    const FakeLookup::Window notepadInOwnHandle{20, u"Notepad", u"notepad.exe"};
    system.storeApps = {{kStoreFrame, kStoreApp}};
    PublishedPrograms programs;
    ProgramInFront inFront(kOwnProcess);
    ProgramGetsItsKeysCheck cache(system, programs, &inFront, kOwnProcess);
    const Names devenv{u"DevEnv.exe"}, notepad{u"notepad.exe"}, none;
    const Names hosts{u"calculator.exe", u"ApplicationFrameHost.exe",
                      u"StartMenuExperienceHost.exe"};
    struct Step {
        const char* what;
        WindowHandle front;
        const Names* publish;
        bool getsKeys;
        int lookups;  // in all, after the step
        WindowHandle remembered;
        WindowHandle appInFrame = 0;                // goes into the frame in front first
        const FakeLookup::Window* moved = nullptr;  // the foreground event; now this window
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
        {"back to the empty frame as a listed app starts", kEmptyFrame, nullptr, false, 15,
         kStoreApp},
        {"still empty: only the frame is asked", kEmptyFrame, nullptr, false, 15, kStoreApp},
        {"its app in the frame: the first key", kEmptyFrame, nullptr, true, 17, kLateApp, kLateApp},
        {"Quillet's own window", kOwn, nullptr, true, 18, kLateApp},
        {"the same program after the event: no lookup", kOwn, nullptr, true, 18, kLateApp, 0,
         &system.windows[kOwn]},
        {"its handle given to another program", kOwn, nullptr, false, 19, kOwn, 0,
         &notepadInOwnHandle},
        {"the list emptied: still remembered", kNotepad, &none, false, 20, kNotepad},
    };
    for (const Step& s : steps) {
        system.front = s.front;
        if (s.appInFrame) system.storeApps[s.front] = s.appInFrame;
        if (s.moved) {
            system.windows[s.front] = *s.moved;
            cache.ForegroundMoved();
        }
        if (s.publish) programs.Publish(ProgramList(*s.publish));
        EXPECT_EQ(cache.ListedOrOwnWindowInFront(), s.getsKeys) << s.what;
        EXPECT_EQ(system.lookups, s.lookups) << s.what;
        EXPECT_EQ(inFront.Last(), s.remembered) << s.what;
    }
}

// A screen reader's trapped modifier is forgotten when the stamp changes.
TEST(UnseenWindowWatch, ChangesOnlyForWindowsOfAHigherLevel) {
    enum : WindowHandle { kDialog = kLateApp + 1, kElevated, kUnopened };
    FakeLookup system;
    system.windows = {{kNotepad, {20, u"Notepad", u"notepad.exe"}},
                      {kDialog, {80, u"#32770", u"nvda.exe"}},
                      {kElevated, {kAboveOurs, u"ConsoleWindowClass", u"cmd.exe"}},
                      {kUnopened, {kAboveOurs + 1, u"Game", u""}}};
    UnseenWindowWatch watch(system, system);
    struct Step {
        const char* what;
        WindowHandle front;
        bool byEvent, unseen;  // the foreground event, else a key's stamp
        int asks;              // in all, after the step
        // The handle, gone with its window, is now this one's.
        const FakeLookup::Window* moved = nullptr;
    } steps[] = {
        {"where the modifier was trapped", kNotepad, false, false, 1},
        {"the reader's own dialog, same level", kDialog, false, false, 2},
        {"the same dialog: nothing asked", kDialog, false, false, 2},
        {"an elevated window", kElevated, false, true, 3},
        {"still the elevated window", kElevated, false, false, 3},
        {"back in a window of our level", kNotepad, false, false, 4},
        {"the event for the window in front: nothing asked", kNotepad, true, false, 4},
        {"an elevated window between two keys", kElevated, true, true, 5},
        {"a program that cannot be opened", kUnopened, true, true, 6},
        {"its handle given to a program of our level", kUnopened, true, false, 7,
         &system.windows[kNotepad]},
        {"no window in front", kNone, false, false, 7},
    };
    uint64_t last = watch.Stamp();
    for (const Step& s : steps) {
        system.front = s.front;
        if (s.moved) system.windows[s.front] = *s.moved;
        EXPECT_EQ(s.byEvent && watch.CameToFront(s.front), s.byEvent && s.unseen) << s.what;
        const uint64_t stamp = watch.Stamp();
        EXPECT_EQ(stamp != last, s.unseen) << s.what;
        EXPECT_EQ(system.levelAsks, s.asks) << s.what;
        last = stamp;
    }
}

}  // namespace
}  // namespace quillet
