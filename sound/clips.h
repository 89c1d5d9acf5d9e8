#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quillet {

// The two embedded Ogg Vorbis clips behind the feedback cues.
enum class Clip { On = 0, Off = 1 };

std::span<const unsigned char> ClipBytes(Clip clip);

// A clip's length, known without decoding it.
struct ClipLength {
    int32_t frames;
    int rate;
};
constexpr ClipLength LengthOf(Clip clip) {
    return clip == Clip::On ? ClipLength{27973, 48000} : ClipLength{40112, 48000};
}

// A clip decoded to interleaved 16-bit PCM; empty when it could not be decoded.
struct DecodedClipPcm {
    std::vector<int16_t> pcm;
    int32_t frames = 0;
    int channels = 0;
    int rate = 0;
};

// Decodes the clip on first use and keeps the PCM for the rest of the run (tests and
// benchmarks; the program decodes at each cue rather than keep the PCM). Safe from any
// thread.
const DecodedClipPcm& DecodedClip(Clip clip);

}  // namespace quillet
