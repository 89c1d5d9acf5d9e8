#include "filter/decision_log.h"

#include <algorithm>

namespace quillet {

LoggedDecision DecisionLog::Load(const Slot& s) {
    const uint32_t what = s.what.load(std::memory_order_relaxed);
    return {s.time.load(std::memory_order_relaxed),
            static_cast<uint8_t>(what),
            static_cast<uint8_t>(what >> 8),
            static_cast<Decision>(static_cast<uint8_t>(what >> 16)),
            static_cast<uint8_t>(what >> 24),
            s.program.load(std::memory_order_relaxed)};
}

std::vector<LoggedDecision> DecisionLog::Read() const {
    const uint32_t end = written_.load(std::memory_order_acquire);
    const uint32_t begin = end > kSize ? end - kSize : 0;
    std::vector<LoggedDecision> entries;
    entries.reserve(end - begin);
    for (uint32_t n = begin; n < end; ++n) entries.push_back(Load(slots_[n % kSlots]));
    std::atomic_thread_fence(std::memory_order_acquire);
    // Entry m's stores come after `written_` reached m: had a store of a newer entry in
    // the slot of entry n been seen, `written_` now is at least n + kSlots.
    const uint32_t now = written_.load(std::memory_order_relaxed);
    const uint32_t firstWhole = now >= kSlots ? now - kSlots + 1 : 0;
    if (firstWhole > begin) {
        entries.erase(entries.begin(), entries.begin() + std::min(firstWhole - begin, end - begin));
    }
    return entries;
}

uint32_t ProgramNames::Keep(std::u16string_view fileName) {
    const size_t length = std::min(fileName.size(), kLength);
    if (last_ != 0 && length == lastLength_ &&
        std::equal(fileName.begin(), fileName.begin() + length, lastName_.begin())) {
        return last_;
    }
    if (++last_ == 0) ++last_;
    std::copy_n(fileName.begin(), length, lastName_.begin());
    lastLength_ = length;
    Slot& s = slots_[last_ % kSlots];
    s.serial.store(0, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    s.length.store(static_cast<uint8_t>(length), std::memory_order_relaxed);
    for (size_t n = 0; n < length; ++n) s.text[n].store(fileName[n], std::memory_order_relaxed);
    s.serial.store(last_, std::memory_order_release);
    return last_;
}

std::u16string ProgramNames::Find(uint32_t serial) const {
    if (serial == 0) return {};
    const Slot& s = slots_[serial % kSlots];
    if (s.serial.load(std::memory_order_acquire) != serial) return {};
    std::u16string name(std::min<size_t>(s.length.load(std::memory_order_relaxed), kLength), u' ');
    for (size_t n = 0; n < name.size(); ++n) name[n] = s.text[n].load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    return s.serial.load(std::memory_order_relaxed) == serial ? name : std::u16string();
}

}  // namespace quillet
