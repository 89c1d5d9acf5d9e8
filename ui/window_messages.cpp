#include "ui/window_messages.h"

namespace quillet {

namespace {

constexpr uintptr_t SizeRestored = 0;
constexpr uintptr_t SizeMinimized = 1;
constexpr uintptr_t SizeMaximized = 2;

uint16_t LowWord(uintptr_t v) { return static_cast<uint16_t>(v & 0xffff); }
uint16_t HighWord(uintptr_t v) { return static_cast<uint16_t>((v >> 16) & 0xffff); }

MessageOutcome Answer(intptr_t result) {
    MessageOutcome out;
    out.callDefault = false;
    out.result = result;
    return out;
}

void SizeEvents(EventQueue& q, const WindowContext& w, uintptr_t how) {
    int32_t& sizeState = *w.sizeState;
    switch (how) {
        case SizeRestored:
            if (sizeState == 1) {
                sizeState = 0;
                q.AddFromMessage(EventRestore, w.number, 0, 0);
            }
            q.RemoveMatching(EventSize, 0, w.number, 0);
            q.AddFromMessage(EventSize, w.number, 0, 0);
            break;
        case SizeMinimized:
            sizeState = 1;
            q.AddFromMessage(EventMinimize, w.number, 0, 0);
            break;
        case SizeMaximized:
            sizeState = 1;
            q.AddFromMessage(EventMaximize, w.number, 0, 0);
            q.AddFromMessage(EventSize, w.number, 0, 0);
            break;
        default:
            q.RemoveMatching(EventSize, 0, w.number, 0);
            q.AddFromMessage(EventSize, w.number, 0, 0);
            break;
    }
}

MessageOutcome Command(EventQueue& q, const WindowContext& w, const WindowMessage& m) {
    if (m.lParam != 0) {
        if (m.controlId == MenuControlId) {
            q.AddFromMessage(EventMenu, w.number, LowWord(m.wParam), 0);
        } else {
            q.AddFromMessage(EventControl, w.number, m.controlId, HighWord(m.wParam));
        }
        return Answer(0);
    }
    if (HighWord(m.wParam) == 0) {
        q.AddFromMessage(EventMenu, w.number, static_cast<int32_t>(m.wParam), 0);
        return Answer(0);
    }
    MessageOutcome out = Answer(0);
    switch (LowWord(m.wParam)) {
        case CommandNextControl:
            out.moveFocus = 1;
            break;
        case CommandPreviousControl:
            out.moveFocus = -1;
            break;
        default:
            q.AddFromMessage(EventMenu, w.number, LowWord(m.wParam), 0);
    }
    return out;
}

}  // namespace

int32_t TrayEventType(uint32_t mouseMessage) {
    switch (mouseMessage) {
        case msg::LButtonUp:
            return TrayLeftClick;
        case msg::RButtonUp:
            return TrayRightClick;
        case msg::LButtonDoubleClick:
            return TrayLeftDoubleClick;
        case msg::RButtonDoubleClick:
            return TrayRightDoubleClick;
        default:
            return -1;
    }
}

MessageOutcome HandleWindowMessage(EventQueue& q, const WindowContext& w, const WindowMessage& m) {
    const bool self = w.number >= 0 && w.isSelf;
    switch (m.message) {
        case msg::Command:
            return Command(q, w, m);
        case msg::Timer:
            if (w.number >= 0) {
                q.AddFromMessage(EventTimer, w.number, static_cast<int32_t>(m.wParam), 0);
            }
            return Answer(0);
        case msg::Close: {
            MessageOutcome out = Answer(0);
            if (self) {
                q.AddFromMessage(EventClose, w.number, w.number, 0);
                out.wakeWaiter = true;
            }
            return out;
        }
        case msg::TrayCallback: {
            MessageOutcome out = Answer(0);
            if (m.trayIcon < 0) return out;
            const int32_t type = TrayEventType(static_cast<uint32_t>(m.lParam));
            if (type >= 0) q.AddFromMessage(EventTray, w.number, m.trayIcon, type);
            out.postNull = true;
            return out;
        }
        case msg::Activate: {
            MessageOutcome out = Answer(1);
            if (LowWord(m.wParam) != 0) {
                out.restoreFocus = true;
                q.AddFromMessage(EventActivate, w.number, 0, 0);
            } else {
                out.saveFocus = true;
                q.AddFromMessage(EventDeactivate, w.number, 0, 0);
            }
            return out;
        }
        case msg::Size:
            if (self && w.opened && w.sizeState) SizeEvents(q, w, m.wParam);
            return Answer(0);
        case msg::Move:
            if (self && w.opened) q.AddFromMessage(EventMove, w.number, w.number, 0);
            return Answer(0);
        case msg::EraseBackground:
            q.AddFromMessage(EventRepaint, w.number, 0, 0);
            return MessageOutcome{};
        case msg::LButtonUp:
            q.AddFromMessage(EventLeftClick, w.number, 0, 0);
            return Answer(0);
        case msg::LButtonDoubleClick:
            q.AddFromMessage(EventLeftDoubleClick, w.number, 0, 0);
            return Answer(0);
        case msg::RButtonUp:
            q.AddFromMessage(EventRightClick, w.number, 0, 0);
            return Answer(0);
        case msg::SysColorChange: {
            MessageOutcome out;
            out.forwardToChildren = true;
            return out;
        }
        case msg::NcDestroy: {
            MessageOutcome out = Answer(1);
            out.cleanUp = true;
            return out;
        }
        default:
            return MessageOutcome{};
    }
}

}  // namespace quillet
