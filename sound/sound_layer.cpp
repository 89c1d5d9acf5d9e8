#include "sound/sound_layer.h"

#include <mutex>
#include <optional>
#include <thread>

namespace quillet {

namespace {

// The hand-over between the starter thread and the threads that sound cues (the
// main thread and the feedback worker). Until `ready` the player belongs to the
// starter; afterwards whoever holds `mutex` uses it.
struct Starter {
    std::mutex mutex;
    std::thread thread;
    bool ready = false;
    bool works = false;
    std::optional<FeedbackCue> pending;  // asked for before the device was up
};

Starter& TheStarter() {
    static Starter* starter = new Starter;
    return *starter;
}

void StartOnThisThread(SoundPlayerOptions options) {
    SoundPlayer& player = TheSoundLayer();
    const bool works = player.Start(options);
    player.RegisterOggVorbisDecoder();
    if (works) {
        // Decode both clips now rather than inside the keyboard hook.
        DecodedClip(Clip::On);
        DecodedClip(Clip::Off);
    }
    Starter& s = TheStarter();
    std::lock_guard lock(s.mutex);
    if (works && s.pending) SoundFeedbackCue(player, *s.pending);
    s.pending.reset();
    s.works = works;
    s.ready = true;
}

// Runs `action` on the player under the layer's lock once the device is up;
// otherwise keeps the cue (if any) for later and answers `otherwise`.
template <typename Action, typename Answer>
Answer WithPlayer(const FeedbackCue* cue, Answer otherwise, Action action) {
    Starter& s = TheStarter();
    std::lock_guard lock(s.mutex);
    if (!s.ready) {
        if (cue) s.pending = *cue;
        return otherwise;
    }
    return action(TheSoundLayer());
}

void Sound(const FeedbackCue& cue) {
    WithPlayer(&cue, 0, [&](SoundPlayer& p) {
        SoundFeedbackCue(p, cue);
        return 0;
    });
}

}  // namespace

SoundPlayer& TheSoundLayer() {
    // Never destroyed: EndSoundLayer releases everything, and no exit-time destructor
    // races a late caller.
    static SoundPlayer* layer = new SoundPlayer;
    return *layer;
}

void StartSoundLayer(const SoundPlayerOptions& options) {
    Starter& s = TheStarter();
    if (s.thread.joinable() || s.ready) return;
    s.thread = std::thread(StartOnThisThread, options);
}

bool WaitForSoundLayer() {
    Starter& s = TheStarter();
    if (s.thread.joinable()) s.thread.join();
    std::lock_guard lock(s.mutex);
    return s.works;
}

void EndSoundLayer() {
    WaitForSoundLayer();
    std::lock_guard lock(TheStarter().mutex);
    TheSoundLayer().End();
}

void SoundCue(Cue cue) { Sound(CueFor(cue)); }

void SoundCueAndWait(Cue cue) {
    // A wait must see the cue play, so it waits for the device first.
    WaitForSoundLayer();
    SoundFeedbackCueAndWait(TheSoundLayer(), CueFor(cue), &TheStarter().mutex);
}

void SoundIgnoreModeCue(int mode) { Sound(IgnoreModeCue(mode)); }

void SoundSlotHousekeeping() {
    WithPlayer(nullptr, 0, [](SoundPlayer& p) {
        SoundSlotHousekeeping(p);
        return 0;
    });
}

bool SoundSlotExists() {
    return WithPlayer(nullptr, false, [](SoundPlayer& p) { return p.Exists(kSoundSlot); });
}

int SoundSlotStatus() {
    return WithPlayer(nullptr, int{kSoundMissing}, [](SoundPlayer& p) { return p.Status(kSoundSlot); });
}

}  // namespace quillet
