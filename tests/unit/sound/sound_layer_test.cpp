#include "sound/sound_layer.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

// The program-wide layer, on miniaudio's null device so that no sound card is needed.
TEST(SoundLayer, CuesReplaceEachOtherInTheSlotAndTheEndFreesIt) {
    SoundPlayerOptions options;
    options.nullBackend = true;
    ASSERT_TRUE(StartSoundLayer(options));
    PlayCueSound(TheSoundPlayer(), CueSoundOf(Cue::Start));
    EXPECT_EQ(TheSoundPlayer().Status(kSoundSlot), kSoundPlaying);
    EXPECT_EQ(TheSoundPlayer().GetFrequency(kSoundSlot), 48000);
    PlayCueSound(TheSoundPlayer(), CueSoundOf(Cue::IgnoreModeAlways));
    EXPECT_EQ(TheSoundPlayer().GetFrequency(kSoundSlot), 96000);
    EXPECT_EQ(TheSoundPlayer().IdleCheck(0), SoundPlayer::kPlayingLookMs);
    EndSoundLayer();
    EXPECT_FALSE(TheSoundPlayer().Exists(kSoundSlot));
}

}  // namespace
}  // namespace quillet
