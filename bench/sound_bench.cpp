// The cost of sounding a cue, which the feedback worker pays for every cue the hook or the
// menu asks for: decoding the clip into the SoundSlot, and starting a voice on it.
#include <benchmark/benchmark.h>

#include <vector>

#include "sound/cue_sounds.h"
#include "sound/sound_player.h"

namespace quillet {
namespace {

SoundPlayer& Player() {
    static SoundPlayer* player = [] {
        auto* p = new SoundPlayer;
        SoundPlayerOptions o;
        o.noDevice = true;
        o.channels = 2;
        o.sampleRate = 48000;
        p->Start(o);
        p->RegisterOggVorbisDecoder();
        return p;
    }();
    return *player;
}

const CueSound kCues[2] = {CueSoundOf(Cue::IgnoreModeAlways), CueSoundOf(Cue::NextKeyUsed)};

// The whole cue as the feedback worker sounds it: decode the clip into the slot, set the
// rate, play.
void BM_SoundCue(benchmark::State& state) {
    SoundPlayer& player = Player();
    const CueSound& cue = kCues[state.range(0)];
    for (auto _ : state) PlayCueSound(player, cue);
    player.Free(kSoundSlot);
    state.SetLabel(state.range(0) == 0 ? "ClipOn" : "ClipOff");
}
BENCHMARK(BM_SoundCue)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The cue from a decoded copy kept for the whole run instead: the time a cue would
// save for the copy's memory (about 270 KB for both clips).
void BM_SoundCueFromDecodedCopy(benchmark::State& state) {
    SoundPlayer& player = Player();
    const CueSound& cue = kCues[state.range(0)];
    const DecodedClipPcm& clip = DecodedClip(cue.clip);
    for (auto _ : state) {
        player.LoadFromPcm(kSoundSlot, clip.pcm.data(), clip.frames, clip.channels, clip.rate);
        player.SetFrequency(kSoundSlot, static_cast<int32_t>(48000 * cue.factor));
        player.Play(kSoundSlot, 0, cue.volume);
    }
    player.Free(kSoundSlot);
    state.SetLabel(state.range(0) == 0 ? "ClipOn" : "ClipOff");
}
BENCHMARK(BM_SoundCueFromDecodedCopy)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Decoding alone.
void BM_DecodeClip(benchmark::State& state) {
    auto bytes = ClipBytes(state.range(0) == 0 ? Clip::On : Clip::Off);
    std::vector<unsigned char> pcm(200000);
    for (auto _ : state) {
        auto stream = OpenOggVorbisFromMemory(bytes.data(), bytes.size(), 0);
        int64_t n = int64_t(stream->TotalFrames()) * stream->Channels() * 2;
        benchmark::DoNotOptimize(stream->Read(pcm.data(), n, 0));
    }
    state.SetLabel(state.range(0) == 0 ? "ClipOn" : "ClipOff");
}
BENCHMARK(BM_DecodeClip)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Starting a voice on a sound already decoded (stopping the previous one first).
void BM_PlayDecoded(benchmark::State& state) {
    SoundPlayer& player = Player();
    auto bytes = ClipBytes(Clip::On);
    player.LoadFromMemory(kSoundSlot, bytes.data(), bytes.size());
    for (auto _ : state) player.Play(kSoundSlot, 0, 60);
    player.Free(kSoundSlot);
}
BENCHMARK(BM_PlayDecoded)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quillet
