#include "sound/sound_layer.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

// The program-wide layer, on miniaudio's null device so that no sound card is needed.
TEST(SoundLayer, CuesReplaceEachOtherInTheSlotAndTheEndFreesIt) {
    SoundPlayerOptions options;
    options.nullBackend = true;
    ASSERT_TRUE(StartSoundLayer(options));
    SoundCue(Cue::Start);
    EXPECT_EQ(TheSoundLayer().Status(kSoundSlot), kSoundPlaying);
    EXPECT_EQ(TheSoundLayer().GetFrequency(kSoundSlot), 48000);
    SoundIgnoreModeCue(2);
    EXPECT_EQ(TheSoundLayer().GetFrequency(kSoundSlot), 96000);
    EXPECT_EQ(SoundIdleCheck(0), SoundPlayer::kPlayingLookMs);
    EndSoundLayer();
    EXPECT_FALSE(TheSoundLayer().Exists(kSoundSlot));
}

}  // namespace
}  // namespace quillet
