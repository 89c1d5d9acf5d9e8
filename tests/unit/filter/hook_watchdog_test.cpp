#include "filter/hook_watchdog.h"

#include <gtest/gtest.h>

#include <vector>

#include "filter_fakes.h"

namespace quillet {
namespace {

using Action = HookWatchdog::Action;

enum Kind { Hook, Raw, Session, Check, InstallOk, InstallFails, Sink };

struct Step {
    Kind kind;
    int64_t at;
    bool expect =
        false;  // Check: Reinstall wanted; Install*: the failure is to be told; Sink: listens
};

struct Script {
    const char* name;
    std::vector<Step> steps;
    int64_t nextCheck;  // afterwards, at the last step's time
};

TEST(HookWatchdog, ReinstallsOnlyForKeysTheHookMissed) {
    const Script scripts[] = {
        {"live hook",
         {{Hook, 1000}, {Raw, 1000}, {Check, 1000}, {Check, 9000}},
         HookWatchdog::kNever},
        {"hook called late",
         {{Raw, 5000}, {Check, 5000}, {Hook, 5010}, {Check, 6100}},
         HookWatchdog::kNever},
        {"dead hook",
         {{Hook, 1000}, {Raw, 5000}, {Check, 5000}, {Check, 5999}, {Check, 6000, true}},
         6000},
        {"later keys keep the first date", {{Raw, 5000}, {Raw, 5500}, {Check, 6000, true}}, 6000},
        {"within the slack", {{Hook, 4900}, {Raw, 5000}, {Check, 6000}}, HookWatchdog::kNever},
        {"past the slack", {{Hook, 4899}, {Raw, 5000}, {Check, 6000, true}}, 6000},
        {"reinstalled, then seen",
         {{Raw, 5000},
          {Check, 6000, true},
          {InstallOk, 6000},
          {Raw, 7000},
          {Hook, 7000},
          {Check, 8000}},
         HookWatchdog::kNever},
        {"the missed key is settled by the reinstall",
         {{Raw, 5000}, {Check, 6000, true}, {InstallOk, 6000}, {Check, 6001}, {Check, 9000}},
         HookWatchdog::kNever},
        {"session change",
         {{Session, 0}, {Check, 10, true}, {InstallOk, 10}, {Check, 20}},
         HookWatchdog::kNever},
        {"session change while an install has failed: due at once",
         {{InstallFails, 6000, true}, {Session, 6500}},
         0},
        {"session change while an install has failed: reinstalled at once",
         {{InstallFails, 6000, true}, {Session, 6500}, {Check, 6500, true}, {InstallFails, 6500}},
         8500},
        {"sink rests while the hook is busy",
         {{Sink, 0, true}, {Hook, 1000}, {Sink, 1000}, {Sink, 1249}, {Hook, 1200}, {Sink, 1449}},
         1450},
        {"sink listens after a quiet spell",
         {{Hook, 1000}, {Sink, 1250, true}},
         HookWatchdog::kNever},
        {"sink listens for a pending key", {{Hook, 4950}, {Raw, 5000}, {Sink, 5000, true}}, 6000},
        {"failures retried every 2 s, told once",
         {{InstallFails, 6000, true},
          {Raw, 6500},
          {Check, 7999},
          {Check, 8000, true},
          {InstallFails, 8000, false},
          {Check, 10000, true},
          {InstallOk, 10000},
          {InstallFails, 20000, true}},
         22000},
    };
    for (const Script& script : scripts) {
        HookWatchdog dog;
        for (size_t n = 0; n < script.steps.size(); ++n) {
            const Step& s = script.steps[n];
            switch (s.kind) {
                case Hook:
                    dog.OnHookEvent(s.at);
                    break;
                case Raw:
                    dog.OnRawKey(s.at);
                    break;
                case Sink:
                    EXPECT_EQ(dog.WantsSink(s.at), s.expect) << script.name << " step " << n;
                    break;
                case Session:
                    dog.OnSessionChange();
                    break;
                case Check:
                    EXPECT_EQ(dog.Check(s.at) == Action::Reinstall, s.expect)
                        << script.name << " step " << n;
                    break;
                case InstallOk:
                case InstallFails:
                    EXPECT_EQ(dog.OnInstalled(s.kind == InstallOk, s.at), s.expect)
                        << script.name << " step " << n;
                    break;
            }
        }
        EXPECT_EQ(dog.NextCheck(script.steps.back().at), script.nextCheck) << script.name;
    }
}

// A reader's modifier trapped before the hook was lost, released while it was out.
TEST(HookWatchdog, AReinstallForgetsWhatTheFilterHeld) {
    testing::FilterRig rig;
    HookWatchdog dog;
    int installs = 0;
    const auto install = [&] { return ++installs == 1; };
    constexpr uint32_t kF5 = 116;
    rig.Send(kWmKeyDown, kVkInsert, 0, {false, true});
    EXPECT_FALSE(ReinstallIfLost(dog, rig.filter, 10, install));
    EXPECT_FALSE(rig.Press(kF5, 20));  // nothing lost: the modifier still holds
    dog.OnRawKey(100);
    EXPECT_FALSE(ReinstallIfLost(dog, rig.filter, 1100, install));
    EXPECT_EQ(installs, 1);
    EXPECT_TRUE(rig.Press(kF5, 1200));
    rig.Send(kWmKeyDown, kVkInsert, 1300, {false, true});
    dog.OnSessionChange();
    EXPECT_TRUE(ReinstallIfLost(dog, rig.filter, 1400, install));  // failed: told
    EXPECT_TRUE(rig.Press(kF5, 1500));
}

}  // namespace
}  // namespace quillet
