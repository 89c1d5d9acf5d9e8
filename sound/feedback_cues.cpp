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
    // One and a half times the clip's rate up to mode 1, twice its rate above.
    const double factor = mode <= 1 ? 1.5 : 2.0;
    return {mode == 0 ? Clip::Off : Clip::On, factor, 60, false};
}

void SoundFeedbackCue(SoundPlayer& player, const FeedbackCue& cue) {
    // Decoded at each cue, on the feedback worker: a millisecond or two there, and no
    // decoded copy held for the whole run.
    const std::span<const unsigned char> bytes = ClipBytes(cue.clip);
    player.LoadFromMemory(kSoundSlot, bytes.data(), bytes.size());
    double frequency = player.GetFrequency(kSoundSlot) * cue.factor;
    player.SetFrequency(kSoundSlot, static_cast<int32_t>(frequency));
    player.Play(kSoundSlot, 0, cue.volume);
}

std::chrono::milliseconds CueWaitLimit(const FeedbackCue& cue) {
    constexpr std::chrono::milliseconds kMargin{250};
    const ClipLength clip = LengthOf(cue.clip);
    if (cue.factor <= 0) return kMargin;
    const double ms = clip.frames * 1000.0 / clip.rate / cue.factor;
    return std::chrono::milliseconds(static_cast<int64_t>(ms)) + kMargin;
}

void SoundFeedbackCueAndWait(SoundPlayer& player, const FeedbackCue& cue) {
    // The limit runs from the request: a device slow to start eats into it.
    const auto deadline = std::chrono::steady_clock::now() + CueWaitLimit(cue);
    SoundFeedbackCue(player, cue);
    // A device that stalls or vanishes mid-cue may leave the sound "playing" for good.
    do {
        Pause(1);
    } while (player.Status(kSoundSlot) == kSoundPlaying &&
             std::chrono::steady_clock::now() < deadline);
    player.Free(kSoundSlot);
}

void SoundSlotHousekeeping(SoundPlayer& player) {
    if (player.Exists(kSoundSlot) && player.Status(kSoundSlot) != kSoundPlaying) {
        player.Free(kSoundSlot);
    }
}

}  // namespace quillet
