#pragma once

#include <chrono>

#include "sound/clips.h"
#include "sound/sound_player.h"

namespace quillet {

// The program's one sound number, reloaded by every cue.
constexpr int32_t kSoundSlot = 0;

enum class Cue {
    Start,
    Exit,
    Restart,
    EscapeOn,
    EscapeOff,
    AdminOn,
    AdminOff,
    IgnoreMode0,
    IgnoreMode1,
    IgnoreMode2,
    NextKeyConsumed,
};

// A clip played in the SoundSlot at factor × its own rate and at a volume of 0 to 100.
struct FeedbackCue {
    Clip clip;
    double factor;
    double volume;
    bool waits;  // the caller waits for its end (exit and restart)
};

FeedbackCue CueFor(Cue cue);
// The cue for a new ignore mode: ClipOff for 0, ClipOn otherwise, at 150 % for a mode of
// at most 1 and 200 % above, volume 60.
FeedbackCue IgnoreModeCue(int mode);

// Decodes the clip into the SoundSlot (cutting off whatever played there), sets its rate
// and plays it; returns at once. Failures leave the cue silent.
void SoundFeedbackCue(SoundPlayer& player, const FeedbackCue& cue);
// The longest a waiting cue may hold up its caller: the clip's length at the cue's
// rate, and a margin for the device's start and buffer.
std::chrono::milliseconds CueWaitLimit(const FeedbackCue& cue);
// The same, then waits until the SoundSlot no longer plays, or CueWaitLimit has
// passed, and frees it.
void SoundFeedbackCueAndWait(SoundPlayer& player, const FeedbackCue& cue);
// Frees the SoundSlot once its cue has ended, so a finished cue's PCM does not stay.
void SoundSlotHousekeeping(SoundPlayer& player);

}  // namespace quillet
