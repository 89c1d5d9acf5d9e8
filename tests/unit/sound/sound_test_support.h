#pragma once

#include <miniaudio.h>

#include <cstdint>
#include <vector>

#include "sound/clips.h"
#include "sound/decoder.h"
#include "sound/sound_player.h"

namespace quillet::test {

constexpr uint32_t kMixRate = 48000;

// A player without any device: frames are pulled by hand, so timing is exact.
inline SoundPlayerOptions PullOptions() {
    SoundPlayerOptions o;
    o.noDevice = true;
    o.channels = 2;
    o.sampleRate = kMixRate;
    return o;
}

// The whole clip decoded to interleaved 16-bit samples.
inline std::vector<int16_t> DecodeClip(Clip clip, int* channels = nullptr, int* rate = nullptr,
                                       int32_t* frames = nullptr) {
    auto bytes = ClipBytes(clip);
    auto stream = OpenOggVorbisFromMemory(bytes.data(), bytes.size(), 0);
    if (!stream) return {};
    if (channels) *channels = stream->Channels();
    if (rate) *rate = stream->SampleRate();
    if (frames) *frames = stream->TotalFrames();
    // Room for more than announced, to see that no more is delivered.
    std::vector<int16_t> pcm(static_cast<size_t>(stream->TotalFrames()) * stream->Channels() +
                             4096);
    int64_t got = stream->Read(pcm.data(), static_cast<int64_t>(pcm.size() * 2), 0);
    pcm.resize(static_cast<size_t>(got / 2));
    return pcm;
}

// Pulls stereo frames in small blocks while the sound's status is 1; gives the frames
// pulled (to within one block) and appends the output when asked.
inline int64_t PullWhilePlaying(SoundPlayer& player, int32_t number, int64_t limit,
                                std::vector<float>* out = nullptr) {
    constexpr int kBlock = 8;
    float block[kBlock * 2];
    int64_t pulled = 0;
    while (player.Status(number) == kSoundPlaying && pulled < limit) {
        ma_uint64 read = 0;
        ma_engine_read_pcm_frames(player.Engine(), block, kBlock, &read);
        if (out) out->insert(out->end(), block, block + kBlock * 2);
        pulled += kBlock;
    }
    return pulled;
}

inline bool LoadClip(SoundPlayer& player, int32_t number, Clip clip) {
    auto bytes = ClipBytes(clip);
    return player.LoadFromMemory(number, bytes.data(), bytes.size());
}

}  // namespace quillet::test
