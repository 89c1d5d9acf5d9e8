#pragma once

// The program's sound layer: one SoundPlayer on the default playback device, through
// which the cues are played (sound/cue_sounds.h). Every call comes from one thread, the
// feedback worker, which opens the device, plays every cue, stops the idle device and
// closes it.

#include <cstdint>

#include "sound/cue_sounds.h"
#include "sound/pause.h"
#include "sound/sound_player.h"

namespace quillet {

// Opens the engine on the device; runs once. False when the
// device cannot be opened: every sound operation is then a silent no-op. The options
// are for tests; the program uses the default device.
bool StartSoundLayer(const SoundPlayerOptions& options = {});
// Frees every sound and closes the device.
void EndSoundLayer();
// The layer's one player.
SoundPlayer& TheSoundPlayer();

// Called before every start and stop of the device. In every build; only
// QuilletFaults.exe, built for the end-to-end tests, sets it, to make the device hang.
void SetSoundDeviceGateForTest(void (*gate)());

}  // namespace quillet
