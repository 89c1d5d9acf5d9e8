// The one thread that talks to the speech library and the sound layer. The hook
// and the main thread only queue a request and go on, so a screen reader that hangs
// in speechSay, or an audio driver that hangs in a start or stop, never holds up a
// key, the menu or the end. The queue is bounded and never allocates; when a hung
// reader lets it fill, the oldest requests go. The hook never waits for the queue's
// lock: a thread of normal priority may hold it.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "filter/double_press_filter.h"
#include "speech/speech_binding.h"

namespace quillet {

// What the worker's requests become: speech and sound, called on the worker's
// thread only.
class FeedbackOutput {
  public:
    virtual ~FeedbackOutput() = default;
    // Around the worker thread's life: per-thread set-up such as COM, and opening
    // and closing the audio device.
    virtual void BeginThread() {}
    virtual void EndThread() {}
    virtual void Speak(std::u16string_view text) = 0;
    // On the braille display alone: what a cue tells, for those who cannot hear it.
    virtual void ShowBraille(std::u16string_view text) = 0;
    virtual void PlayCue(Cue cue) = 0;
    // Returns once the cue ended or its own limit passed.
    virtual void PlayCueAndWait(Cue /*cue*/) {}
    virtual void SoundSlotHousekeeping() {}
    // SpeechBinding::Engine.
    virtual int SpeechEngine() { return kNoEngineAnswer; }
    // Looks after the idle audio device at the tick count `nowMs`; answers how many ms
    // until it wants another look, or a negative number for none.
    virtual int64_t Idle(uint32_t /*nowMs*/) { return -1; }
};

class FeedbackWorker final : public FilterFeedback {
  public:
    static constexpr size_t kCapacity = 16;
    // Longer texts are cut. The longest spoken text, a translated announcement, is
    // 59 characters; a test keeps every language within this.
    static constexpr size_t kMaxTextLength = 95;
    // How long the destructor gives the thread to end before leaving it behind.
    static constexpr std::chrono::milliseconds kLeaveBehindAfter{500};

    // With `fromHookThread`, the FilterFeedback calls come from a hook thread that
    // calls HandOverAfterHookCall after each hook call: they never wait for the
    // queue, and a request for a sleeping worker wakes it only then, so the wake's
    // system call stays out of the hook call. Without, they queue and wake as the
    // main thread's calls do. The output must outlive the thread, which may be left
    // behind in it.
    explicit FeedbackWorker(FeedbackOutput& output, bool fromHookThread = false);
    // Never joins a thread stuck in the output: it is left behind.
    ~FeedbackWorker();
    FeedbackWorker(const FeedbackWorker&) = delete;
    FeedbackWorker& operator=(const FeedbackWorker&) = delete;

    // Starts the thread; requests queued before are kept. Runs once.
    void Start();
    // Drops what is still queued and ends the thread once the request in hand is
    // done. False when that takes longer than `limit` (a hung reader or device): the
    // thread is then still inside the output.
    bool Stop(std::chrono::milliseconds limit);

    // From the hook: queue and return at once.
    void Announce(std::u16string_view text) override;
    void SoundCueFromHook(Cue cue) override;
    // After the hook call: hands over what met the queue taken, and wakes the worker.
    // True while the queue is still taken: nothing here waits for it either.
    bool HandOverAfterHookCall() override;

    // From the main thread: queue and wake the worker at once.
    void QueueCue(Cue cue);
    void QueueBraille(std::u16string_view text);
    void SoundSlotHousekeeping();
    // Drops everything queued, sounds the cue and waits at most `limit` for its end,
    // then for `braille` shown, when there is one: after the cue, so a hung reader
    // never costs the cue. Until the cue has ended no cue is taken, so nothing cuts
    // it short; speech still is. False when the limit passed first.
    bool SoundLastCueAndWait(Cue cue, std::chrono::milliseconds limit,
                             std::u16string_view braille = {});

    // From the main thread: asks the output which speech engine it uses, on the worker's
    // thread, and waits at most `limit` for the answer; kNoEngineAnswer without one.
    int AskSpeechEngine(std::chrono::milliseconds limit);

    // For tests: the queue taken, as the worker or the main thread take it briefly.
    std::unique_lock<std::mutex> HoldQueueForTest();

  private:
    struct Request {
        enum class Kind : uint8_t { Speak, Braille, Cue, LastCue, Housekeeping, Engine } kind;
        Cue cue;
        uint32_t ticket;  // which last cue, or which question for the engine
        uint8_t length;
        char16_t text[kMaxTextLength];  // spoken, or shown in braille

        static Request WithText(Kind kind, std::u16string_view text, Cue cue = {},
                                uint32_t ticket = 0);
    };
    // Requests in order; when full, a new one pushes out the oldest.
    struct Requests {
        std::array<Request, kCapacity> slots{};
        size_t head = 0;  // the oldest
        size_t count = 0;
        Request& At(size_t n) { return slots[(head + n) % kCapacity]; }
        void Add(const Request& request);
    };
    struct Shared;

    void Push(const Request& request);
    void PushFromHook(const Request& request);
    // Under the lock: hands over the stash; true when the worker sleeps and needs a wake.
    bool HandOverStash();
    static bool Queue(Shared& s, const Request& request);
    static void DropQueued(Shared& s);
    static void Run(std::shared_ptr<Shared> shared);
    static void Deliver(FeedbackOutput& output, const Request& request);

    // Everything the thread touches, so a thread left behind never reads freed memory.
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
    // The hook thread's own: what met the queue taken, and a wake owed after the call.
    Requests stash_;
    bool wakeOwed_ = false;
};

}  // namespace quillet
