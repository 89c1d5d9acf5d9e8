// Monotonic millisecond clock on the performance counter, falling back to the
// tick count while the counter is unusable.
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
    int64_t origin_ = 0;
};

}  // namespace quillet
