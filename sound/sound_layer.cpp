#include "sound/sound_layer.h"

#include <mutex>
#include <optional>
#include <thread>

namespace quillet {

namespace {

// The hand-over between the starter thread and the main thread. Until `ready` the
// player belongs to the starter; afterwards only to the main thread.
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

// True when the player may be used now; otherwise the cue (if any) is kept for later.
bool ReadyOrKeep(const FeedbackCue* cue) {
    Starter& s = TheStarter();
    std::lock_guard lock(s.mutex);
    if (!s.ready && cue) s.pending = *cue;
    return s.ready;
}

void Sound(const FeedbackCue& cue) {
    if (ReadyOrKeep(&cue)) SoundFeedbackCue(TheSoundLayer(), cue);
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
    TheSoundLayer().End();
}

void SoundCue(Cue cue) { Sound(CueFor(cue)); }

void SoundCueAndWait(Cue cue) {
    // A wait must see the cue play, so it waits for the device first.
    WaitForSoundLayer();
    SoundFeedbackCueAndWait(TheSoundLayer(), CueFor(cue));
}

void SoundIgnoreModeCue(int mode) { Sound(IgnoreModeCue(mode)); }

void SoundSlotHousekeeping() {
    if (ReadyOrKeep(nullptr)) SoundSlotHousekeeping(TheSoundLayer());
}

bool SoundSlotExists() { return ReadyOrKeep(nullptr) && TheSoundLayer().Exists(kSoundSlot); }

int SoundSlotStatus() {
    return ReadyOrKeep(nullptr) ? TheSoundLayer().Status(kSoundSlot) : 3;
}

}  // namespace quillet
