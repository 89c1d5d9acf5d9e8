#pragma once

// The program's sound layer: one SoundPlayer on the default playback device, and the
// feedback cues sounded through it. Everything here runs on the main thread.

#include "sound/feedback_cues.h"
#include "sound/pause.h"
#include "sound/sound_player.h"

namespace quillet {

// Starts the engine and registers the Ogg Vorbis decoder; runs once. False means no
// usable output: every sound operation is then a silent no-op.
bool StartSoundLayer();
// Tells the watchdog to end, pauses 60 ms, frees every sound and closes the device.
void EndSoundLayer();
SoundPlayer& TheSoundLayer();

void SoundCue(Cue cue);         // returns at once
void SoundCueAndWait(Cue cue);  // waits for the end, then frees the SoundSlot
void SoundIgnoreModeCue(int mode);
void SoundSlotHousekeeping();

bool SoundSlotExists();
int SoundSlotStatus();  // 0 stopped, 1 playing, 2 in use but not playing, 3 no sound

}  // namespace quillet
