#include "sound/sound_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "sound_test_support.h"

namespace quillet {
namespace {

using test::LoadClip;
using test::PullOptions;
using test::PullWhilePlaying;

class SoundPlayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(player.Start(PullOptions()));
        player.RegisterOggVorbisDecoder();
    }
    SoundPlayer player;
};

constexpr int32_t kOnFrames = 27973;
constexpr int32_t kOffFrames = 40112;

TEST_F(SoundPlayerTest, StatusFollowsTheSoundsLife) {
    EXPECT_EQ(player.Status(0), kSoundMissing);
    EXPECT_FALSE(player.Exists(0));
    ASSERT_TRUE(LoadClip(player, 0, Clip::On));
    EXPECT_TRUE(player.Exists(0));
    EXPECT_EQ(player.Status(0), kSoundStopped);
    EXPECT_EQ(player.GetFrequency(0), 48000);
    EXPECT_EQ(player.Play(0, 0, -1), 1);
    EXPECT_EQ(player.Status(0), kSoundPlaying);
    PullWhilePlaying(player, 0, 100000);
    EXPECT_EQ(player.Status(0), kSoundStopped);
    player.Free(0);
    EXPECT_EQ(player.Status(0), kSoundMissing);
    EXPECT_FALSE(player.Exists(0));
    EXPECT_EQ(player.GetFrequency(0), 0);
    EXPECT_EQ(player.Play(0, 0, -1), 0);
}

// Frames a clip lasts at a rate: the engine mixes at 48000 Hz.
TEST_F(SoundPlayerTest, FrequencyScalesTheDuration) {
    struct Case {
        Clip clip;
        int32_t frames;
        int32_t frequency;
    } cases[] = {
        {Clip::On, kOnFrames, 48000},   {Clip::On, kOnFrames, 72000},
        {Clip::On, kOnFrames, 96000},   {Clip::Off, kOffFrames, 48000},
        {Clip::Off, kOffFrames, 72000}, {Clip::Off, kOffFrames, 96000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frequency);
        ASSERT_TRUE(LoadClip(player, 0, c.clip));
        player.SetFrequency(0, c.frequency);
        EXPECT_EQ(player.GetFrequency(0), c.frequency);
        ASSERT_EQ(player.Play(0, 0, 100), 1);
        double expected = c.frames * 48000.0 / c.frequency;
        EXPECT_NEAR(static_cast<double>(PullWhilePlaying(player, 0, 200000)), expected, 24);
    }
}

TEST_F(SoundPlayerTest, NegativeFrequencyIsStoredAsZero) {
    ASSERT_TRUE(LoadClip(player, 0, Clip::On));
    player.SetFrequency(0, -5);
    EXPECT_EQ(player.GetFrequency(0), 0);
    player.SetFrequency(7, 1000);  // no such sound: nothing happens
    EXPECT_EQ(player.GetFrequency(7), 0);
}

// Volume is a linear gain on the clip's samples; -1 means the default 100.
TEST_F(SoundPlayerTest, VolumeIsALinearGain) {
    std::vector<int16_t> pcm = test::DecodeClip(Clip::On);
    for (double volume : {-1.0, 100.0, 50.0, 60.0}) {
        SCOPED_TRACE(volume);
        ASSERT_TRUE(LoadClip(player, 0, Clip::On));
        ASSERT_EQ(player.Play(0, 0, volume), 1);
        std::vector<float> out;
        PullWhilePlaying(player, 0, 100000, &out);
        out.resize(out.size() + 2 * 64);
        ma_engine_read_pcm_frames(player.Engine(), out.data() + out.size() - 128, 64, nullptr);
        ASSERT_GE(out.size(), pcm.size() + 16);
        double gain = (volume == -1.0 ? 100.0 : volume) / 100.0;
        // The engine's resampler delays the clip by a frame and may round a few LSB off;
        // the two builds' decoders may differ by one.
        double worst = 1.0;
        for (size_t lag = 0; lag <= 8; ++lag) {
            double w = 0;
            for (size_t i = 0; i < pcm.size(); ++i) {
                w = std::max(w, std::fabs(out[i + 2 * lag] - gain * pcm[i] / 32768.0));
            }
            worst = std::min(worst, w);
        }
        EXPECT_LT(worst, 8.0 / 32768.0);
    }
}

TEST_F(SoundPlayerTest, LoadingOverAPlayingSoundStopsAndReplacesIt) {
    ASSERT_TRUE(LoadClip(player, 0, Clip::On));
    player.SetFrequency(0, 96000);
    ASSERT_EQ(player.Play(0, 0, 100), 1);
    PullWhilePlaying(player, 0, 2000);
    ASSERT_EQ(player.Status(0), kSoundPlaying);

    ASSERT_TRUE(LoadClip(player, 0, Clip::Off));
    EXPECT_EQ(player.Status(0), kSoundStopped);
    EXPECT_EQ(player.GetFrequency(0), 48000);
    ASSERT_EQ(player.Play(0, 0, 100), 1);
    EXPECT_NEAR(static_cast<double>(PullWhilePlaying(player, 0, 200000)), kOffFrames, 24);
}

TEST_F(SoundPlayerTest, AFailedLoadLeavesThePreviousSoundPlayable) {
    ASSERT_TRUE(LoadClip(player, 0, Clip::On));
    player.SetFrequency(0, 72000);
    const unsigned char junk[] = "OggS but not really an Ogg stream at all";
    auto on = ClipBytes(Clip::On);
    std::vector<unsigned char> cut(on.begin(), on.begin() + 200);  // headers cut short
    for (auto [data, size] : {std::pair<const unsigned char*, size_t>{junk, sizeof junk},
                              {cut.data(), cut.size()},
                              {nullptr, 100}}) {
        EXPECT_FALSE(player.LoadFromMemory(0, data, size));
    }
    const int16_t pcm[4] = {};
    EXPECT_FALSE(player.LoadFromPcm(0, pcm, 0, 2, 48000));
    EXPECT_FALSE(player.LoadFromPcm(0, pcm, 2, 0, 48000));
    EXPECT_FALSE(player.LoadFromPcm(0, pcm, 2, 2, 0));
    EXPECT_FALSE(player.LoadFromPcm(0, nullptr, 2, 2, 48000));
    EXPECT_TRUE(player.Exists(0));
    EXPECT_EQ(player.GetFrequency(0), 72000);
    ASSERT_EQ(player.Play(0, 0, 100), 1);
    EXPECT_NEAR(static_cast<double>(PullWhilePlaying(player, 0, 200000)), kOnFrames / 1.5, 24);
}

// PCM handed over is copied: the caller's buffer may change or go afterwards.
TEST_F(SoundPlayerTest, LoadFromPcmKeepsItsOwnCopy) {
    std::vector<int16_t> pcm(2 * 4800, 16384);
    ASSERT_TRUE(player.LoadFromPcm(5, pcm.data(), 4800, 2, 24000));
    std::fill(pcm.begin(), pcm.end(), int16_t{0});
    EXPECT_EQ(player.GetFrequency(5), 24000);
    ASSERT_EQ(player.Play(5, 0, 100), 1);
    std::vector<float> out;
    // 4800 frames at 24000 Hz last 9600 frames of the 48000 Hz mix.
    EXPECT_NEAR(static_cast<double>(PullWhilePlaying(player, 5, 100000, &out)), 9600, 24);
    EXPECT_NEAR(out[2 * 4000], 0.5, 1e-3);
}

TEST_F(SoundPlayerTest, TableGrowsByWholeBlocks) {
    EXPECT_EQ(player.SlotCount(), 64u);
    ASSERT_TRUE(LoadClip(player, 63, Clip::On));
    EXPECT_EQ(player.SlotCount(), 64u);
    ASSERT_TRUE(LoadClip(player, 64, Clip::On));
    EXPECT_EQ(player.SlotCount(), 128u);
    ASSERT_TRUE(LoadClip(player, 200, Clip::Off));
    EXPECT_EQ(player.SlotCount(), 264u);
    EXPECT_TRUE(player.Exists(63) && player.Exists(64) && player.Exists(200));
    EXPECT_FALSE(player.Exists(65));
    player.Free(-1);
    EXPECT_FALSE(player.Exists(63) || player.Exists(64) || player.Exists(200));
}

TEST_F(SoundPlayerTest, SeveralVoicesOnlyWithFlagBitOne) {
    ASSERT_TRUE(LoadClip(player, 0, Clip::On));
    ASSERT_TRUE(LoadClip(player, 1, Clip::Off));
    EXPECT_EQ(player.Play(0, 2, 100), 2);  // voice 0
    EXPECT_EQ(player.Play(0, 2, 100), 3);  // voice 1, the first still playing
    EXPECT_EQ(player.Play(1, 2, 100), 4);
    player.Stop(0);
    EXPECT_EQ(player.Status(0), kSoundStopped);
    EXPECT_EQ(player.Status(1), kSoundPlaying);
    EXPECT_EQ(player.Play(1, 2, 100), 2);  // the lowest free voice again
    // Without bit 1 a play first stops the sound's other voices.
    EXPECT_EQ(player.Play(1, 0, 100), 1);
    EXPECT_EQ(player.Play(0, 2, 100), 3);
    player.Stop(-1);
    EXPECT_EQ(player.Status(0), kSoundStopped);
    EXPECT_EQ(player.Status(1), kSoundStopped);
}

TEST_F(SoundPlayerTest, AllVoicesBusyRefusesAPlay) {
    ASSERT_TRUE(LoadClip(player, 0, Clip::On));
    for (int i = 0; i < SoundPlayer::kVoiceCount; ++i) ASSERT_EQ(player.Play(0, 2, 100), i + 2);
    EXPECT_EQ(player.Play(0, 2, 100), 0);
    player.Stop(0);
    EXPECT_EQ(player.Play(0, 2, 100), 2);
}

// Ended voices are released when reused or when their sound goes; replaying after the
// end notification must work every time.
TEST_F(SoundPlayerTest, EndedVoicesAreReusable) {
    ASSERT_TRUE(LoadClip(player, 0, Clip::On));
    player.SetFrequency(0, 48000 * 16);
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(player.Play(0, 2, 100), 2);
        EXPECT_NEAR(static_cast<double>(PullWhilePlaying(player, 0, 200000)), kOnFrames / 16.0, 24);
    }
    ASSERT_EQ(player.Play(0, 2, 100), 2);
    PullWhilePlaying(player, 0, 200000);
    player.Free(0);  // the ended voice goes with its PCM
    ASSERT_TRUE(LoadClip(player, 0, Clip::Off));
    ASSERT_EQ(player.Play(0, 0, 100), 1);
    EXPECT_NEAR(static_cast<double>(PullWhilePlaying(player, 0, 200000)), kOffFrames, 24);
}

TEST_F(SoundPlayerTest, LoopingPlaysOnPastTheEnd) {
    ASSERT_TRUE(LoadClip(player, 0, Clip::On));
    ASSERT_EQ(player.Play(0, 1, 100), 1);
    EXPECT_GE(PullWhilePlaying(player, 0, 3 * kOnFrames), 3 * kOnFrames);
    EXPECT_EQ(player.Status(0), kSoundPlaying);
    player.Stop(0);
    EXPECT_EQ(player.Status(0), kSoundStopped);
}

TEST(SoundPlayerDown, EveryOperationIsANoOpWithItsFixedAnswer) {
    SoundPlayer player;
    SoundPlayerOptions broken = PullOptions();
    broken.channels = 0;  // a device-less engine needs a format: the start fails
    EXPECT_FALSE(player.Start(broken));
    EXPECT_FALSE(player.Start(PullOptions())) << "a failed start is final";
    player.RegisterOggVorbisDecoder();
    EXPECT_FALSE(LoadClip(player, 0, Clip::On));
    EXPECT_FALSE(player.Exists(0));
    EXPECT_EQ(player.GetFrequency(0), 0);
    EXPECT_EQ(player.Play(0, 0, -1), 0);
    EXPECT_EQ(player.Status(0), kSoundMissing);
    player.SetFrequency(0, 1000);
    player.Stop(-1);
    player.Free(-1);
    player.End();
    EXPECT_EQ(player.Status(0), kSoundMissing);
}

TEST(SoundPlayerDecoders, NothingLoadsBeforeTheDecoderIsRegistered) {
    SoundPlayer player;
    ASSERT_TRUE(player.Start(PullOptions()));
    EXPECT_FALSE(LoadClip(player, 0, Clip::On));
    player.RegisterOggVorbisDecoder();
    player.RegisterOggVorbisDecoder();
    EXPECT_TRUE(LoadClip(player, 0, Clip::On));
}

}  // namespace
}  // namespace quillet

namespace quillet {
namespace {

// A decoder that announces 8000 stereo frames of the sample value its data names, and
// delivers only as many frames as the data's length says.
class ShortStream final : public DecodedStream {
  public:
    ShortStream(int16_t value, int64_t frames) : value_(value), left_(frames * 4) {}
    int64_t Read(void* destination, int64_t n, int) override {
        int64_t give = std::min(n, left_);
        auto* out = static_cast<int16_t*>(destination);
        // Scribbles past what it delivers, as stale memory would look.
        for (int64_t i = 0; i < n / 2; ++i) out[i] = i < give / 2 ? value_ : 0x5555;
        left_ -= give;
        return give;
    }
    void Rewind() override {}
    int Channels() const override { return 2; }
    int32_t TotalFrames() const override { return 8000; }
    int SampleRate() const override { return 48000; }

  private:
    int16_t value_;
    int64_t left_;
};

std::unique_ptr<DecodedStream> OpenShort(const void* data, size_t length, int) {
    return std::make_unique<ShortStream>(*static_cast<const int16_t*>(data),
                                         static_cast<int64_t>(length));
}

TEST(SoundPlayerDecoders, AShortDecodeLeavesSilenceNotStaleMemory) {
    SoundPlayer player;
    ASSERT_TRUE(player.Start(test::PullOptions()));
    player.RegisterDecoder(&OpenShort);
    const int16_t quiet = 7;
    ASSERT_TRUE(player.LoadFromMemory(0, &quiet, 1000));
    const SoundRecord* r = player.Record(0);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->pcmBytes, 8000 * 4);
    auto* pcm = reinterpret_cast<const int16_t*>(r->pcm.get());
    EXPECT_EQ(pcm[0], quiet);
    EXPECT_EQ(pcm[1999], quiet);
    EXPECT_EQ(std::count(pcm + 2000, pcm + 16000, int16_t{0}), 14000);
}

}  // namespace
}  // namespace quillet
