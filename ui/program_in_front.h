// "The program in front" for the tray menu: the last window to come to the front
// that is neither Quillet's own nor the shell's (taskbar, notification area,
// desktop). By the time the menu is open the foreground is Quillet's or the
// taskbar's, so the program must be remembered as windows come and go. Three
// sources feed it: the foreground event on the main thread (Windows raises it,
// Wine does not), the hook's check (filter/program_gets_its_keys_check.h) whenever a
// guarded key finds a new window, and the foreground as the menu is asked for,
// before Quillet's window takes it. Portable; the Windows side is
// program_in_front_win32.cpp.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/window_lookup.h"

namespace quillet {

// The taskbars, the notification area's overflow and the desktop's windows.
bool IsShellWindowClass(std::u16string_view className);

// Whether a path in the kernel's device form is behind a network redirector
// ("\Device\Mup\server\share\...", a network drive's too).
bool IsNetworkDevicePath(std::u16string_view devicePath);

class ProgramInFront final : public FrontWindowListener {
  public:
    explicit ProgramInFront(uint32_t ownProcessId) : ownProcess_(ownProcessId) {}

    // A window came to the front (for a Store app, the app's window in its
    // frame); any thread. Remembered unless it is gone, Quillet's own or the shell's.
    void Saw(WindowHandle window, const WindowOwner& owner) override;
    // The last window remembered, or 0. It may have closed since.
    WindowHandle Last() const { return last_.load(std::memory_order_relaxed); }

  private:
    const uint32_t ownProcess_;
    std::atomic<WindowHandle> last_{0};
};

// A program as the menu names it.
struct ProgramDescription {
    std::u16string fileName;     // empty: no program to name
    std::u16string description;  // from its version record; may be empty
};

// The system side of ProgramDescriptions.
class ProgramFiles {
  public:
    virtual ~ProgramFiles() = default;
    // Whether the drive with this letter is a network drive.
    virtual bool IsRemoteDrive(char16_t letter) = 0;
    // The description in the version record of the file at `path`; empty when it
    // has none.
    virtual std::u16string ReadDescription(const std::u16string& path) = 0;
};

// The menu's names of programs, by the path of their file: a file's description is
// read once and kept (for the last kKept files), so the menu opens at once. A file
// on a network path (a UNC path or a network drive) is named by its file name
// without reading it: a share that does not answer would hold the menu.
class ProgramDescriptions {
  public:
    static constexpr size_t kKept = 16;

    explicit ProgramDescriptions(ProgramFiles& files) : files_(files) {}
    ProgramDescription Describe(std::u16string_view path);

  private:
    bool OnNetwork(std::u16string_view path);

    struct Kept {
        std::u16string path, description;
    };
    ProgramFiles& files_;
    std::vector<Kept> kept_;
    size_t oldest_ = 0;  // replaced next once kept_ is full
};

// The name the menu shows for a program: the description from its version
// record, else its file name.
std::u16string ProgramDisplayName(std::u16string_view description, std::u16string_view fileName);

// The version record's path to the description in one translation, as
// VerQueryValue takes it: "\StringFileInfo\040904b0\FileDescription".
std::u16string FileDescriptionKey(uint16_t language, uint16_t codePage);

// The Windows side, on the main thread.

// The program that owns `window`, while the window lasts and the program can be
// asked. Descriptions are kept (ProgramDescriptions).
ProgramDescription DescribeProgram(WindowHandle window);

// The description in the version record of the file at `path`; empty when it has
// none. version.dll is loaded from the system folder on first use and stays.
std::u16string FileDescription(std::u16string_view path);

// Tells `inFront` of the window in front now. For the moment the menu is asked for,
// before Quillet's own window takes the foreground.
void NoteForegroundWindow(ProgramInFront& inFront);

// Tells `inFront` of each window Windows reports coming to the front
// (EVENT_SYSTEM_FOREGROUND, out of context: delivered while the thread waits for
// messages). False when the event hook cannot be set. Wine never raises the event.
bool WatchForeground(ProgramInFront& inFront);
void StopWatchingForeground();

}  // namespace quillet
