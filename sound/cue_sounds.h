#pragma once

#include <chrono>
#include <iterator>

#include "runtime/cue.h"
#include "sound/clips.h"
#include "sound/sound_player.h"

namespace quillet {

// The program's one sound number, reloaded by every cue.
constexpr int32_t kSoundSlot = 0;

// What a cue sounds like: a clip played in the SoundSlot at factor × its own rate and
// at a volume of 0 to 100.
struct CueSound {
    Clip clip;
    double factor;
    double volume;
    bool waits;  // the caller waits for its end (exit and restart)
};

// Every cue's sound, in the order of Cue. The ignore modes go one and a half times
// the clip's rate up to "next key only", twice its rate above.
inline constexpr CueSound kCueSounds[] = {
    {Clip::On, 1.0, 50, false},   // Start
    {Clip::Off, 1.0, 50, true},   // Exit
    {Clip::Off, 1.0, 100, true},  // Restart
    {Clip::On, 2.0, 50, false},   // ExcludeEscapeOn
    {Clip::Off, 2.0, 50, false},  // ExcludeEscapeOff
    {Clip::On, 1.5, 50, false},   // RunAsAdminOn
    {Clip::Off, 1.5, 50, false},  // RunAsAdminOff
    {Clip::On, 1.5, 50, false},   // StartWithWindowsOn, as RunAsAdminOn
    {Clip::Off, 1.5, 50, false},  // StartWithWindowsOff, as RunAsAdminOff
    {Clip::On, 2.0, 50, false},   // LetKeysThroughOn, as ExcludeEscapeOn
    {Clip::Off, 2.0, 50, false},  // LetKeysThroughOff, as ExcludeEscapeOff
    {Clip::On, 2.0, 50, false},   // SinglePressOn, as ExcludeEscapeOn
    {Clip::Off, 2.0, 50, false},  // SinglePressOff, as ExcludeEscapeOff
    {Clip::Off, 1.5, 60, false},  // IgnoreModeOff
    {Clip::On, 1.5, 60, false},   // IgnoreModeNextKey
    {Clip::On, 2.0, 60, false},   // IgnoreModeAlways
    {Clip::Off, 1.5, 50, false},  // NextKeyUsed
};
static_assert(std::size(kCueSounds) == kCueCount);

constexpr const CueSound& CueSoundOf(Cue cue) { return kCueSounds[static_cast<size_t>(cue)]; }

// Decodes the clip into the SoundSlot (cutting off whatever played there), sets its rate
// and plays it; returns at once. Failures leave the cue silent.
void PlayCueSound(SoundPlayer& player, const CueSound& sound);
// The longest a waiting cue may hold up its caller: the clip's length at the cue's
// rate, and a margin for the device's start and buffer.
std::chrono::milliseconds CueWaitLimit(const CueSound& sound);
// The same, then waits until the SoundSlot no longer plays, or CueWaitLimit has
// passed, and frees it.
void PlayCueSoundAndWait(SoundPlayer& player, const CueSound& sound);
// Frees the SoundSlot once its cue has ended, so a finished cue's PCM does not stay.
void SoundSlotHousekeeping(SoundPlayer& player);

}  // namespace quillet
