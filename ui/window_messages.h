// What the window procedure does with each message, apart from the platform:
// the events it queues and what it asks of the platform afterwards.
#pragma once

#include <cstdint>

#include "ui/event_queue.h"

namespace quillet {

namespace msg {
constexpr uint32_t Null = 0x0000;
constexpr uint32_t Move = 0x0003;
constexpr uint32_t Size = 0x0005;
constexpr uint32_t Activate = 0x0006;
constexpr uint32_t Close = 0x0010;
constexpr uint32_t EraseBackground = 0x0014;
constexpr uint32_t SysColorChange = 0x0015;
constexpr uint32_t NcDestroy = 0x0082;
constexpr uint32_t Command = 0x0111;
constexpr uint32_t Timer = 0x0113;
constexpr uint32_t MouseMove = 0x0200;
constexpr uint32_t LButtonDown = 0x0201;
constexpr uint32_t LButtonUp = 0x0202;
constexpr uint32_t LButtonDoubleClick = 0x0203;
constexpr uint32_t RButtonDown = 0x0204;
constexpr uint32_t RButtonUp = 0x0205;
constexpr uint32_t RButtonDoubleClick = 0x0206;
constexpr uint32_t TrayCallback = 12501;
}  // namespace msg

// Accelerator commands that move the focus between child controls.
constexpr int32_t CommandNextControl = 64001;
constexpr int32_t CommandPreviousControl = 64002;
// A control with this identifier reports menu commands.
constexpr int32_t MenuControlId = -10000;

// The window a message arrived at, as the procedure sees it.
struct WindowContext {
    int32_t number = -1;           // -1 when no window of the program was found
    bool isSelf = true;            // the message's window is the record's window, not a child
    bool opened = false;           // open has completed
    int32_t* sizeState = nullptr;  // the record's sizeState, none without a record
};

struct WindowMessage {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    // WM_COMMAND from a control: lParam holds its handle; this is its identifier.
    int32_t controlId = 0;
    // Tray callback: the icon number found for the platform id, -1 when none.
    int32_t trayIcon = -1;
};

struct MessageOutcome {
    bool callDefault = true;  // leave the message to the platform's default procedure
    intptr_t result = 0;      // returned when callDefault is false
    bool wakeWaiter = false;  // post the unlock message to the posted-event window
    bool postNull = false;    // post WM_NULL to the window
    int32_t moveFocus = 0;    // +1 next child control, -1 previous
    bool restoreFocus = false;
    bool saveFocus = false;
    bool forwardToChildren = false;
    bool cleanUp = false;  // WM_NCDESTROY: drop the window's record
};

// Tray event type for a mouse message on a tray icon, -1 for one that queues nothing.
int32_t TrayEventType(uint32_t mouseMessage);

// Applies one message to the queue and the window's state.
MessageOutcome HandleWindowMessage(EventQueue& queue, const WindowContext& window,
                                   const WindowMessage& m);

}  // namespace quillet
