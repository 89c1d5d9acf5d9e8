#include "sound/cue_sounds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

#include "sound_test_support.h"

namespace quillet {
namespace {

using test::PullOptions;
using test::PullWhilePlaying;

class CueSoundTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(player.Start(PullOptions()));
        player.RegisterOggVorbisDecoder();
    }
    SoundPlayer player;
};

float PeakOf(const std::vector<float>& v) {
    float peak = 0;
    for (float x : v) peak = std::max(peak, std::fabs(x));
    return peak;
}

// Each cue: its clip, rate and volume, heard in the SoundSlot for the right number of frames
// at the right gain.
TEST_F(CueSoundTest, EveryCueSoundsItsClipAtItsRateAndVolume) {
    struct Case {
        Cue cue;
        Clip clip;
        int32_t frequency;
        double volume;
        bool waits;
    } cases[] = {
        {Cue::Start, Clip::On, 48000, 50, false},
        {Cue::Exit, Clip::Off, 48000, 50, true},
        {Cue::Restart, Clip::Off, 48000, 100, true},
        {Cue::ExcludeEscapeOn, Clip::On, 96000, 50, false},
        {Cue::ExcludeEscapeOff, Clip::Off, 96000, 50, false},
        {Cue::RunAsAdminOn, Clip::On, 72000, 50, false},
        {Cue::RunAsAdminOff, Clip::Off, 72000, 50, false},
        {Cue::StartWithWindowsOn, Clip::On, 72000, 50, false},
        {Cue::StartWithWindowsOff, Clip::Off, 72000, 50, false},
        {Cue::LetKeysThroughOn, Clip::On, 96000, 50, false},
        {Cue::LetKeysThroughOff, Clip::Off, 96000, 50, false},
        {Cue::SinglePressOn, Clip::On, 96000, 50, false},
        {Cue::SinglePressOff, Clip::Off, 96000, 50, false},
        {Cue::IgnoreModeOff, Clip::Off, 72000, 60, false},
        {Cue::IgnoreModeNextKey, Clip::On, 72000, 60, false},
        {Cue::IgnoreModeAlways, Clip::On, 96000, 60, false},
        {Cue::NextKeyUsed, Clip::Off, 72000, 50, false},
    };
    std::vector<int16_t> on = test::DecodeClip(Clip::On), off = test::DecodeClip(Clip::Off);
    auto peak16 = [](const std::vector<int16_t>& pcm) {
        int p = 0;
        for (int16_t s : pcm) p = std::max(p, std::abs(int(s)));
        return p / 32768.0;
    };
    const double peaks[2] = {peak16(on), peak16(off)};
    const int32_t frames[2] = {27973, 40112};

    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.cue));
        const CueSound& cue = CueSoundOf(c.cue);
        EXPECT_EQ(cue.clip, c.clip);
        EXPECT_EQ(cue.volume, c.volume);
        EXPECT_EQ(cue.waits, c.waits);

        PlayCueSound(player, cue);
        EXPECT_EQ(player.GetFrequency(kSoundSlot), c.frequency);
        ASSERT_EQ(player.Status(kSoundSlot), kSoundPlaying);
        std::vector<float> out;
        int64_t pulled = PullWhilePlaying(player, kSoundSlot, 200000, &out);
        int i = static_cast<int>(c.clip);
        EXPECT_NEAR(static_cast<double>(pulled), frames[i] * 48000.0 / c.frequency, 24);
        // Faster playback resamples the peak a little; the volume is what is checked.
        EXPECT_NEAR(PeakOf(out) / peaks[i], c.volume / 100.0, 0.04);
    }
}

TEST(IgnoreModeCue, FactorComesFromTheNewMode) {
    struct Case {
        int mode;
        Clip clip;
        double factor;
    } cases[] = {{0, Clip::Off, 1.5}, {1, Clip::On, 1.5}, {2, Clip::On, 2.0}};
    for (const Case& c : cases) {
        const CueSound& cue = CueSoundOf(IgnoreModeCue(c.mode));
        EXPECT_EQ(cue.clip, c.clip) << c.mode;
        EXPECT_EQ(cue.factor, c.factor) << c.mode;
        EXPECT_EQ(cue.volume, 60) << c.mode;
        EXPECT_FALSE(cue.waits);
    }
}

TEST_F(CueSoundTest, ANewCueCutsOffTheOneBefore) {
    PlayCueSound(player, CueSoundOf(Cue::IgnoreModeNextKey));
    PullWhilePlaying(player, kSoundSlot, 3000);
    PlayCueSound(player, CueSoundOf(Cue::IgnoreModeAlways));
    EXPECT_EQ(player.GetFrequency(kSoundSlot), 96000);
    // Only the new cue plays, from its start.
    EXPECT_NEAR(static_cast<double>(PullWhilePlaying(player, kSoundSlot, 200000)), 27973 / 2.0, 24);
    ma_uint64 read = 0;
    float tail[64 * 2];
    ma_engine_read_pcm_frames(player.Engine(), tail, 64, &read);
    EXPECT_EQ(PeakOf(std::vector<float>(tail + 16, tail + 128)), 0.0f) << "nothing left playing";
}

TEST_F(CueSoundTest, HousekeepingFreesTheSlotOnlyOnceTheCueEnded) {
    SoundSlotHousekeeping(player);  // nothing there: nothing happens
    EXPECT_FALSE(player.Exists(kSoundSlot));
    PlayCueSound(player, CueSoundOf(Cue::ExcludeEscapeOn));
    SoundSlotHousekeeping(player);
    EXPECT_TRUE(player.Exists(kSoundSlot));
    EXPECT_EQ(player.Status(kSoundSlot), kSoundPlaying);
    PullWhilePlaying(player, kSoundSlot, 200000);
    EXPECT_TRUE(player.Exists(kSoundSlot));
    SoundSlotHousekeeping(player);
    EXPECT_FALSE(player.Exists(kSoundSlot));
}

// The waiting cue returns once the audio side has played it through, and frees the slot.
TEST_F(CueSoundTest, WaitingCueEndsWhenTheClipEnds) {
    std::atomic<bool> done{false};
    std::atomic<int64_t> pulled{0};
    std::thread audio([&] {
        float block[256 * 2];
        while (!done) {
            ma_engine_read_pcm_frames(player.Engine(), block, 256, nullptr);
            pulled += 256;
            std::this_thread::yield();
        }
    });
    PlayCueSoundAndWait(player, CueSoundOf(Cue::Exit));
    int64_t whenEnded = pulled;
    done = true;
    audio.join();
    EXPECT_GE(whenEnded, 40112 - 256);
    EXPECT_FALSE(player.Exists(kSoundSlot));
}

// Nobody pulls frames here, so the sound never ends by itself: only the bound ends the
// wait, as with a device that stalls or vanishes mid-cue.
TEST_F(CueSoundTest, WaitEndsAtTheCuesLengthPlusAMarginWhenTheSoundNeverEnds) {
    struct Case {
        Cue cue;
        int64_t limitMs;  // frames / 48 / factor + 250
    } cases[] = {{Cue::Exit, 1085}, {Cue::ExcludeEscapeOn, 541}, {Cue::IgnoreModeNextKey, 638}};
    for (const auto& c : cases) EXPECT_EQ(CueWaitLimit(CueSoundOf(c.cue)).count(), c.limitMs);

    const auto start = std::chrono::steady_clock::now();
    PlayCueSoundAndWait(player, CueSoundOf(Cue::ExcludeEscapeOn));
    EXPECT_GE(std::chrono::steady_clock::now() - start,
              CueWaitLimit(CueSoundOf(Cue::ExcludeEscapeOn)));
    EXPECT_FALSE(player.Exists(kSoundSlot));
}

// The limit runs from the request: a device that takes longer than the whole limit to
// start ends the wait as soon as the cue is under way, not a cue's length later.
std::atomic<int> deviceStartMs{0};
void SlowDevice() { std::this_thread::sleep_for(std::chrono::milliseconds(deviceStartMs.load())); }

TEST(CueSoundSlowDevice, ItsStartCountsAgainstTheWait) {
    SoundPlayer player;
    SoundPlayerOptions o;
    o.nullBackend = true;
    o.deviceGate = SlowDevice;
    ASSERT_TRUE(player.Start(o));
    player.RegisterOggVorbisDecoder();
    const CueSound& exit = CueSoundOf(Cue::Exit);
    const auto limit = CueWaitLimit(exit);
    deviceStartMs = static_cast<int>(limit.count()) + 100;
    const auto start = std::chrono::steady_clock::now();
    PlayCueSoundAndWait(player, exit);
    const auto waited = std::chrono::steady_clock::now() - start;
    const auto startTook = std::chrono::milliseconds(deviceStartMs.exchange(0));
    EXPECT_LT(waited, startTook + limit / 2);
}

TEST(CueSoundDown, CuesAreSilentAndTheWaitEndsAtOnce) {
    SoundPlayer player;
    SoundPlayerOptions broken = PullOptions();
    broken.sampleRate = 0;
    ASSERT_FALSE(player.Start(broken));
    PlayCueSound(player, CueSoundOf(Cue::Start));
    EXPECT_FALSE(player.Exists(kSoundSlot));
    // Nothing plays, so the exit wait ends after its first look, not at its limit.
    const auto start = std::chrono::steady_clock::now();
    PlayCueSoundAndWait(player, CueSoundOf(Cue::Exit));
    EXPECT_LT(std::chrono::steady_clock::now() - start, CueWaitLimit(CueSoundOf(Cue::Exit)) / 4);
    SoundSlotHousekeeping(player);
    EXPECT_EQ(player.Status(kSoundSlot), kSoundMissing);
}

}  // namespace
}  // namespace quillet
