#include "sound/feedback_cues.h"

#include "sound/pause.h"

namespace quillet {

FeedbackCue CueFor(Cue cue) {
    switch (cue) {
        case Cue::Start:
            return {Clip::On, 1.0, 50, false};
        case Cue::Exit:
            return {Clip::Off, 1.0, 50, true};
        case Cue::Restart:
            return {Clip::Off, 1.0, 100, true};
        case Cue::EscapeOn:
            return {Clip::On, 2.0, 50, false};
        case Cue::EscapeOff:
            return {Clip::Off, 2.0, 50, false};
        case Cue::AdminOn:
            return {Clip::On, 1.5, 50, false};
        case Cue::AdminOff:
            return {Clip::Off, 1.5, 50, false};
        case Cue::IgnoreMode0:
            return IgnoreModeCue(0);
        case Cue::IgnoreMode1:
            return IgnoreModeCue(1);
        case Cue::IgnoreMode2:
            return IgnoreModeCue(2);
        case Cue::NextKeyConsumed:
            return {Clip::Off, 1.5, 50, false};
    }
    return {Clip::On, 1.0, 0, false};
}

FeedbackCue IgnoreModeCue(int mode) {
    int percent = (mode <= 1) * -50 + 200;
    return {mode == 0 ? Clip::Off : Clip::On, percent / 100.0, 60, false};
}

void SoundFeedbackCue(SoundPlayer& player, const FeedbackCue& cue) {
    // The clip was decoded once beforehand; loading copies its PCM into the slot.
    const DecodedClipPcm& clip = DecodedClip(cue.clip);
    player.LoadFromPcm(kSoundSlot, clip.pcm.data(), clip.frames, clip.channels, clip.rate);
    double frequency = player.GetFrequency(kSoundSlot) * cue.factor;
    player.SetFrequency(kSoundSlot, static_cast<int32_t>(frequency));
    player.Play(kSoundSlot, 0, cue.volume);
}

void SoundFeedbackCueAndWait(SoundPlayer& player, const FeedbackCue& cue) {
    SoundFeedbackCue(player, cue);
    do {
        Pause(1);
    } while (player.Status(kSoundSlot) == kSoundPlaying);
    player.Free(kSoundSlot);
}

void SoundSlotHousekeeping(SoundPlayer& player) {
    if (player.Exists(kSoundSlot) && player.Status(kSoundSlot) != kSoundPlaying) {
        player.Free(kSoundSlot);
    }
}

}  // namespace quillet
