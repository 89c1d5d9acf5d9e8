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

namespace quillet {

using WindowHandle = uintptr_t;

// The taskbars, the notification area's overflow and the desktop's windows.
bool IsShellWindowClass(std::u16string_view className);

class ProgramInFront {
  public:
    explicit ProgramInFront(uint32_t ownProcessId) : ownProcess_(ownProcessId) {}

    // A window came to the front; any thread. Remembered unless it is gone,
    // Quillet's own or the shell's.
    void Saw(WindowHandle window, uint32_t processId, std::u16string_view className);
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

// The name the menu shows for a program: the description from its version
// record, else its file name.
std::u16string ProgramDisplayName(std::u16string_view description, std::u16string_view fileName);

// The version record's path to the description in one translation, as
// VerQueryValue takes it: "\StringFileInfo\040904b0\FileDescription".
std::u16string FileDescriptionKey(uint16_t language, uint16_t codePage);

}  // namespace quillet
