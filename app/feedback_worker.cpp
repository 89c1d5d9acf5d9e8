#include "app/feedback_worker.h"

#include <algorithm>

namespace quillet {

FeedbackWorker::~FeedbackWorker() {
    Stop(std::chrono::milliseconds::zero());
    if (thread_.joinable()) thread_.join();
}

void FeedbackWorker::Start() {
    if (!thread_.joinable()) thread_ = std::thread(&FeedbackWorker::Run, this);
}

bool FeedbackWorker::Stop(std::chrono::milliseconds limit) {
    if (!thread_.joinable()) return true;
    std::unique_lock lock(mutex_);
    stopping_ = true;
    count_ = 0;
    wake_.notify_all();
    if (!wake_.wait_for(lock, limit, [this] { return finished_; })) return false;
    lock.unlock();
    thread_.join();
    return true;
}

void FeedbackWorker::Announce(std::u16string_view text) {
    Request r{Request::Kind::Speak, 0, 0, {}};
    r.length = static_cast<uint8_t>(std::min(text.size(), kMaxTextLength));
    std::copy_n(text.data(), r.length, r.text);
    Push(r);
}

void FeedbackWorker::SoundIgnoreModeCue(int32_t mode) {
    Push({Request::Kind::IgnoreModeCue, mode, 0, {}});
}

void FeedbackWorker::SoundNextKeyConsumedCue() {
    Push({Request::Kind::NextKeyConsumedCue, 0, 0, {}});
}

// Called inside the hook: holds the lock only for the copy.
void FeedbackWorker::Push(const Request& request) {
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        if (count_ == kCapacity) {
            head_ = (head_ + 1) % kCapacity;  // the oldest goes
            --count_;
        }
        ring_[(head_ + count_) % kCapacity] = request;
        ++count_;
        wake = waiting_;
    }
    if (!wake) return;
    if (wakeOnFlush_) {
        wakeOwed_.store(true, std::memory_order_relaxed);
    } else {
        wake_.notify_all();
    }
}

// The worker stays in its wait until notified, and Push saw it there under the lock,
// so a notify now still reaches it.
void FeedbackWorker::Flush() {
    if (wakeOwed_.exchange(false, std::memory_order_relaxed)) wake_.notify_all();
}

void FeedbackWorker::Run() {
    sink_.BeginThread();
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (count_ == 0) {
            waiting_ = true;
            wake_.wait(lock);
            waiting_ = false;
            continue;
        }
        // Everything queued at once, so the hook meets the lock taken as rarely as possible.
        std::array<Request, kCapacity> batch;
        const size_t taken = count_;
        for (size_t n = 0; n < taken; ++n) batch[n] = ring_[(head_ + n) % kCapacity];
        head_ = (head_ + taken) % kCapacity;
        count_ = 0;
        lock.unlock();
        for (size_t n = 0; n < taken && !stopping_; ++n) Deliver(batch[n]);
        lock.lock();
    }
    lock.unlock();
    sink_.EndThread();
    lock.lock();
    finished_ = true;
    wake_.notify_all();
}

void FeedbackWorker::Deliver(const Request& request) {
    switch (request.kind) {
        case Request::Kind::Speak:
            sink_.Announce({request.text, request.length});
            break;
        case Request::Kind::IgnoreModeCue:
            sink_.SoundIgnoreModeCue(request.mode);
            break;
        case Request::Kind::NextKeyConsumedCue:
            sink_.SoundNextKeyConsumedCue();
            break;
    }
}

}  // namespace quillet
