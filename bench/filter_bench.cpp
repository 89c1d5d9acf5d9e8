// Cost of one keyboard-hook decision per path. Speech and cues are no-ops here:
// what is measured is the filter's own work inside the hook call.
#include <benchmark/benchmark.h>

#include "filter/double_press_filter.h"

namespace quillet {
namespace {

class StillKeyboard final : public FilterPlatform {
public:
    bool held = false;
    int64_t now = 0;
    bool IsKeyHeld(uint32_t) override { return held; }
    int64_t ReadClock() override { return now; }
};

class SilentFeedback final : public FilterFeedback {
public:
    void Announce(std::u16string_view text) override { benchmark::DoNotOptimize(text.data()); }
    void SoundIgnoreModeCue(int32_t) override {}
    void SoundNextKeyConsumedCue() override {}
};

constexpr uint32_t kF5 = 116;

struct Bench {
    FilterState state;
    FilterSettings settings;
    StillKeyboard keyboard;
    SilentFeedback feedback;
    DoublePressFilter filter{state, settings, keyboard, feedback};
    Bench() {
        NamedConstantTable constants;
        RegisterKeyConstants(constants);
        BuildKeyTables(state, constants);
    }
};

void BM_UnguardedKey(benchmark::State& s) {
    Bench b;
    for (auto _ : s) benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyDown, 65));
}
BENCHMARK(BM_UnguardedKey);

void BM_SwallowedFirstPress(benchmark::State& s) {
    Bench b;
    for (auto _ : s) benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyDown, kF5));
}
BENCHMARK(BM_SwallowedFirstPress);

void BM_PassedSecondPress(benchmark::State& s) {
    Bench b;
    KeyState& key = KeyStateFor(b.state, u"116");
    for (auto _ : s) {
        key.releaseCount = 1;  // armed by a release just now
        key.passThrough = 0;
        benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyDown, kF5));
    }
}
BENCHMARK(BM_PassedSecondPress);

void BM_Release(benchmark::State& s) {
    Bench b;
    for (auto _ : s) benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyUp, kF5));
}
BENCHMARK(BM_Release);

void BM_HotKey(benchmark::State& s) {
    Bench b;
    b.keyboard.held = true;
    for (auto _ : s) benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyDown, 27));
}
BENCHMARK(BM_HotKey);

}  // namespace
}  // namespace quillet
