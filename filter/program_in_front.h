// "The program in front" for the tray menu: the last window to come to the front
// that is neither Quillet's own nor the shell's (taskbar, notification area,
// desktop). By the time the menu is open the foreground is Quillet's or the
// taskbar's, so the program must be remembered as windows come and go. Three
// sources feed it: the foreground event on the main thread (Windows raises it,
// Wine does not), the hook's foreground cache whenever a guarded key finds a new
// window, and the foreground as the menu is asked for, before Quillet's window
// takes it. Portable.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

using WindowHandle = uintptr_t;

struct WindowOwner {
    uint32_t processId = 0;         // 0: the window is gone
    std::u16string_view className;  // the window's class
    std::u16string_view fileName;   // the program's file name, no folder; empty when
                                    // it cannot be asked
};

// The taskbars, the notification area's overflow and the desktop's windows.
bool IsShellWindowClass(std::u16string_view className);

// The frame of a Store app's window ("ApplicationFrameWindow").
bool IsStoreAppFrame(std::u16string_view className);

// The shell's programs that host other windows: Store apps' frames, the Start
// menu, search and the shell's flyouts. Never the program in front, never listed.
bool IsShellHostProgram(std::u16string_view fileName);

// The part of `path` after its last "\" or "/".
std::u16string_view FileNamePart(std::u16string_view path);

// Whether a path in the kernel's device form is behind a network redirector
// ("\Device\Mup\server\share\...", a network drive's too).
bool IsNetworkDevicePath(std::u16string_view devicePath);

class ProgramInFront {
  public:
    explicit ProgramInFront(uint32_t ownProcessId) : ownProcess_(ownProcessId) {}

    // A window came to the front (for a Store app, the app's window in its
    // frame); any thread. Remembered unless it is gone, Quillet's own or the shell's.
    void Saw(WindowHandle window, const WindowOwner& owner);
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

}  // namespace quillet
