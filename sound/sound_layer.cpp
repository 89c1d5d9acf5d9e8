#include "sound/sound_layer.h"

namespace quillet {

namespace {
void (*deviceGate)() = nullptr;
}  // namespace

SoundPlayer& TheSoundPlayer() {
    // Never destroyed: EndSoundLayer releases everything, and no exit-time destructor
    // races a worker that was left behind in a hung device.
    static SoundPlayer* layer = new SoundPlayer;
    return *layer;
}

void SetSoundDeviceGateForTest(void (*gate)()) { deviceGate = gate; }

bool StartSoundLayer(const SoundPlayerOptions& options) {
    SoundPlayer& player = TheSoundPlayer();
    SoundPlayerOptions chosen = options;
    if (!chosen.deviceGate) chosen.deviceGate = deviceGate;
    const bool works = player.Start(chosen);
    player.RegisterOggVorbisDecoder();
    return works;
}

void EndSoundLayer() { TheSoundPlayer().End(); }

}  // namespace quillet
