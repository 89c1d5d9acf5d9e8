// The idle stop: the audio device runs only while sounds play and for a while after, so
// the resident program causes no audio processing when idle. The next play starts it
// again. The caller (the feedback worker) looks again when told to, with a timed wait
// of its own: nothing wakes while the device is stopped.
#include "sound/sound_player.h"

namespace quillet {

int64_t SoundPlayer::IdleCheck(uint32_t nowMs) {
    if (device_ == nullptr || !ma_device_is_started(device_)) {
        idleMarked_ = false;
        return kNoLook;
    }
    if (AnyVoiceInUse()) {
        idleMarked_ = false;
        return kPlayingLookMs;
    }
    if (!idleMarked_) {
        idleMarked_ = true;
        idleMark_ = nowMs;
    }
    const uint32_t idle = nowMs - idleMark_;
    if (idle > options_.idleLimitMs) {
        StopDevice(device_);
        idleMarked_ = false;
        return kNoLook;
    }
    return int64_t{options_.idleLimitMs} - idle + 1;
}

}  // namespace quillet
