#include "ui/event_wait.h"

#include <gtest/gtest.h>

#include <deque>

#include "ui/window_messages.h"

namespace quillet {
namespace {

// A thread's message queue that feeds the window procedure's logic.
class FakeSource : public MessageSource {
  public:
    explicit FakeSource(EventQueue& q) : queue_(q) {}
    bool Fetch(int32_t timeoutMs, FetchedMessage& out) override {
        lastTimeout = timeoutMs;
        ++fetches;
        if (pending.empty()) return false;
        out = pending.front();
        pending.pop_front();
        return true;
    }
    void Dispatch(FetchedMessage& m) override {
        ++dispatched;
        HandleWindowMessage(queue_, {0, true, true, &sizeState}, {m.message, m.wParam, m.lParam});
    }
    std::deque<FetchedMessage> pending;
    int fetches = 0;
    int dispatched = 0;
    int32_t lastTimeout = 0;
    int32_t sizeState = 0;

  private:
    EventQueue& queue_;
};

TEST(EventWait, QueuedEventComesBeforeAnyPendingMessage) {
    EventQueue q;
    FakeSource src(q);
    src.pending.push_back({msg::Timer, 0, 0});
    q.AddPosted(EventTray, 0, 0, TrayDeferredClick);
    EXPECT_EQ(WaitForEvent(q, src, -1), EventTray);
    EXPECT_EQ(src.fetches, 0);
    EXPECT_EQ(q.CurrentType(), TrayDeferredClick);
}

TEST(EventWait, OneMessagePerCallThenItsEvents) {
    EventQueue q;
    FakeSource src(q);
    src.pending.push_back({msg::Command, 6, 0});
    EXPECT_EQ(WaitForEvent(q, src, -1), static_cast<int32_t>(msg::Command));
    EXPECT_EQ(q.CurrentType(), -1);
    EXPECT_EQ(q.lastWParam, 6u);
    EXPECT_EQ(WaitForEvent(q, src, -1), EventMenu);
    EXPECT_EQ(q.CurrentObject(), 6);
    EXPECT_EQ(q.CurrentType(), 0);
    EXPECT_EQ(q.lastWParam, 0u);
    EXPECT_EQ(src.dispatched, 1);
}

TEST(EventWait, AfterAMessageTheObjectIsThatOfTheLastEvent) {
    EventQueue q;
    FakeSource src(q);
    q.AddPosted(EventTimer, 0, 4, 0);
    src.pending.push_back({0x0400, 1, 2});
    EXPECT_EQ(WaitForEvent(q, src, -1), EventTimer);
    EXPECT_EQ(WaitForEvent(q, src, -1), 0x0400);
    EXPECT_EQ(q.CurrentKind(), 0);
    EXPECT_EQ(q.CurrentType(), -1);
    EXPECT_EQ(q.CurrentObject(), 4);
    EXPECT_EQ(q.lastLParam, 2);
}

TEST(EventWait, NothingInTimeGivesZeroAndPassesTheLimitOn) {
    EventQueue q;
    FakeSource src(q);
    EXPECT_EQ(WaitForEvent(q, src, 15), 0);
    EXPECT_EQ(src.lastTimeout, 15);
    EXPECT_EQ(src.dispatched, 0);
}

TEST(EventWait, TicksDispatchedBeforeTheLoopReadsLeaveOneEvent) {
    EventQueue q;
    FakeSource src(q);
    // A modal loop dispatches two ticks while the event loop is not waiting.
    FetchedMessage tick{msg::Timer, 0, 0};
    src.Dispatch(tick);
    src.Dispatch(tick);
    EXPECT_EQ(WaitForEvent(q, src, 0), EventTimer);
    EXPECT_EQ(WaitForEvent(q, src, 0), 0);
}

}  // namespace
}  // namespace quillet
