// The program's own first-in-first-out queue of window events, fed by the
// window procedure and by the program itself, and the current event.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

namespace quillet {

// Event kinds.
constexpr int32_t EventControl = 13100;
constexpr int32_t EventMenu = 13101;
constexpr int32_t EventTray = 13102;
constexpr int32_t EventActivate = 13104;
constexpr int32_t EventMinimize = 13107;
constexpr int32_t EventMaximize = 13108;
constexpr int32_t EventRestore = 13109;
constexpr int32_t EventTimer = 13110;
constexpr int32_t EventRightClick = 13111;
constexpr int32_t EventLeftClick = 13112;
constexpr int32_t EventLeftDoubleClick = 13113;
constexpr int32_t EventDeactivate = 13114;
constexpr int32_t EventRepaint = 13115;
constexpr int32_t EventClose = 13116;
constexpr int32_t EventMove = 13117;
constexpr int32_t EventSize = 13118;

// Types of EventTray.
constexpr int32_t TrayLeftClick = 0;
constexpr int32_t TrayRightClick = 1;
constexpr int32_t TrayLeftDoubleClick = 2;
constexpr int32_t TrayRightDoubleClick = 3;
constexpr int32_t TrayDeferredClick = 0x40000;

// Where an event came from.
constexpr int32_t OriginMessage = 0;
constexpr int32_t OriginPosted = 7;

using EventDataRelease = void (*)(void*);

struct EventRecord {
    int32_t kind = 0;
    int32_t origin = OriginMessage;
    int32_t object = 0;
    int32_t window = -1;
    int32_t type = 0;
    void* data = nullptr;
    EventDataRelease dataRelease = nullptr;
};

class EventQueue {
  public:
    EventQueue() = default;
    EventQueue(const EventQueue&) = delete;
    EventQueue& operator=(const EventQueue&) = delete;
    ~EventQueue();

    // An event made from a window message: an identical last entry absorbs it,
    // so ticks dispatched by a modal loop pile up as one event.
    void AddFromMessage(int32_t kind, int32_t window, int32_t object, int32_t type);
    // An event posted by the program: always appended.
    void AddPosted(int32_t kind, int32_t window, int32_t object, int32_t type);

    // Makes the head the current event and returns its kind; 0 when empty
    // (the current object and window then keep their previous values).
    int32_t TakeNext();

    void RemoveWindowEvents(int32_t window);
    // -1 in any argument matches every value.
    void RemoveMatching(int32_t kind, int32_t object, int32_t window, int32_t type);

    bool Empty() const { return entries_.empty(); }
    size_t Size() const { return entries_.size(); }
    const std::deque<EventRecord>& Entries() const { return entries_; }

    int32_t CurrentKind() const { return current_.kind; }
    int32_t CurrentWindow() const { return current_.window; }
    int32_t CurrentObject() const { return current_.object; }
    int32_t CurrentType() const { return current_.type; }
    void* CurrentData() const { return current_.data; }

    // Parameters of the last window message processed by a wait.
    uintptr_t lastWParam = 0;
    intptr_t lastLParam = 0;

  private:
    void ReleaseCurrentData();

    std::deque<EventRecord> entries_;
    EventRecord current_{0, OriginMessage, 0, -1, -1, nullptr, nullptr};
};

// The main thread's queue, and its current event.
EventQueue& MainEventQueue();
int32_t EventKind();
int32_t EventWindow();
int32_t EventObject();
int32_t EventType();

}  // namespace quillet
