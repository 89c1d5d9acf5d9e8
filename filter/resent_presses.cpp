#include "filter/resent_presses.h"

namespace quillet {

void ResentPresses::Expect(uint32_t vk, bool swallowed, int64_t now) {
    if (count_ == kCapacity) Erase(0);  // a reader that never re-sends leaves no trace for long
    items_[count_++] = {vk, swallowed, false, now};
}

bool ResentPresses::Awaits(uint32_t vk) const { return Oldest(vk) != count_; }

std::optional<bool> ResentPresses::Take(uint32_t vk, bool press, int64_t now) {
    for (size_t n = count_; n-- > 0;) {
        if (now - items_[n].at > kLapseMs) Erase(n);
    }
    size_t n = Oldest(vk);
    // A second down means the copy before it lost its up: that one is over.
    if (n != count_ && press && items_[n].downSeen) {
        Erase(n);
        n = Oldest(vk);
    }
    if (n == count_) return std::nullopt;
    const bool swallowed = items_[n].swallowed;
    if (press) {
        items_[n].downSeen = true;
    } else if (items_[n].downSeen) {
        Erase(n);
    }
    return swallowed;
}

void ResentPresses::Erase(size_t index) {
    for (size_t n = index + 1; n < count_; ++n) items_[n - 1] = items_[n];
    --count_;
}

size_t ResentPresses::Oldest(uint32_t vk) const {
    size_t n = 0;
    while (n < count_ && items_[n].vk != vk) ++n;
    return n;
}

}  // namespace quillet
