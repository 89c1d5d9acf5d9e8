// Whether the window in front moved to one whose keys the hook may not see.
// Windows gives a hook without UI access no input bound for a window of a higher
// integrity level than its own process's (an elevated program), so a screen
// reader's trapped modifier may be let go there unseen; in a window of the same or
// a lower level (the reader's own dialogs) its release still reaches the hook.
// Portable; the system comes through WindowLookup and IntegrityLevels.
#pragma once

#include <cstdint>

#include "runtime/window_lookup.h"

namespace quillet {

class IntegrityLevels {
  public:
    virtual ~IntegrityLevels() = default;
    // Whether the process's integrity level is at most ours; false when it cannot
    // be asked, as its keys may then go unseen too.
    virtual bool NotAboveOurs(uint32_t processId) = 0;
};

class UnseenWindowWatch {
  public:
    UnseenWindowWatch(WindowLookup& lookup, IntegrityLevels& levels)
        : lookup_(lookup), levels_(levels) {}

    // A number that changes only when the window in front has become one whose
    // keys may go unseen since it was last asked (FilterPlatform::ForegroundStamp).
    // One GetForegroundWindow; the window's process, and its level, are asked only
    // when the handle changed.
    uint64_t Stamp() {
        const WindowHandle window = lookup_.ForegroundWindow();
        if (window != window_) CameToFront(window);
        return unseenEntries_;
    }

    // `window` came to the front (the foreground event, which also tells of a
    // window that came and went between two keys): whether its keys may go unseen.
    bool CameToFront(WindowHandle window);

  private:
    WindowLookup& lookup_;
    IntegrityLevels& levels_;
    WindowHandle window_ = 0;  // the last window in front seen, and its process
    uint32_t process_ = 0;
    bool unseen_ = false;  // the level of window_'s process, as asked
    uint64_t unseenEntries_ = 0;
};

}  // namespace quillet
