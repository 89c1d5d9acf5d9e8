// The system's answers to WindowLookup. Windows only.
#pragma once

#include <windows.h>

#include "runtime/window_lookup.h"

namespace quillet {

// GetForegroundWindow and the owner lookups. Its buffers are its own: one object
// per thread that asks. The file name comes from the image's name in the kernel's
// device form ("\Device\HarddiskVolume2\..."): the Win32 form goes through the
// file system's name query, which a filter driver, a redirector or a user-mode file
// system can hold without bound, and the hook thread must never wait.
class Win32WindowLookup final : public WindowLookup {
  public:
    WindowHandle ForegroundWindow() override;
    WindowOwner Owner(WindowHandle window) override;
    uint32_t ProcessOf(WindowHandle window) override;
    WindowHandle StoreAppWindow(WindowHandle frame) override;

  private:
    wchar_t className_[257];
    wchar_t path_[32768];  // the longest path Windows has
};

// The image path of process `id` into `buffer`, in the Win32 form or, with
// PROCESS_NAME_NATIVE, the device form; its length, 0 when the process cannot be
// asked (another user's, protected, gone).
DWORD ProcessImagePath(DWORD id, DWORD form, wchar_t* buffer, DWORD size);

}  // namespace quillet
