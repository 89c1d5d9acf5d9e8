#include "ui/event_queue.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace quillet {
namespace {

using Fields =
    std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t>;  // kind, origin, object, window, type

std::vector<Fields> Contents(const EventQueue& q) {
    std::vector<Fields> out;
    for (const EventRecord& e : q.Entries())
        out.emplace_back(e.kind, e.origin, e.object, e.window, e.type);
    return out;
}

TEST(EventQueue, IdenticalMessageEventsCollapseIntoTheLastEntry) {
    EventQueue q;
    q.AddFromMessage(EventTimer, 0, 5, 0);
    q.AddFromMessage(EventTimer, 0, 5, 0);
    EXPECT_EQ(q.Size(), 1u);
    // Any differing field makes a new entry.
    q.AddFromMessage(EventTimer, 0, 6, 0);
    q.AddFromMessage(EventTimer, 1, 6, 0);
    q.AddFromMessage(EventTimer, 1, 6, 2);
    q.AddFromMessage(EventMenu, 1, 6, 2);
    EXPECT_EQ(q.Size(), 5u);
    // Only the last entry is compared.
    q.AddFromMessage(EventTimer, 0, 5, 0);
    EXPECT_EQ(q.Size(), 6u);
}

TEST(EventQueue, PostedEventsAreNeverMerged) {
    EventQueue q;
    q.AddPosted(EventTray, 0, 0, TrayDeferredClick);
    q.AddPosted(EventTray, 0, 0, TrayDeferredClick);
    q.AddFromMessage(EventTray, 0, 0, TrayDeferredClick);  // merges with a posted last entry
    EXPECT_EQ(Contents(q),
              (std::vector<Fields>{{EventTray, OriginPosted, 0, 0, TrayDeferredClick},
                                   {EventTray, OriginPosted, 0, 0, TrayDeferredClick}}));
}

TEST(EventQueue, KindsFrom65536AreNotMerged) {
    EventQueue q;
    q.AddFromMessage(65536, 0, 0, 0);
    q.AddFromMessage(65536, 0, 0, 0);
    EXPECT_EQ(q.Size(), 2u);
}

TEST(EventQueue, TakeNextServesInOrderAndKeepsObjectWhenEmpty) {
    EventQueue q;
    EXPECT_EQ(q.TakeNext(), 0);
    EXPECT_EQ(q.CurrentType(), -1);
    q.AddFromMessage(EventMenu, 0, 6, 0);
    q.AddPosted(EventTray, 0, 3, TrayDeferredClick);
    EXPECT_EQ(q.TakeNext(), EventMenu);
    EXPECT_EQ(q.CurrentObject(), 6);
    EXPECT_EQ(q.CurrentType(), 0);
    EXPECT_EQ(q.TakeNext(), EventTray);
    EXPECT_EQ(q.CurrentObject(), 3);
    EXPECT_EQ(q.CurrentType(), TrayDeferredClick);
    EXPECT_EQ(q.TakeNext(), 0);
    EXPECT_EQ(q.CurrentKind(), 0);
    EXPECT_EQ(q.CurrentType(), -1);
    EXPECT_EQ(q.CurrentObject(), 3);
    EXPECT_EQ(q.CurrentWindow(), 0);
    EXPECT_TRUE(q.Empty());
}

TEST(EventQueue, RemovingEventsOfAWindowKeepsTheOthersInOrder) {
    EventQueue q;
    q.AddFromMessage(EventMove, 1, 1, 0);
    q.AddFromMessage(EventTimer, 0, 0, 0);
    q.AddFromMessage(EventMove, 1, 1, 1);
    q.AddPosted(EventTray, 2, 0, 0);
    q.RemoveWindowEvents(1);
    EXPECT_EQ(Contents(q), (std::vector<Fields>{{EventTimer, OriginMessage, 0, 0, 0},
                                                {EventTray, OriginPosted, 0, 2, 0}}));
    // The tail is the last entry kept: a new identical event merges with it.
    q.RemoveWindowEvents(2);
    q.AddFromMessage(EventTimer, 0, 0, 0);
    EXPECT_EQ(q.Size(), 1u);
}

TEST(EventQueue, RemoveMatchingTreatsMinusOneAsAnyValue) {
    struct Case {
        int32_t kind, object, window, type;
        size_t left;
    };
    const Case cases[] = {
        {EventSize, 0, 0, 0, 3}, {EventSize, -1, 0, -1, 2}, {-1, -1, 0, -1, 1},
        {-1, -1, -1, -1, 0},     {EventSize, 0, -1, 0, 2},  {EventTimer, 0, 0, 0, 4},
    };
    for (const Case& c : cases) {
        EventQueue q;
        q.AddFromMessage(EventSize, 0, 0, 0);
        q.AddFromMessage(EventSize, 0, 0, 7);
        q.AddFromMessage(EventMove, 0, 0, 0);
        q.AddFromMessage(EventSize, 1, 0, 0);
        q.RemoveMatching(c.kind, c.object, c.window, c.type);
        EXPECT_EQ(q.Size(), c.left)
            << c.kind << " " << c.object << " " << c.window << " " << c.type;
    }
}

}  // namespace
}  // namespace quillet
