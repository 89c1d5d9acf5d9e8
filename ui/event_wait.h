// The wait at the heart of the event loop: a queued event first, otherwise
// exactly one window message fetched and processed.
#pragma once

#include <cstdint>

#include "ui/event_queue.h"

namespace quillet {

struct FetchedMessage {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    void* platform = nullptr;  // the platform's own message record, for Dispatch
};

class MessageSource {
  public:
    virtual ~MessageSource() = default;
    // One message for the thread; -1 blocks, otherwise waits at most timeoutMs.
    // False when none arrived in time.
    virtual bool Fetch(int32_t timeoutMs, FetchedMessage& out) = 0;
    // Accelerators, translation and dispatch; may queue events.
    virtual void Dispatch(FetchedMessage& m) = 0;
};

// Returns an event kind, the number of the processed message, or 0.
int32_t WaitForEvent(EventQueue& queue, MessageSource& source, int32_t timeoutMs);

}  // namespace quillet
