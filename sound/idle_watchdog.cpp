// The idle watchdog: stops the audio device once nothing has played for a while, so the
// resident program causes no audio processing when idle. The next play starts it again.
#include <chrono>

#include "sound/sound_player.h"

namespace quillet {
namespace {

uint32_t TickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

void SoundPlayer::IdleCheck(uint32_t nowMs) {
    std::lock_guard<std::mutex> lock(deviceLock_);
    IdleCheckLocked(nowMs);
}

void SoundPlayer::IdleCheckLocked(uint32_t nowMs) {
    ma_device* device = device_.load();
    if (device == nullptr || !ma_device_is_started(device)) return;
    if (AnyVoiceInUse()) {
        idleMarked_ = false;
        return;
    }
    if (!idleMarked_) {
        idleMarked_ = true;
        idleMark_ = nowMs;
    } else if (nowMs - idleMark_ > options_.idleLimitMs) {
        // Under the lock: a play cannot allocate a voice between the check and the stop.
        ma_device_stop(device);
        idleMarked_ = false;
    }
}

void SoundPlayer::WatchdogLoop() {
    std::unique_lock<std::mutex> lock(deviceLock_);
    while (device_.load() != nullptr) {
        watchdogWake_.wait_for(lock, std::chrono::milliseconds(options_.watchdogWakeMs));
        if (device_.load() == nullptr) break;
        IdleCheckLocked(TickCount());
    }
}

}  // namespace quillet
