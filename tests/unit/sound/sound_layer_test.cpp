#include <gtest/gtest.h>

#include "sound/sound_layer.h"

namespace quillet {
namespace {

// The program-wide layer on whatever default device this machine has: a real one,
// miniaudio's null device, or none at all.
TEST(SoundLayer, CueAskedForWhileStartingSoundsOnceTheDeviceIsUp) {
    StartSoundLayer();
    SoundCue(Cue::EscapeOff);  // ClipOff at twice its rate...
    SoundCue(Cue::Start);      // ...replaced by ClipOn at its own rate, as in the slot
    if (WaitForSoundLayer()) {
        ASSERT_TRUE(SoundSlotExists());
        EXPECT_EQ(TheSoundLayer().GetFrequency(kSoundSlot), 48000);
        SoundCue(Cue::EscapeOn);
        EXPECT_EQ(TheSoundLayer().GetFrequency(kSoundSlot), 96000);
    } else {
        EXPECT_FALSE(SoundSlotExists());
        EXPECT_EQ(SoundSlotStatus(), 3);
    }
    EndSoundLayer();
    EXPECT_FALSE(SoundSlotExists());
}

}  // namespace
}  // namespace quillet
