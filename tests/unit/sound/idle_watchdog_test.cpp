#include <gtest/gtest.h>

#include "sound/pause.h"
#include "sound_test_support.h"

namespace quillet {
namespace {

// A real device on miniaudio's null backend: started and stopped like a sound card's,
// without needing one. The idle checks are driven by hand with chosen tick counts.
class IdleWatchdogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SoundPlayerOptions o;
        o.nullBackend = true;
        o.watchdogThread = false;
        ASSERT_TRUE(player.Start(o));
        player.RegisterOggVorbisDecoder();
        ASSERT_TRUE(test::LoadClip(player, 0, Clip::On));
    }
    SoundPlayer player;
};

TEST_F(IdleWatchdogTest, DeviceRunsOnlyFromThePlayUntilLongIdle) {
    EXPECT_FALSE(player.DeviceStarted()) << "stopped right after start";
    ASSERT_EQ(player.Play(0, 0, 100), 1);
    EXPECT_TRUE(player.DeviceStarted());

    // A voice in use keeps it running whatever the time.
    player.IdleCheck(1000);
    player.IdleCheck(50000);
    EXPECT_TRUE(player.DeviceStarted());

    player.Stop(0);
    player.IdleCheck(60000);  // first idle check sets the mark
    player.IdleCheck(70000);  // exactly 10 s: not yet
    EXPECT_TRUE(player.DeviceStarted());
    player.IdleCheck(70001);
    EXPECT_FALSE(player.DeviceStarted());

    // The next play starts it again at once.
    ASSERT_EQ(player.Play(0, 0, 100), 1);
    EXPECT_TRUE(player.DeviceStarted());
    EXPECT_EQ(player.Status(0), kSoundPlaying);
}

TEST_F(IdleWatchdogTest, APlayInBetweenRestartsTheIdleTime) {
    ASSERT_EQ(player.Play(0, 0, 100), 1);
    player.Stop(0);
    player.IdleCheck(0);
    ASSERT_EQ(player.Play(0, 0, 100), 1);
    player.IdleCheck(6000);  // in use: the mark is dropped
    player.Stop(0);
    player.IdleCheck(8000);  // marked anew
    player.IdleCheck(12000);
    EXPECT_TRUE(player.DeviceStarted()) << "only 4 s since the new mark";
    player.IdleCheck(18001);
    EXPECT_FALSE(player.DeviceStarted());
}

TEST_F(IdleWatchdogTest, TickCountWrapIsHandled) {
    ASSERT_EQ(player.Play(0, 0, 100), 1);
    player.Stop(0);
    player.IdleCheck(0xFFFFF000u);
    player.IdleCheck(0x00001000u);  // 8192 ms later across the wrap
    EXPECT_TRUE(player.DeviceStarted());
    player.IdleCheck(0x00001800u);  // 10240 ms
    EXPECT_FALSE(player.DeviceStarted());
}

TEST(IdleWatchdogThread, StopsTheDeviceOnItsOwnAndEndsPromptly) {
    SoundPlayer player;
    SoundPlayerOptions o;
    o.nullBackend = true;
    o.watchdogWakeMs = 10;
    o.idleLimitMs = 30;
    ASSERT_TRUE(player.Start(o));
    player.RegisterOggVorbisDecoder();
    ASSERT_TRUE(test::LoadClip(player, 0, Clip::On));
    ASSERT_EQ(player.Play(0, 0, 100), 1);
    player.Stop(0);
    // Poll with a generous limit; what matters is that it happens, not when.
    for (int i = 0; i < 500 && player.DeviceStarted(); ++i) Pause(10);
    EXPECT_FALSE(player.DeviceStarted());
    // A sound still in use on a stopped device is not playing: a wait for it ends.
    ASSERT_EQ(player.Play(0, 0, 100), 1);
    ASSERT_EQ(player.Status(0), kSoundPlaying);
    ma_device_stop(ma_engine_get_device(player.Engine()));
    EXPECT_EQ(player.Status(0), kSoundInUseNotPlaying);
    player.End();  // joins the watchdog; a hang here fails by the test timeout
    EXPECT_EQ(player.Status(0), kSoundMissing);
}

}  // namespace
}  // namespace quillet
