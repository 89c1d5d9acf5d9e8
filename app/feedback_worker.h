// Speech and cues leave the keyboard hook through this worker. The hook only
// queues a request and returns, so a screen reader that hangs in speechSay, or
// an audio device slow to start, never holds up a key. The queue is bounded and
// never allocates; when a hung reader lets it fill, the oldest requests go.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "filter/double_press_filter.h"

namespace quillet {

// Where the worker's requests end up, called on the worker's thread.
class FeedbackSink : public FilterFeedback {
  public:
    // Around the worker thread's life: per-thread set-up such as COM.
    virtual void BeginThread() {}
    virtual void EndThread() {}
};

class FeedbackWorker final : public FilterFeedback {
  public:
    static constexpr size_t kCapacity = 16;
    // Longer texts are cut; the program's longest is 44 characters.
    static constexpr size_t kMaxTextLength = 63;

    // With `wakeOnFlush`, a request queued for a sleeping worker wakes it only at
    // the next Flush, so the wake's system call stays out of the hook call.
    explicit FeedbackWorker(FeedbackSink& sink, bool wakeOnFlush = false)
        : sink_(sink), wakeOnFlush_(wakeOnFlush) {}
    ~FeedbackWorker();
    FeedbackWorker(const FeedbackWorker&) = delete;
    FeedbackWorker& operator=(const FeedbackWorker&) = delete;

    // Starts the thread; requests queued before are kept. Runs once.
    void Start();
    // Drops what is still queued and ends the thread once the request in hand is
    // done. False when that takes longer than `limit` (a hung reader): the thread
    // is then still inside the sink.
    bool Stop(std::chrono::milliseconds limit);

    // Queue and return at once; safe from any thread.
    void Announce(std::u16string_view text) override;
    void SoundIgnoreModeCue(int32_t mode) override;
    void SoundNextKeyConsumedCue() override;
    void Flush() override;

  private:
    struct Request {
        enum class Kind : uint8_t { Speak, IgnoreModeCue, NextKeyConsumedCue } kind;
        int32_t mode;
        uint8_t length;
        char16_t text[kMaxTextLength];
    };

    void Push(const Request& request);
    void Run();
    void Deliver(const Request& request);

    FeedbackSink& sink_;
    const bool wakeOnFlush_;
    std::atomic<bool> wakeOwed_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::array<Request, kCapacity> ring_{};
    size_t head_ = 0;  // oldest request
    size_t count_ = 0;
    bool waiting_ = false;               // the worker sleeps on wake_: only then is a notify needed
    std::atomic<bool> stopping_{false};  // also read while delivering a batch
    bool finished_ = false;
    std::thread thread_;
};

}  // namespace quillet
