#include "ui/event_wait.h"

namespace quillet {

int32_t WaitForEvent(EventQueue& queue, MessageSource& source, int32_t timeoutMs) {
    if (const int32_t kind = queue.TakeNext()) {
        queue.lastWParam = 0;
        queue.lastLParam = 0;
        return kind;
    }
    FetchedMessage m;
    if (!source.Fetch(timeoutMs, m)) return 0;
    source.Dispatch(m);
    queue.lastWParam = m.wParam;
    queue.lastLParam = m.lParam;
    return static_cast<int32_t>(m.message);
}

}  // namespace quillet
