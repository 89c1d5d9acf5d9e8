#include "app/feedback_worker.h"

#include <algorithm>

namespace quillet {

struct FeedbackWorker::Shared {
    Shared(FeedbackOutput& o, bool h) : output(o), fromHookThread(h) {}

    FeedbackOutput& output;
    const bool fromHookThread;
    std::mutex mutex;
    std::condition_variable wake;      // the worker waits here
    std::condition_variable answered;  // the main thread waits here
    Requests queue;
    bool waiting = false;               // the worker sleeps on wake: only then is a notify needed
    std::atomic<bool> stopping{false};  // also read while delivering a batch
    uint32_t lastCueAsked = 0;  // tickets: no cue is taken while the one asked for is not done
    uint32_t lastCueDone = 0;
    uint32_t engineAsked = 0;  // tickets of the questions for the speech engine
    uint32_t engineAnswered = 0;
    int engine = kNoEngineAnswer;
    bool finished = false;
};

namespace {

uint32_t TickNow() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

FeedbackWorker::FeedbackWorker(FeedbackOutput& output, bool fromHookThread)
    : shared_(std::make_shared<Shared>(output, fromHookThread)) {}

FeedbackWorker::~FeedbackWorker() {
    if (!thread_.joinable()) return;
    if (!Stop(kLeaveBehindAfter)) thread_.detach();
}

void FeedbackWorker::Start() {
    if (!thread_.joinable()) thread_ = std::thread(&FeedbackWorker::Run, shared_);
}

bool FeedbackWorker::Stop(std::chrono::milliseconds limit) {
    if (!thread_.joinable()) return true;
    Shared& s = *shared_;
    std::unique_lock lock(s.mutex);
    s.stopping = true;
    DropQueued(s);
    s.wake.notify_all();
    if (!s.answered.wait_for(lock, limit, [&] { return s.finished; })) return false;
    lock.unlock();
    thread_.join();
    return true;
}

FeedbackWorker::Request FeedbackWorker::Request::WithText(Kind kind, std::u16string_view text,
                                                          Cue cue, uint32_t ticket) {
    Request r{kind, cue, ticket, 0, {}};
    r.length = static_cast<uint8_t>(std::min(text.size(), kMaxTextLength));
    std::copy_n(text.data(), r.length, r.text);
    return r;
}

void FeedbackWorker::Announce(std::u16string_view text) {
    PushFromHook(Request::WithText(Request::Kind::Speak, text));
}

void FeedbackWorker::QueueBraille(std::u16string_view text) {
    Push(Request::WithText(Request::Kind::Braille, text));
}

void FeedbackWorker::SoundCueFromHook(Cue cue) {
    PushFromHook({Request::Kind::Cue, cue, 0, 0, {}});
}

void FeedbackWorker::QueueCue(Cue cue) { Push({Request::Kind::Cue, cue, 0, 0, {}}); }

void FeedbackWorker::SoundSlotHousekeeping() { Push({Request::Kind::Housekeeping, {}, 0, 0, {}}); }

void FeedbackWorker::Requests::Add(const Request& request) {
    if (count == kCapacity) {
        head = (head + 1) % kCapacity;
        --count;
    }
    At(count++) = request;
}

bool FeedbackWorker::Queue(Shared& s, const Request& request) {
    if (s.stopping) return false;
    const bool isText =
        request.kind == Request::Kind::Speak || request.kind == Request::Kind::Braille;
    if (s.lastCueAsked != s.lastCueDone && !isText) return false;
    // The waiting last cue never goes: until it has sounded, every cue is refused. It
    // can only sit first, as it empties the queue.
    if (s.queue.count == kCapacity && s.queue.At(0).kind == Request::Kind::LastCue) {
        s.queue.At(1) = s.queue.At(0);
    }
    s.queue.Add(request);
    return s.waiting;
}

void FeedbackWorker::Push(const Request& request) {
    Shared& s = *shared_;
    bool wake = false;
    {
        std::lock_guard lock(s.mutex);
        wake = Queue(s, request);
    }
    if (wake) s.wake.notify_all();
}

// Inside the hook call nothing waits: a queue taken by another thread leaves the
// request in the stash, and the wake waits for the end of the call.
void FeedbackWorker::PushFromHook(const Request& request) {
    if (!shared_->fromHookThread) return Push(request);
    std::unique_lock lock(shared_->mutex, std::try_to_lock);
    if (!lock) return stash_.Add(request);
    const bool wake = HandOverStash();
    if (Queue(*shared_, request) || wake) wakeOwed_ = true;
}

bool FeedbackWorker::HandOverStash() {
    bool wake = false;
    for (size_t n = 0; n < stash_.count; ++n) wake |= Queue(*shared_, stash_.At(n));
    stash_.count = 0;
    return wake;
}

// The worker stays in its wait until notified, and the queue saw it there under the
// lock, so a notify now still reaches it.
bool FeedbackWorker::HandOverAfterHookCall() {
    if (stash_.count != 0) {
        // Rare: only after a hook call met the queue taken, which is held for a copy.
        std::unique_lock lock(shared_->mutex, std::try_to_lock);
        if (!lock) return true;
        if (HandOverStash()) wakeOwed_ = true;
    }
    if (wakeOwed_) shared_->wake.notify_all();
    wakeOwed_ = false;
    return false;
}

std::unique_lock<std::mutex> FeedbackWorker::HoldQueueForTest() {
    return std::unique_lock(shared_->mutex);
}

bool FeedbackWorker::SoundLastCueAndWait(Cue cue, std::chrono::milliseconds limit,
                                         std::u16string_view braille) {
    if (!thread_.joinable()) return true;
    Shared& s = *shared_;
    std::unique_lock lock(s.mutex);
    if (s.stopping) return true;
    // A cue still queued would reload the sound slot and cut this one short.
    DropQueued(s);
    const uint32_t ticket = ++s.lastCueAsked;
    s.queue.Add(Request::WithText(Request::Kind::LastCue, braille, cue, ticket));
    s.wake.notify_all();
    return s.answered.wait_for(lock, limit, [&] { return s.lastCueDone == ticket || s.finished; });
}

int FeedbackWorker::AskSpeechEngine(std::chrono::milliseconds limit) {
    if (!thread_.joinable()) return kNoEngineAnswer;
    Shared& s = *shared_;
    std::unique_lock lock(s.mutex);
    const uint32_t ticket = ++s.engineAsked;
    Queue(s, {Request::Kind::Engine, {}, ticket, 0, {}});
    s.wake.notify_all();
    const bool answered =
        s.answered.wait_for(lock, limit, [&] { return s.engineAnswered == ticket || s.finished; });
    return answered && s.engineAnswered == ticket ? s.engine : kNoEngineAnswer;
}

void FeedbackWorker::DropQueued(Shared& s) {
    for (size_t n = 0; n < s.queue.count; ++n) {
        // A last cue that will never sound must not leave every later cue refused.
        if (s.queue.At(n).kind == Request::Kind::LastCue) s.lastCueDone = s.lastCueAsked;
    }
    s.queue.count = 0;
}

void FeedbackWorker::Run(std::shared_ptr<Shared> shared) {
    Shared& s = *shared;
    s.output.BeginThread();
    std::unique_lock lock(s.mutex);
    while (!s.stopping) {
        if (s.queue.count == 0) {
            lock.unlock();
            const int64_t look = s.output.Idle(TickNow());
            lock.lock();
            if (s.queue.count != 0 || s.stopping) continue;
            // No look wanted: asleep until a request, with no timer at all.
            s.waiting = true;
            if (look < 0) {
                s.wake.wait(lock);
            } else {
                s.wake.wait_for(lock, std::chrono::milliseconds(look));
            }
            s.waiting = false;
            continue;
        }
        // Everything queued at once, so the hook meets the lock taken as rarely as possible.
        std::array<Request, kCapacity> batch;
        const size_t taken = s.queue.count;
        for (size_t n = 0; n < taken; ++n) batch[n] = s.queue.At(n);
        s.queue.count = 0;
        lock.unlock();
        for (size_t n = 0; n < taken && !s.stopping; ++n) {
            if (batch[n].kind == Request::Kind::Engine) {
                const int engine = s.output.SpeechEngine();
                std::lock_guard answer(s.mutex);
                s.engine = engine;
                s.engineAnswered = batch[n].ticket;
                s.answered.notify_all();
                continue;
            }
            Deliver(s.output, batch[n]);
            if (batch[n].kind == Request::Kind::LastCue) {
                std::lock_guard answer(s.mutex);
                s.lastCueDone = batch[n].ticket;
                s.answered.notify_all();
            }
        }
        lock.lock();
    }
    lock.unlock();
    s.output.EndThread();
    lock.lock();
    s.finished = true;
    s.answered.notify_all();
}

void FeedbackWorker::Deliver(FeedbackOutput& output, const Request& request) {
    switch (request.kind) {
        case Request::Kind::Speak:
            output.Speak({request.text, request.length});
            break;
        case Request::Kind::Cue:
            output.PlayCue(request.cue);
            break;
        case Request::Kind::Braille:
            output.ShowBraille({request.text, request.length});
            break;
        case Request::Kind::LastCue:
            output.PlayCueAndWait(request.cue);
            if (request.length != 0) output.ShowBraille({request.text, request.length});
            break;
        case Request::Kind::Housekeeping:
            output.SoundSlotHousekeeping();
            break;
        case Request::Kind::Engine:  // answered in Run
            break;
    }
}

}  // namespace quillet
