// Whether the program in front is one that gets its keys. The hook asks for every
// guarded key, so the answer is kept for the foreground window it was worked out
// for: per key one GetForegroundWindow and one atomic load, and the program is
// looked up only when the window or the list changed. The answer depends on more
// than the handle, which is checked again only when something says it may have
// changed: a Store app's frame that was empty is asked for its app at each key
// until the app is in it, and after the foreground event the handle's process is
// compared, since another program may have been given the handle. Portable; the
// system comes through WindowLookup.
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

class ProgramGetsItsKeysCheck {
  public:
    // `inFront`, when given, hears of every window the check sees come to the front
    // (the menu's program in front). The windows of `ownProcess` (Quillet's menu and
    // dialogs) get their keys too, so one Escape closes them.
    ProgramGetsItsKeysCheck(WindowLookup& lookup, const PublishedPrograms& programs,
                            FrontWindowListener* inFront = nullptr, uint32_t ownProcess = 0)
        : lookup_(lookup), programs_(programs), inFront_(inFront), ownProcess_(ownProcess) {}

    // Hook thread, for a guarded key: whether the window in front is a listed program's
    // or one of `ownProcess`, which get their keys. A window that is gone or a program that cannot
    // be asked is not listed.
    bool ListedOrOwnWindowInFront();

    // Hook thread: Windows reported a window coming to the front (it may come after
    // the first key there, and Wine never sends it). The next key makes sure the
    // window kept is still the same program's.
    void ForegroundMoved() {
        confirm_ = true;
        keptFor_ = nullptr;
    }

  private:
    // Apart from ListedOrOwnWindowInFront, so that the path of every key stays short.
    [[gnu::noinline]] bool Refresh(WindowHandle window, const ProgramList* list);
    // Whether the window kept still shows the same program, asking only what may
    // have changed.
    bool StillSameProgram();
    bool AwaitsApp() const { return frame_ && app_ == 0; }

    WindowLookup& lookup_;
    const PublishedPrograms& programs_;
    FrontWindowListener* inFront_;
    uint32_t ownProcess_;
    WindowHandle window_ = 0;
    uint32_t process_ = 0;               // of window_
    bool frame_ = false;                 // window_ is a Store app's frame
    WindowHandle app_ = 0;               // the app's window in that frame, or 0
    bool confirm_ = false;               // the foreground moved since the answer
    const ProgramList* list_ = nullptr;  // what the answer was worked out against
    // list_ while the answer holds as it is, else null, so that ListedOrOwnWindowInFront compares
    // no more than it did.
    const ProgramList* keptFor_ = nullptr;
    bool getsKeys_ = false;
};

}  // namespace quillet
