// Monotonic millisecond clock on the performance counter, falling back to the
// tick count while the counter is unusable. It never reads less than it read
// before: the filter takes a press dated before a release for a late one.
#pragma once

#include <cstdint>

namespace quillet {

class CounterSource {
  public:
    virtual ~CounterSource() = default;
    // False when the platform has no performance counter.
    virtual bool QueryFrequency(int64_t& countsPerSecond) = 0;
    virtual int64_t QueryCounter() = 0;
    virtual uint32_t TickCount() = 0;
};

class MillisecondClock {
  public:
    explicit MillisecondClock(CounterSource& source) : source_(source) {}
    int64_t Read();

  private:
    CounterSource& source_;
    int64_t countsPerMs_ = 0;
    int64_t origin_ = 0;  // the counter when it took over
    int64_t base_ = 0;    // the reading at that moment, carried on from the tick count
    int64_t last_ = 0;
    uint32_t lastTicks_ = 0;
    bool read_ = false;
};

}  // namespace quillet
