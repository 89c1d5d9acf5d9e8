// Objects named by small non-negative numbers; creating under a used number
// replaces the old object, and unknown numbers hold nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace quillet {

template <typename T>
class NumberedTable {
  public:
    T* Find(int32_t number) const {
        if (number < 0 || static_cast<size_t>(number) >= slots_.size()) return nullptr;
        return slots_[number].get();
    }
    // Stores a fresh object under the number, growing the table by 16 at a time.
    T* Create(int32_t number) {
        if (number < 0) return nullptr;
        while (static_cast<size_t>(number) >= slots_.size()) slots_.resize(slots_.size() + 16);
        slots_[number] = std::make_unique<T>();
        return slots_[number].get();
    }
    void Free(int32_t number) {
        if (Find(number)) slots_[number].reset();
    }
    // The first number that holds nothing.
    int32_t FreeNumber() const {
        for (size_t i = 0; i < slots_.size(); ++i) {
            if (!slots_[i]) return static_cast<int32_t>(i);
        }
        return static_cast<int32_t>(slots_.size());
    }
    int32_t Capacity() const { return static_cast<int32_t>(slots_.size()); }

  private:
    std::vector<std::unique_ptr<T>> slots_;
};

}  // namespace quillet
