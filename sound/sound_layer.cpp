#include "sound/sound_layer.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace quillet {

namespace {

// The sound layer's own thread starts the audio device and, at the end, closes it:
// the audio context sets up COM on the thread that creates it and takes it down on
// the thread that destroys it, so both must be the same. Until `ready` the player
// belongs to that thread; afterwards whoever holds `mutex` uses it (the main thread
// and the feedback worker).
struct LayerThread {
    std::mutex mutex;
    std::condition_variable changed;
    std::thread thread;
    bool ready = false;
    bool works = false;
    bool ending = false;
    std::optional<FeedbackCue> pending;  // asked for before the device was up
};

LayerThread& TheLayerThread() {
    static LayerThread* layerThread = new LayerThread;
    return *layerThread;
}

void RunSoundThread(SoundPlayerOptions options) {
    SoundPlayer& player = TheSoundLayer();
    const bool works = player.Start(options);
    player.RegisterOggVorbisDecoder();
    if (works) {
        // Decode both clips now rather than when the first cue is wanted.
        DecodedClip(Clip::On);
        DecodedClip(Clip::Off);
    }
    LayerThread& s = TheLayerThread();
    std::unique_lock lock(s.mutex);
    if (works && s.pending) SoundFeedbackCue(player, *s.pending);
    s.pending.reset();
    s.works = works;
    s.ready = true;
    s.changed.notify_all();
    s.changed.wait(lock, [&] { return s.ending; });
    player.End();
}

// Runs `action` on the player under the layer's lock once the device is up;
// otherwise keeps the cue (if any) for later and answers `otherwise`.
template <typename Action, typename Answer>
Answer WithPlayer(const FeedbackCue* cue, Answer otherwise, Action action) {
    LayerThread& s = TheLayerThread();
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
    LayerThread& s = TheLayerThread();
    if (s.thread.joinable() || s.ready) return;
    s.thread = std::thread(RunSoundThread, options);
}

bool WaitForSoundLayer() {
    LayerThread& s = TheLayerThread();
    std::unique_lock lock(s.mutex);
    s.changed.wait(lock, [&] { return s.ready || !s.thread.joinable(); });
    return s.works;
}

void EndSoundLayer() {
    LayerThread& s = TheLayerThread();
    if (!s.thread.joinable()) return;
    {
        std::lock_guard lock(s.mutex);
        s.ending = true;
        s.changed.notify_all();
    }
    s.thread.join();
}

void SoundCue(Cue cue) { Sound(CueFor(cue)); }

void SoundCueAndWait(Cue cue) {
    // A wait must see the cue play, so it waits for the device first.
    WaitForSoundLayer();
    SoundFeedbackCueAndWait(TheSoundLayer(), CueFor(cue), &TheLayerThread().mutex);
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
    return WithPlayer(nullptr, int{kSoundMissing},
                      [](SoundPlayer& p) { return p.Status(kSoundSlot); });
}

}  // namespace quillet
