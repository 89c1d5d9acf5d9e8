#include "filter/millisecond_clock.h"

namespace quillet {

int64_t MillisecondClock::Read() {
    if (countsPerMs_ == 0) {
        int64_t frequency = 0;
        if (source_.QueryFrequency(frequency)) {
            countsPerMs_ = frequency / 1000;
            origin_ = source_.QueryCounter();
        }
    }
    // A counter slower than 1 kHz cannot give milliseconds; retry on the next read.
    if (countsPerMs_ == 0) return static_cast<int64_t>(source_.TickCount());
    return (source_.QueryCounter() - origin_) / countsPerMs_;
}

}  // namespace quillet
