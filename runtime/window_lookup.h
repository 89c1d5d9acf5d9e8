// Which window is in front and which program owns a window: what the hook's check of
// the program in front (filter/program_gets_its_keys_check.h) and the menu's program in
// front (ui/program_in_front.h) both ask of the system. Portable; the Windows side is
// window_lookup_win32.*.
#pragma once

#include <cstdint>
#include <string_view>

namespace quillet {

using WindowHandle = uintptr_t;

struct WindowOwner {
    uint32_t processId = 0;         // 0: the window is gone
    std::u16string_view className;  // the window's class
    std::u16string_view fileName;   // the program's file name, no folder; empty when
                                    // it cannot be asked
};

class WindowLookup {
  public:
    virtual ~WindowLookup() = default;
    virtual WindowHandle ForegroundWindow() = 0;
    // Who owns `window`. The views stay valid until the next call.
    virtual WindowOwner Owner(WindowHandle window) = 0;
    // The process that owns `window`, or 0 when it is gone: one cheap call, where
    // Owner also opens the process.
    virtual uint32_t ProcessOf(WindowHandle window) = 0;
    // The Store app's own window (class "Windows.UI.Core.CoreWindow") inside its
    // frame, or 0.
    virtual WindowHandle StoreAppWindow(WindowHandle frame) = 0;
};

// Hears of each window that comes to the front, with its owner as ProgramOfWindow
// finds it.
class FrontWindowListener {
  public:
    virtual ~FrontWindowListener() = default;
    virtual void Saw(WindowHandle window, const WindowOwner& owner) = 0;
};

// The frame of a Store app's window ("ApplicationFrameWindow").
bool IsStoreAppFrame(std::u16string_view className);

// The shell's programs that host other windows: Store apps' frames, the Start
// menu, search and the shell's flyouts. Never the program in front, never listed.
bool IsShellHostProgram(std::u16string_view fileName);

// The part of `path` after its last "\" or "/".
std::u16string_view FileNamePart(std::u16string_view path);

// The window that stands for the program of `window`, and its owner: a Store app's
// frame belongs to ApplicationFrameHost.exe, the app is the process of the window
// inside it. Without one (an app still starting or suspended) the frame's own.
struct ProgramWindow {
    WindowHandle window = 0;
    WindowOwner owner;
    bool inFrame = false;  // the window asked for is a Store app's frame
};
ProgramWindow ProgramOfWindow(WindowLookup& lookup, WindowHandle window);

}  // namespace quillet
