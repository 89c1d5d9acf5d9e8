#include "app/feedback_worker.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/text.h"

namespace quillet {
namespace {

using namespace std::chrono_literals;

// Records what reaches it and holds every call until opened, like a hung reader.
class GatedSink final : public FeedbackSink {
  public:
    std::vector<std::string> got;

    void Announce(std::u16string_view text) override { Record(Utf16ToUtf8(std::u16string(text))); }
    void SoundIgnoreModeCue(int32_t mode) override { Record("mode" + std::to_string(mode)); }
    void SoundNextKeyConsumedCue() override { Record("next-key"); }

    void WaitFor(size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return got.size() >= count; });
    }
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

  private:
    void Record(std::string what) {
        std::unique_lock lock(mutex_);
        got.push_back(std::move(what));
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

TEST(FeedbackWorker, DeliversInOrderAndDropsTheOldestWhenFull) {
    GatedSink sink;
    FeedbackWorker worker(sink);
    worker.Start();
    worker.Announce(std::u16string(70, u'x'));
    sink.WaitFor(1);  // the worker is stuck in the sink from here on
    for (int n = 0; n < 18; ++n) worker.Announce(std::u16string(u"F").append(DecimalText(n)));
    worker.SoundIgnoreModeCue(2);
    worker.SoundNextKeyConsumedCue();
    sink.Open();
    sink.WaitFor(1 + FeedbackWorker::kCapacity);
    ASSERT_TRUE(worker.Stop(10s));

    std::vector<std::string> expected = {std::string(FeedbackWorker::kMaxTextLength, 'x')};
    for (int n = 4; n < 18; ++n) expected.push_back(std::string("F").append(std::to_string(n)));
    expected.push_back("mode2");
    expected.push_back("next-key");
    EXPECT_EQ(sink.got, expected);
}

TEST(FeedbackWorker, StopGivesUpOnAHungSinkAndTakesNothingMore) {
    GatedSink sink;
    FeedbackWorker worker(sink);
    worker.Start();
    worker.Announce(u"F5");
    sink.WaitFor(1);
    EXPECT_FALSE(worker.Stop(20ms));
    worker.Announce(u"F6");
    sink.Open();
    EXPECT_TRUE(worker.Stop(10s));
    EXPECT_EQ(sink.got, std::vector<std::string>{"F5"});
}

TEST(FeedbackWorker, WakeOnFlushHandsOverAtTheFlush) {
    GatedSink sink;
    sink.Open();
    FeedbackWorker worker(sink, true);
    worker.Start();
    std::this_thread::sleep_for(20ms);  // most likely asleep by now; either way it must deliver
    worker.Announce(u"F5");
    worker.Flush();
    sink.WaitFor(1);
    EXPECT_TRUE(worker.Stop(10s));
    EXPECT_EQ(sink.got, std::vector<std::string>{"F5"});
}

}  // namespace
}  // namespace quillet
