#include "sound/sound_layer.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

// The program-wide layer, on miniaudio's null device so that no sound card is needed.
TEST(SoundLayer, CueAskedForWhileStartingSoundsOnceTheDeviceIsUp) {
    SoundPlayerOptions options;
    options.nullBackend = true;
    StartSoundLayer(options);
    SoundCue(Cue::EscapeOff);  // ClipOff at twice its rate...
    SoundCue(Cue::Start);      // ...replaced by ClipOn at its own rate, as in the slot
    ASSERT_TRUE(WaitForSoundLayer());
    ASSERT_TRUE(SoundSlotExists());
    EXPECT_EQ(SoundSlotStatus(), 1);
    EXPECT_EQ(TheSoundLayer().GetFrequency(kSoundSlot), 48000);
    SoundCue(Cue::EscapeOn);
    EXPECT_EQ(TheSoundLayer().GetFrequency(kSoundSlot), 96000);
    EndSoundLayer();
    EXPECT_FALSE(SoundSlotExists());
}

}  // namespace
}  // namespace quillet
