// What the hook decided about the last guarded keys, for the "Recent keys" window: a
// fixed ring in memory, written by the hook thread without a lock, an allocation or a
// system call, and read by the main thread. Only guarded keys and the hot key are
// kept, never a typed letter; nothing is written to disk.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// What the filter did with a guarded key's press, and why.
enum class Decision : uint8_t {
    None = 0,            // nothing to list: an unguarded key, a release
    FirstPress,          // swallowed and spoken
    SecondPress,         // passed: pressed again within the timeout
    SinglePress,         // passed: a key chosen for a single press, or Escape excluded
    ProgramGetsItsKeys,  // passed: the program in front is listed, or is Quillet's own window
    Ignoring,            // passed: "next key only" or "always" (detail: the mode)
    ReaderKeyHeld,       // passed: a screen reader's modifier is held
    HotKey,              // Ctrl+Alt+Escape (detail: the new mode)
    Copy,                // a screen reader's copy of a press it trapped (detail: 1 swallowed)
    RepeatPassed,        // an auto-repeat of a press let through
    RepeatSwallowed,     // ... swallowed: another window is in front now
    RepeatSpoken,        // ... of a first press: swallowed and spoken again
    HotKeyRepeat,        // ... of the hot key: swallowed
};

// Whether the decision asked which program is in front (or is a repeat of a press that
// did), so that LoggedDecision::program is the one the key went to.
constexpr bool NamesProgram(Decision why) {
    switch (why) {
        case Decision::FirstPress:
        case Decision::SecondPress:
        case Decision::ProgramGetsItsKeys:
        case Decision::Ignoring:
        case Decision::RepeatPassed:
        case Decision::RepeatSwallowed:
        case Decision::RepeatSpoken:
            return true;
        default:
            return false;
    }
}

// Modifiers held, as bits: Windows' left and right keys apart.
enum ModifierBit : uint8_t {
    kLeftShift = 1,
    kRightShift = 2,
    kLeftCtrl = 4,
    kRightCtrl = 8,
    kLeftAlt = 16,
    kRightAlt = 32,
    kLeftWin = 64,
    kRightWin = 128,
};

// One decision as the reader copies it out.
struct LoggedDecision {
    uint32_t time = 0;  // the event's own time stamp, in the system's milliseconds
    uint8_t vk = 0;
    uint8_t modifiers = 0;  // ModifierBit
    Decision why = Decision::None;
    uint8_t detail = 0;    // only for the decisions that have one
    uint32_t program = 0;  // ProgramNames serial of the program found in front last; it is
                           // the key's own only where NamesProgram(why) says so
};

class DecisionLog {
  public:
    static constexpr uint32_t kSize = 100;   // the entries listed
    static constexpr uint32_t kSlots = 128;  // a power of two: the slot is a mask away

    // Hook thread only.
    void Write(const LoggedDecision& d) {
        const uint32_t n = written_.load(std::memory_order_relaxed);
        Slot& s = slots_[n % kSlots];
        // A reader that sees any of these stores also sees `written_` at n or later.
        std::atomic_thread_fence(std::memory_order_release);
        s.time.store(d.time, std::memory_order_relaxed);
        s.program.store(d.program, std::memory_order_relaxed);
        // Four bytes in one store: the hook's path stays short.
        s.what.store(d.vk | d.modifiers << 8 | static_cast<uint32_t>(d.why) << 16 |
                         static_cast<uint32_t>(d.detail) << 24,
                     std::memory_order_relaxed);
        written_.store(n + 1, std::memory_order_release);
    }
    // Any thread: the last kSize entries, oldest first; one the hook overwrote while it
    // was being copied is left out.
    std::vector<LoggedDecision> Read() const;

  private:
    struct Slot {
        std::atomic<uint32_t> time{0};
        std::atomic<uint32_t> program{0};
        std::atomic<uint32_t> what{0};  // vk, modifiers, why and detail, a byte each
    };
    static LoggedDecision Load(const Slot& s);

    std::array<Slot, kSlots> slots_;
    std::atomic<uint32_t> written_{0};  // entries written since the start
};

// The file names of the programs the hook found in front, kept under a serial number
// so that a decision names its program with four bytes, and the name outlives the
// window (a key that closed it). Written by the hook thread, when the window in front
// changes; read by the main thread.
class ProgramNames {
  public:
    static constexpr uint32_t kSlots = 64;
    static constexpr size_t kLength = 64;  // longer names are cut

    // Hook thread only: keeps `fileName` and answers its serial, never 0; the name kept
    // last is not kept again.
    uint32_t Keep(std::u16string_view fileName);
    // Hook thread only: the serial kept last, the program found in front last; 0 for none.
    uint32_t Current() const { return last_; }
    // Any thread: the name kept under `serial`, empty when it has been replaced since.
    std::u16string Find(uint32_t serial) const;

  private:
    struct Slot {
        std::atomic<uint32_t> serial{0};  // 0 while being written
        std::atomic<uint8_t> length{0};
        std::array<std::atomic<char16_t>, kLength> text{};
    };
    std::array<Slot, kSlots> slots_;
    uint32_t last_ = 0;
    std::array<char16_t, kLength> lastName_{};
    size_t lastLength_ = 0;
};

}  // namespace quillet
