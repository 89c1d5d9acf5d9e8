// Owner choice and the disabling of the thread's windows around a dialog.
#pragma once

#include <windows.h>

#include <vector>

namespace quillet {

// The foreground window when it belongs to this process, otherwise none.
HWND DialogOwner();

class ThreadWindowsDisabled {
  public:
    ThreadWindowsDisabled();
    ~ThreadWindowsDisabled() { Restore(); }
    ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
    ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;
    // Re-enables what was disabled and puts topmost windows back; once.
    void Restore();

  private:
    struct Remembered {
        HWND window;
        bool topmost;
        bool disabled;
    };
    static BOOL CALLBACK Collect(HWND window, LPARAM self);
    std::vector<Remembered> windows_;
};

}  // namespace quillet
