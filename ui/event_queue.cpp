#include "ui/event_queue.h"

#include <algorithm>

namespace quillet {

EventQueue::~EventQueue() {
    ReleaseCurrentData();
    for (EventRecord& e : entries_) {
        if (e.data && e.dataRelease) e.dataRelease(e.data);
    }
}

void EventQueue::AddFromMessage(int32_t kind, int32_t window, int32_t object, int32_t type) {
    if (!entries_.empty() && kind < 65536) {
        const EventRecord& last = entries_.back();
        if (last.kind == kind && last.object == object && last.window == window &&
            last.type == type) {
            return;
        }
    }
    entries_.push_back({kind, OriginMessage, object, window, type, nullptr, nullptr});
}

void EventQueue::AddPosted(int32_t kind, int32_t window, int32_t object, int32_t type) {
    entries_.push_back({kind, OriginPosted, object, window, type, nullptr, nullptr});
}

void EventQueue::ReleaseCurrentData() {
    if (current_.data && current_.dataRelease) current_.dataRelease(current_.data);
    current_.data = nullptr;
    current_.dataRelease = nullptr;
}

int32_t EventQueue::TakeNext() {
    current_.kind = 0;
    ReleaseCurrentData();
    current_.type = -1;
    if (entries_.empty()) return 0;
    current_ = entries_.front();
    entries_.pop_front();
    return current_.kind;
}

void EventQueue::RemoveWindowEvents(int32_t window) {
    auto ofWindow = [window](const EventRecord& e) { return e.window == window; };
    for (EventRecord& e : entries_) {
        if (ofWindow(e) && e.data && e.dataRelease) e.dataRelease(e.data);
    }
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), ofWindow), entries_.end());
}

void EventQueue::RemoveMatching(int32_t kind, int32_t object, int32_t window, int32_t type) {
    auto matches = [&](const EventRecord& e) {
        return (kind == -1 || e.kind == kind) && (object == -1 || e.object == object) &&
               (window == -1 || e.window == window) && (type == -1 || e.type == type);
    };
    for (EventRecord& e : entries_) {
        if (matches(e) && e.data && e.dataRelease) e.dataRelease(e.data);
    }
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), matches), entries_.end());
}

EventQueue& MainEventQueue() {
    static EventQueue queue;
    return queue;
}

int32_t EventKind() { return MainEventQueue().CurrentKind(); }
int32_t EventWindow() { return MainEventQueue().CurrentWindow(); }
int32_t EventObject() { return MainEventQueue().CurrentObject(); }
int32_t EventType() { return MainEventQueue().CurrentType(); }

}  // namespace quillet
