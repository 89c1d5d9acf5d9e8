#include "sound/sound_layer.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

// The program-wide layer, on miniaudio's null device so that no sound card is needed.
TEST(SoundLayer, CuesReplaceEachOtherInTheSlotAndTheEndFreesIt) {
    SoundPlayerOptions options;
    options.nullBackend = true;
    ASSERT_TRUE(StartSoundLayer(options));
    PlayCueSound(TheSoundLayer(), CueSoundOf(Cue::Start));
    EXPECT_EQ(TheSoundLayer().Status(kSoundSlot), kSoundPlaying);
    EXPECT_EQ(TheSoundLayer().GetFrequency(kSoundSlot), 48000);
    PlayCueSound(TheSoundLayer(), CueSoundOf(Cue::IgnoreModeAlways));
    EXPECT_EQ(TheSoundLayer().GetFrequency(kSoundSlot), 96000);
    EXPECT_EQ(TheSoundLayer().IdleCheck(0), SoundPlayer::kPlayingLookMs);
    EndSoundLayer();
    EXPECT_FALSE(TheSoundLayer().Exists(kSoundSlot));
}

}  // namespace
}  // namespace quillet
