#include "sound/cue_sounds.h"

#include "sound/pause.h"

namespace quillet {

void PlayCueSound(SoundPlayer& player, const CueSound& sound) {
    // Decoded at each cue, on the feedback worker: a millisecond or two there, and no
    // decoded copy held for the whole run.
    const std::span<const unsigned char> bytes = ClipBytes(sound.clip);
    player.LoadFromMemory(kSoundSlot, bytes.data(), bytes.size());
    double frequency = player.GetFrequency(kSoundSlot) * sound.factor;
    player.SetFrequency(kSoundSlot, static_cast<int32_t>(frequency));
    player.Play(kSoundSlot, 0, sound.volume);
}

std::chrono::milliseconds CueWaitLimit(const CueSound& sound) {
    constexpr std::chrono::milliseconds kMargin{250};
    const ClipLength clip = LengthOf(sound.clip);
    if (sound.factor <= 0) return kMargin;
    const double ms = clip.frames * 1000.0 / clip.rate / sound.factor;
    return std::chrono::milliseconds(static_cast<int64_t>(ms)) + kMargin;
}

void PlayCueSoundAndWait(SoundPlayer& player, const CueSound& sound) {
    // The limit runs from the request: a device slow to start eats into it.
    const auto deadline = std::chrono::steady_clock::now() + CueWaitLimit(sound);
    PlayCueSound(player, sound);
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
