// Owner choice and the disabling of the thread's windows around a dialog; the DPI and
// message font our dialogs are laid out in.
#pragma once

#include <windows.h>

#include <vector>

namespace quillet {

// The foreground window when it belongs to this process, otherwise none.
HWND DialogOwner();

// The DPI of the screen `window` is on.
int WindowDpi(HWND window);
// The message font at `dpi`, read at each opening so that a text size changed since
// Quillet started counts. The caller deletes it.
HFONT MessageFont(int dpi);

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
