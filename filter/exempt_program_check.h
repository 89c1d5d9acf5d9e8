// Whether the program in front is one that gets its keys. The hook asks for every
// guarded key, so the answer is kept for the foreground window it was worked out
// for: per key one GetForegroundWindow and one atomic load, and the program is
// looked up only when the window or the list changed. Portable; the system comes
// through WindowLookup.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <string_view>

#include "runtime/program_list.h"
#include "runtime/window_lookup.h"

namespace quillet {

// The list the hook matches against. The main thread publishes a new list whole;
// the hook thread reads whichever is current without a lock. A list once published
// is never changed or freed until this object ends, so a hook still reading an
// older one is safe; the menu changes it a few times in a session at most.
class PublishedPrograms {
  public:
    PublishedPrograms();
    PublishedPrograms(const PublishedPrograms&) = delete;
    PublishedPrograms& operator=(const PublishedPrograms&) = delete;

    // Main thread only.
    void Publish(ProgramList list);
    // Any thread. Never null.
    const ProgramList* Current() const { return current_.load(std::memory_order_acquire); }

  private:
    std::deque<ProgramList> kept_;  // a deque never moves what it holds
    std::atomic<const ProgramList*> current_;
};

class ExemptProgramCheck {
  public:
    // `inFront`, when given, hears of every window the check sees come to the front
    // (the menu's program in front). The windows of `ownProcess` (Quillet's menu and
    // dialogs) get their keys too, so one Escape closes them.
    ExemptProgramCheck(WindowLookup& lookup, const PublishedPrograms& programs,
                       FrontWindowListener* inFront = nullptr, uint32_t ownProcess = 0)
        : lookup_(lookup), programs_(programs), inFront_(inFront), ownProcess_(ownProcess) {}

    // Hook thread, for a guarded key: whether the program in front gets its keys.
    // A window that is gone or a program that cannot be asked is not listed.
    bool IsExempt();

  private:
    // Apart from IsExempt, so that the path of every key stays short.
    [[gnu::noinline]] bool Refresh(WindowHandle window, const ProgramList* list);

    WindowLookup& lookup_;
    const PublishedPrograms& programs_;
    FrontWindowListener* inFront_;
    uint32_t ownProcess_;
    WindowHandle window_ = 0;
    const ProgramList* list_ = nullptr;  // what the answer was worked out against
    bool exempt_ = false;
};

}  // namespace quillet
