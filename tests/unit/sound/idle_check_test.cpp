#include <gtest/gtest.h>

#include "sound_test_support.h"

namespace quillet {
namespace {

constexpr int64_t kNoLook = SoundPlayer::kNoLook;
constexpr int64_t kPlaying = SoundPlayer::kPlayingLookMs;

// A real device on miniaudio's null backend: started and stopped like a sound card's,
// without needing one. The idle checks are driven by hand with chosen tick counts, the
// way the feedback worker drives them from its timed wait.
class IdleCheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SoundPlayerOptions o;
        o.nullBackend = true;
        ASSERT_TRUE(player.Start(o));
        player.RegisterOggVorbisDecoder();
        ASSERT_TRUE(test::LoadClip(player, 0, Clip::On));
    }
    SoundPlayer player;
};

// Each step: play or stop the sound, or check at a tick count and expect the answer
// (ms until the next look) and the device's state afterwards.
TEST(IdleCheck, DeviceStopsOnlyAfterMoreThanTenIdleSeconds) {
    enum Kind { Play, Stop, Check };
    struct Step {
        Kind kind;
        uint32_t at = 0;
        int64_t nextLook = 0;
        bool started = true;
    };
    const struct {
        const char* name;
        std::vector<Step> steps;
    } scripts[] = {
        {"stopped right after start, and nothing wakes", {{Check, 5000, kNoLook, false}}},
        {"a voice in use keeps it running whatever the time",
         {{Play}, {Check, 1000, kPlaying}, {Check, 50000, kPlaying}}},
        {"more than 10 s after the first idle look",
         {{Play},
          {Stop},
          {Check, 60000, 10001},
          {Check, 65000, 5001},
          {Check, 70000, 1},
          {Check, 70001, kNoLook, false},
          {Check, 90000, kNoLook, false},
          {Play},
          {Check, 90001, kPlaying}}},
        {"a play in between starts the idle time anew",
         {{Play},
          {Stop},
          {Check, 0, 10001},
          {Play},
          {Check, 6000, kPlaying},
          {Stop},
          {Check, 8000, 10001},
          {Check, 12000, 6001},
          {Check, 18001, kNoLook, false}}},
        {"tick count wrap",
         {{Play},
          {Stop},
          {Check, 0xFFFFF000u, 10001},
          {Check, 0x00001000u, 10001 - 8192},
          {Check, 0x00001800u, kNoLook, false}}},
    };
    for (const auto& script : scripts) {
        SoundPlayer fresh;
        SoundPlayerOptions o;
        o.nullBackend = true;
        ASSERT_TRUE(fresh.Start(o));
        fresh.RegisterOggVorbisDecoder();
        ASSERT_TRUE(test::LoadClip(fresh, 0, Clip::On));
        for (size_t n = 0; n < script.steps.size(); ++n) {
            const Step& s = script.steps[n];
            SCOPED_TRACE(testing::Message() << script.name << ", step " << n);
            switch (s.kind) {
                case Play:
                    ASSERT_EQ(fresh.Play(0, 0, 100), 1);
                    EXPECT_TRUE(fresh.DeviceStarted());
                    break;
                case Stop:
                    fresh.Stop(0);
                    break;
                case Check:
                    EXPECT_EQ(fresh.IdleCheck(s.at), s.nextLook);
                    EXPECT_EQ(fresh.DeviceStarted(), s.started);
                    break;
            }
        }
    }
}

// The next play after the idle stop is heard at once; and a sound still in use on a
// device stopped behind the player's back is not playing, so a wait for it ends.
TEST_F(IdleCheckTest, PlayAfterTheStopStartsTheDeviceAgain) {
    ASSERT_EQ(player.Play(0, 0, 100), 1);
    player.Stop(0);
    player.IdleCheck(0);
    ASSERT_EQ(player.IdleCheck(10001), kNoLook);
    ASSERT_FALSE(player.DeviceStarted());
    ASSERT_EQ(player.Play(0, 0, 100), 1);
    EXPECT_TRUE(player.DeviceStarted());
    EXPECT_EQ(player.Status(0), kSoundPlaying);
    ma_device_stop(ma_engine_get_device(player.Engine()));
    EXPECT_EQ(player.Status(0), kSoundInUseNotPlaying);
    player.End();
    EXPECT_EQ(player.Status(0), kSoundMissing);
}

// Every start and stop of the device goes through the gate (QuilletFaults.exe hangs there).
int gateCalls = 0;
void CountGate() { ++gateCalls; }

TEST(SoundDeviceGate, GuardsEveryStartAndStop) {
    gateCalls = 0;
    SoundPlayer player;
    SoundPlayerOptions o;
    o.nullBackend = true;
    o.deviceGate = CountGate;
    ASSERT_TRUE(player.Start(o));
    EXPECT_EQ(gateCalls, 1) << "the stop right after start";
    player.RegisterOggVorbisDecoder();
    ASSERT_TRUE(test::LoadClip(player, 0, Clip::On));
    ASSERT_EQ(player.Play(0, 0, 100), 1);
    EXPECT_EQ(gateCalls, 2);
    ASSERT_EQ(player.Play(0, 0, 100), 1);
    EXPECT_EQ(gateCalls, 2) << "a running device is not started again";
    player.End();
    EXPECT_EQ(gateCalls, 3) << "the stop at the end";
}

}  // namespace
}  // namespace quillet
