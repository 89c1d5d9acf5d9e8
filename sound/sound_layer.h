#pragma once

// The program's sound layer: one SoundPlayer on the default playback device, and the
// feedback cues sounded through it. Every call comes from one thread, the feedback
// worker, which opens the device, plays every cue, stops the idle device and closes it.

#include <cstdint>

#include "sound/feedback_cues.h"
#include "sound/pause.h"
#include "sound/sound_player.h"

namespace quillet {

// Opens the engine on the device; runs once. False when the
// device cannot be opened: every sound operation is then a silent no-op. The options
// are for tests; the program uses the default device.
bool StartSoundLayer(const SoundPlayerOptions& options = {});
// Frees every sound and closes the device.
void EndSoundLayer();
SoundPlayer& TheSoundLayer();

// Called before every start and stop of the device. In every build; only
// QuilletFaults.exe, built for the end-to-end tests, sets it, to make the device hang.
void SetSoundDeviceGateForTest(void (*gate)());

void SoundCue(Cue cue);         // returns at once
void SoundCueAndWait(Cue cue);  // waits for the end (within CueWaitLimit), then frees the slot
void SoundIgnoreModeCue(int mode);
void SoundSlotHousekeeping();
// Stops the device after long idleness; ms until the next look, or SoundPlayer::kNoLook.
int64_t SoundIdleCheck(uint32_t nowMs);

}  // namespace quillet
