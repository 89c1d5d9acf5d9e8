#include "sound/sound_layer.h"

namespace quillet {

SoundPlayer& TheSoundLayer() {
    // Never destroyed: EndSoundLayer releases everything, and no exit-time destructor
    // races a late caller.
    static SoundPlayer* layer = new SoundPlayer;
    return *layer;
}

bool StartSoundLayer() {
    bool ok = TheSoundLayer().Start();
    TheSoundLayer().RegisterOggVorbisDecoder();
    if (ok) {
        // Decode both clips now, at start-up, rather than inside the keyboard hook.
        DecodedClip(Clip::On);
        DecodedClip(Clip::Off);
    }
    return ok;
}

void EndSoundLayer() { TheSoundLayer().End(); }

void SoundCue(Cue cue) { SoundFeedbackCue(TheSoundLayer(), CueFor(cue)); }

void SoundCueAndWait(Cue cue) { SoundFeedbackCueAndWait(TheSoundLayer(), CueFor(cue)); }

void SoundIgnoreModeCue(int mode) { SoundFeedbackCue(TheSoundLayer(), IgnoreModeCue(mode)); }

void SoundSlotHousekeeping() { SoundSlotHousekeeping(TheSoundLayer()); }

bool SoundSlotExists() { return TheSoundLayer().Exists(kSoundSlot); }

int SoundSlotStatus() { return TheSoundLayer().Status(kSoundSlot); }

}  // namespace quillet
