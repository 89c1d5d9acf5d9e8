// The system side of the foreground cache and of "the program in front" for the
// menu. Windows only.
#pragma once

#include <string>
#include <string_view>

#include "filter/foreground_program.h"
#include "filter/program_in_front.h"

namespace quillet {

// GetForegroundWindow and the owner lookups. Its buffers are its own: one object
// per thread that asks. The file name comes from the image's name in the kernel's
// device form ("\Device\HarddiskVolume2\..."): the Win32 form goes through the
// file system's name query, which a filter driver, a redirector or a user-mode file
// system can hold without bound, and the hook thread must never wait.
class SystemForeground final : public ForegroundSystem {
  public:
    WindowHandle ForegroundWindow() override;
    WindowOwner Owner(WindowHandle window) override;
    WindowHandle StoreAppWindow(WindowHandle frame) override;

  private:
    wchar_t className_[257];
    wchar_t path_[32768];  // the longest path Windows has
};

// Main thread, for the menu: the program that owns `window`, while the window lasts
// and the program can be asked. Descriptions are kept (ProgramDescriptions).
ProgramDescription DescribeProgram(WindowHandle window);

// The description in the version record of the file at `path`; empty when it has
// none. version.dll is loaded from the system folder on first use and stays.
std::u16string FileDescription(std::u16string_view path);

// Main thread: tells `inFront` of the window in front now. For the moment the menu
// is asked for, before Quillet's own window takes the foreground.
void NoteForegroundWindow(ProgramInFront& inFront);

// Main thread: tells `inFront` of each window Windows reports coming to the front
// (EVENT_SYSTEM_FOREGROUND, out of context: delivered while the thread waits for
// messages). False when the event hook cannot be set. Wine never raises the event.
bool WatchForeground(ProgramInFront& inFront);
void StopWatchingForeground();

}  // namespace quillet
