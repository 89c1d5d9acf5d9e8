// Cost of one keyboard-hook decision per path. Speech and cues are no-ops here:
// what is measured is the filter's own work inside the hook call, and, for a
// swallowed press, with the hand-off of its announcement to the feedback worker.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/feedback_worker.h"
#include "filter/double_press_filter.h"
#include "tests/unit/filter/filter_fakes.h"

namespace quillet {
namespace {

class StillKeyboard final : public FilterPlatform {
  public:
    bool held = false;
    int64_t now = 0;
    bool IsKeyHeld(uint32_t) override { return held; }
    int64_t ReadClock() override { return now; }
    void SendNoOpKey() override {}
    bool ListedOrOwnWindowInFront() override { return false; }
    uint64_t ForegroundStamp() override { return 0; }
    uint64_t WindowInFront() override { return 0; }
};

class SilentFeedback final : public FilterFeedback {
  public:
    void Announce(std::u16string_view text) override { benchmark::DoNotOptimize(text.data()); }
    void SoundCueFromHook(Cue) override {}
};

constexpr uint32_t kF5 = 116;

class CountingOutput final : public FeedbackOutput {
  public:
    std::atomic<int64_t> delivered{0};
    void Speak(std::u16string_view) override { ++delivered; }
    void ShowBraille(std::u16string_view) override { ++delivered; }
    void PlayCue(Cue) override { ++delivered; }
};

template <typename Feedback = SilentFeedback>
using Bench = testing::BasicFilterRig<StillKeyboard, Feedback>;

void BM_UnguardedKey(benchmark::State& s) {
    Bench<> b;
    for (auto _ : s) benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyDown, 65));
}
BENCHMARK(BM_UnguardedKey);

void BM_SwallowedFirstPress(benchmark::State& s) {
    Bench<> b;
    for (auto _ : s) {
        b.state.keyStates[kF5].held = HeldPress::None;  // not an auto-repeat
        benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyDown, kF5));
    }
}
BENCHMARK(BM_SwallowedFirstPress);

// The auto-repeats of a held key: a first press's, swallowed and spoken again; a
// second press's, asked of the key's state and the window in front, and passed.
void BM_SwallowedRepeat(benchmark::State& s) {
    Bench<> b;
    for (auto _ : s) benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyDown, kF5));
}
BENCHMARK(BM_SwallowedRepeat);

void BM_PassedRepeat(benchmark::State& s) {
    Bench<> b;
    b.keyboard.held = true;
    b.state.keyStates[kF5].armed = true;
    b.filter.ShouldSwallow(kHcAction, kWmKeyDown, kF5);
    for (auto _ : s) benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyDown, kF5));
}
BENCHMARK(BM_PassedRepeat);

// The same press as the hook thread sees it: the announcement queued for a worker
// that speaks meanwhile on its own thread.
struct WorkerFeedback {
    CountingOutput output;
    FeedbackWorker worker{output, true};  // woken after the hook call, as on the hook thread
    WorkerFeedback() { worker.Start(); }
    operator FilterFeedback&() { return worker; }
};

void BM_SwallowedFirstPressHandedOff(benchmark::State& s) {
    Bench<WorkerFeedback> b;
    for (auto _ : s) {
        benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyDown, kF5));
        b.feedback.worker.HandOverAfterHookCall();
    }
    s.counters["delivered"] = static_cast<double>(b.feedback.output.delivered.load());
}
BENCHMARK(BM_SwallowedFirstPressHandedOff);

// One press at a time, as when typing: the worker has spoken and gone to sleep.
// Timed is the hook call; the wake that follows it is counted apart (wake_ns).
void BM_SwallowedFirstPressWakingTheWorker(benchmark::State& s) {
    using Clock = std::chrono::steady_clock;
    Bench<WorkerFeedback> b;
    int64_t pushed = 0;
    Clock::duration waking{};
    for (auto _ : s) {
        while (b.feedback.output.delivered.load() < pushed) std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::microseconds(50));  // into its wait
        const auto start = Clock::now();
        benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyDown, kF5));
        const auto decided = Clock::now();
        while (b.feedback.worker.HandOverAfterHookCall()) {
        }
        waking += Clock::now() - decided;
        s.SetIterationTime(std::chrono::duration<double>(decided - start).count());
        ++pushed;
    }
    s.counters["wake_ns"] =
        std::chrono::duration<double, std::nano>(waking).count() / std::max<int64_t>(pushed, 1);
}
// Each press waits for the worker to fall asleep, so the iterations are set.
BENCHMARK(BM_SwallowedFirstPressWakingTheWorker)->UseManualTime()->Iterations(20000);

// A fresh press swallowed while a modifier is held: the modifiers are read and
// the no-op key is sent (here a no-op call).
void BM_SwallowedPressUnderAModifier(benchmark::State& s) {
    Bench<> b;
    b.keyboard.held = true;
    for (auto _ : s) {
        b.state.keyStates[kF5].held = HeldPress::None;  // not an auto-repeat
        benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyDown, kF5));
    }
}
BENCHMARK(BM_SwallowedPressUnderAModifier);

void BM_PassedSecondPress(benchmark::State& s) {
    Bench<> b;
    KeyState& key = b.state.keyStates[kF5];
    for (auto _ : s) {
        key.armed = true;  // by a release just now
        key.held = HeldPress::None;
        benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyDown, kF5));
    }
}
BENCHMARK(BM_PassedSecondPress);

void BM_Release(benchmark::State& s) {
    Bench<> b;
    for (auto _ : s) benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyUp, kF5));
}
BENCHMARK(BM_Release);

// A press a screen reader below us trapped, then its copy sent again: the
// expectation queued and taken, both decided.
void BM_TrappedPressAndItsCopy(benchmark::State& s) {
    Bench<> b;
    for (auto _ : s) {
        ++b.keyboard.now;
        benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyDown, kF5, {false, true}));
        benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyDown, kF5, {true, false}));
        benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyUp, kF5, {true, false}));
    }
}
BENCHMARK(BM_TrappedPressAndItsCopy);

void BM_HotKey(benchmark::State& s) {
    Bench<> b;
    b.keyboard.held = true;
    for (auto _ : s) benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyDown, 27));
}
BENCHMARK(BM_HotKey);

}  // namespace
}  // namespace quillet
