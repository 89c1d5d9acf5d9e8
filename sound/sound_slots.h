#pragma once

#include <miniaudio.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "sound/decoder.h"

namespace quillet {

// One decoded clip in a numbered slot. An entry whose pcmBytes is 0 is empty.
struct SoundRecord {
    int32_t pcmBytes = 0;
    ma_audio_buffer_config bufferConfig{};
    std::unique_ptr<DecodedStream> streamDecoder;  // never set for sounds loaded from memory
    std::unique_ptr<uint8_t[]> pcm;                // interleaved s16le, pcmBytes long
    double defaultVolume = 0.0;
    int32_t pan = 0;
    int32_t frequency = 0;
    int32_t nativeFrequency = 0;
    int64_t startFrame = 0;
    uint16_t bitsPerSample = 0;
    uint16_t channels = 0;
};

// The player's numbered slots, each holding one decoded clip: 64 to start with;
// loading a number at or beyond the count grows them to that number + 64.
class SoundSlots {
  public:
    static constexpr int32_t kGrowth = 64;

    SoundSlots() : entries_(kGrowth) {}

    size_t Size() const { return entries_.size(); }

    // The record under the number, or none when the entry is empty or out of range.
    SoundRecord* Find(int32_t number) {
        if (number < 0 || static_cast<size_t>(number) >= entries_.size()) return nullptr;
        SoundRecord& r = entries_[number];
        return r.pcmBytes != 0 ? &r : nullptr;
    }

    // The entry for a number about to be loaded, growing the slots when needed.
    SoundRecord& Entry(int32_t number) {
        if (static_cast<size_t>(number) >= entries_.size()) {
            entries_.resize(static_cast<size_t>(number) + kGrowth);
        }
        return entries_[number];
    }

  private:
    std::vector<SoundRecord> entries_;
};

}  // namespace quillet
