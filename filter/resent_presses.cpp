#include "filter/resent_presses.h"

#include <algorithm>

namespace quillet {

void ResentPresses::Expect(uint32_t vk, bool swallowed, int64_t now, int64_t timeoutMs) {
    if (count_ == kCapacity) Erase(0);  // a reader that never re-sends leaves no trace for long
    const int64_t wait = std::min(timeoutMs + kLapseAfterTimeoutMs, kLongestWaitMs);
    items_[count_++] = {vk, swallowed, false, now + wait};
}

bool ResentPresses::Awaits(uint32_t vk) const {
    for (size_t n = 0; n < count_; ++n) {
        if (items_[n].vk == vk) return true;
    }
    return false;
}

// A reader may keep a press for good (NVDA's first Escape in focus mode only
// switches to browse mode) and send the next one again: a copy goes with the
// newest press, as an older one may never come back. When the reader does send
// both, the decisions swap between the copies but their count stays right.
std::optional<bool> ResentPresses::Take(uint32_t vk, bool press, int64_t now) {
    for (size_t n = count_; n-- > 0;) {
        if (now > items_[n].until) Erase(n);
    }
    const size_t open = Newest(vk, true);
    if (open != count_) {
        if (press) {
            Erase(open);  // a second down: the copy before it lost its up, it is over
        } else {
            const bool swallowed = items_[open].swallowed;
            Erase(open);
            return swallowed;
        }
    }
    const size_t n = Newest(vk, false);
    if (n == count_) return std::nullopt;
    // An up before any down takes the decision without using the press up.
    if (press) {
        items_[n].downSeen = true;
        items_[n].until = now + kLapseAfterTimeoutMs;  // its up follows; it may not lapse first
    }
    return items_[n].swallowed;
}

void ResentPresses::Erase(size_t index) {
    for (size_t n = index + 1; n < count_; ++n) items_[n - 1] = items_[n];
    --count_;
}

size_t ResentPresses::Newest(uint32_t vk, bool downSeen) const {
    for (size_t n = count_; n-- > 0;) {
        if (items_[n].vk == vk && items_[n].downSeen == downSeen) return n;
    }
    return count_;
}

}  // namespace quillet
