// The program's numbered windows, the posted-event window that wakes the event
// wait, timers, and the event wait itself. All calls belong to the main thread.
#pragma once

#include <cstdint>
#include <string>

#include "ui/event_queue.h"

namespace quillet {

// Open flags; other bits are window styles passed on to the platform.
constexpr uint32_t WindowCentreScreen = 0x00000001;
constexpr uint32_t WindowCentreParent = 0x00000002;
constexpr uint32_t WindowTool = 0x00000004;
constexpr uint32_t WindowNoGadgetTarget = 0x00000008;
constexpr uint32_t WindowMaximized = 0x01000000;
constexpr uint32_t WindowNoActivate = 0x02000000;
constexpr uint32_t WindowInvisible = 0x10000000;
constexpr uint32_t WindowMinimized = 0x20000000;

// Used for x, y, width or height where the system may choose.
constexpr int32_t WindowDefaultPosition = -65535;

// Creates the posted-event window and registers the unlock message.
void StartEventQueue();
// Destroys the posted-event window; the queue itself is left as it is.
void EndEventQueue();

// Creates the window table and loads the class icon and cursor.
void StartWindowLayer();
// Closes every window and destroys the class icon.
void EndWindowLayer();

// Opens window `number` (-1: the first free number); returns its platform handle
// (HWND), or none. An existing window under the number is closed first.
void* OpenWindow(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                 const std::u16string& title, uint32_t flags, void* parent = nullptr);
// Closes one window, or every window for -1; its queued events go with it.
void CloseWindow(int32_t number);
// The platform handle (HWND) of a window, or none.
void* WindowHandle(int32_t number);
// The number of one of the program's windows, -1 for any other handle.
int32_t WindowNumber(void* handle);

// hide 0 shows the window in its current size state, otherwise hides it.
void HideWindowNumber(int32_t number, int hide);
inline void ShowWindowNumber(int32_t number) { HideWindowNumber(number, 0); }

// Non-zero on success; the timer ticks as EventTimer until removed.
int AddWindowTimer(int32_t number, uint32_t timerId, uint32_t intervalMs);
void RemoveWindowTimer(int32_t number, uint32_t timerId);

// Returns a queued event's kind at once, or processes exactly one window message
// and returns its number; 0 when nothing arrived within the limit (-1: no limit).
int32_t WaitWindowEvent(int32_t timeoutMs = -1);

// Appends an event of the program's own and wakes a blocked wait.
void PostEvent(int32_t kind, int32_t window, int32_t object, int32_t type);

}  // namespace quillet
