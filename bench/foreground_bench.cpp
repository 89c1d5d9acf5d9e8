// Cost of asking whether the program in front gets its keys: per guarded key while
// the foreground stays, and once after it changed (the owner's lookup through the
// system, here a stand-in answering at once, and the match against the list); and
// the whole hook decision for a guarded key with the list in use.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "filter/program_gets_its_keys_check.h"
#include "runtime/text.h"
#include "tests/unit/filter/filter_fakes.h"
#include "ui/program_in_front.h"

namespace quillet {
namespace {

class StillSystem final : public WindowLookup {
  public:
    WindowHandle front = 1;
    WindowHandle ForegroundWindow() override { return front; }
    WindowOwner Owner(WindowHandle window) override {
        return {42, u"HwndWrapper", window % 2 ? u"Devenv.EXE" : u"SomeOtherEditor.exe"};
    }
    uint32_t ProcessOf(WindowHandle) override { return 42; }
    WindowHandle StoreAppWindow(WindowHandle) override { return 0; }
};

// A full list of names of the usual length, the one looked for among them.
ProgramList FullList() {
    std::vector<std::u16string> names;
    for (int i = 0; names.size() + 1 < ProgramList::kMaxPrograms; ++i) {
        names.push_back(u"program-" + IntegerText(i) + u".exe");
    }
    names.push_back(u"devenv.exe");
    return ProgramList(names);
}

struct Rig {
    StillSystem system;
    PublishedPrograms programs;
    ProgramInFront inFront{7};
    ProgramGetsItsKeysCheck cache{system, programs, &inFront};
    Rig() { programs.Publish(FullList()); }
};

void BM_ListedOrOwnSameWindow(benchmark::State& s) {
    Rig rig;
    rig.cache.ListedOrOwnWindowInFront();
    for (auto _ : s) benchmark::DoNotOptimize(rig.cache.ListedOrOwnWindowInFront());
}
BENCHMARK(BM_ListedOrOwnSameWindow);

void BM_ListedOrOwnAfterForegroundChange(benchmark::State& s) {
    Rig rig;
    for (auto _ : s) {
        ++rig.system.front;  // every key finds a new window, listed and not in turn
        benchmark::DoNotOptimize(rig.cache.ListedOrOwnWindowInFront());
    }
}
BENCHMARK(BM_ListedOrOwnAfterForegroundChange);

// The filter asks the cache as the hook thread's platform does.
class ForegroundKeyboard final : public FilterPlatform {
  public:
    Rig rig;
    bool IsKeyHeld(uint32_t) override { return false; }
    int64_t ReadClock() override { return 0; }
    void SendNoOpKey() override {}
    bool ListedOrOwnWindowInFront() override { return rig.cache.ListedOrOwnWindowInFront(); }
    uint64_t ForegroundStamp() override { return 0; }
    uint64_t WindowInFront() override { return rig.system.front; }
};

class SilentFeedback final : public FilterFeedback {
  public:
    void Announce(std::u16string_view text) override { benchmark::DoNotOptimize(text.data()); }
    void SoundCueFromHook(Cue) override {}
};

using FilterBench = testing::BasicFilterRig<ForegroundKeyboard, SilentFeedback>;
constexpr uint32_t kF5 = 116;

// A first press in a program not listed, the window unchanged: swallowed and spoken.
void BM_FilterSwallowsWithProgramsListed(benchmark::State& s) {
    FilterBench b;
    b.keyboard.rig.system.front = 2;
    for (auto _ : s) benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyDown, kF5));
}
BENCHMARK(BM_FilterSwallowsWithProgramsListed);

// A press in a listed program, the window unchanged: passed untouched.
void BM_FilterPassesInAListedProgram(benchmark::State& s) {
    FilterBench b;
    for (auto _ : s) {
        b.state.keyStates[kF5].held = HeldPress::None;  // not an auto-repeat
        benchmark::DoNotOptimize(b.filter.ShouldSwallow(kHcAction, kWmKeyDown, kF5));
    }
}
BENCHMARK(BM_FilterPassesInAListedProgram);

}  // namespace
}  // namespace quillet
