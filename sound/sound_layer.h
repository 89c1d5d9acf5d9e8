#pragma once

// The program's sound layer: one SoundPlayer on the default playback device, and the
// feedback cues sounded through it. Safe from any thread: the main thread and the
// feedback worker both sound cues; the keyboard hook never calls it.
//
// Opening the audio device takes tens of milliseconds, so it happens on a thread of
// the layer's own while start-up goes on to install the keyboard hook; the same
// thread closes the device at the end. A cue asked for before
// the device is ready is kept (a later one replaces it, as in the sound slot) and
// sounds as soon as the device is up.

#include "sound/feedback_cues.h"
#include "sound/pause.h"
#include "sound/sound_player.h"

namespace quillet {

// Begins starting the engine and the Ogg Vorbis decoder; runs once and returns at once.
// When the device cannot be opened every sound operation is a silent no-op. The
// options are for tests; the program uses the default device.
void StartSoundLayer(const SoundPlayerOptions& options = {});
// Waits until the start begun by StartSoundLayer has finished; true when sound works.
// Answers false at once when the layer was never started.
bool WaitForSoundLayer();
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
