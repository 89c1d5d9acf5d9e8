#include "filter/millisecond_clock.h"

#include <algorithm>

namespace quillet {

int64_t MillisecondClock::Read() {
    if (countsPerMs_ == 0) {
        int64_t frequency = 0;
        if (source_.QueryFrequency(frequency) && frequency >= 1000) {
            countsPerMs_ = frequency / 1000;
            origin_ = source_.QueryCounter();
            // Carried on from the tick count, with the time since it was last read.
            base_ = read_ ? last_ + static_cast<uint32_t>(source_.TickCount() - lastTicks_) : 0;
        }
    }
    int64_t reading;
    if (countsPerMs_ != 0) {
        reading = base_ + (source_.QueryCounter() - origin_) / countsPerMs_;
    } else {
        // A counter slower than 1 kHz cannot give milliseconds; retry on the next
        // read. The tick count wraps every 49.7 days: its steps are added up.
        const uint32_t ticks = source_.TickCount();
        reading = read_ ? last_ + static_cast<uint32_t>(ticks - lastTicks_) : ticks;
        lastTicks_ = ticks;
    }
    read_ = true;
    last_ = std::max(last_, reading);
    return last_;
}

}  // namespace quillet
