#include "sound/clips.h"

#include "sound/decoder.h"

namespace quillet {

// Generated from sound/clips/*.ogg at build time: ClipOn's bytes, then ClipOff's.
extern const unsigned char kClipData[];
extern const std::size_t kClipDataSizes[2];

std::span<const unsigned char> ClipBytes(Clip clip) {
    if (clip == Clip::On) return {kClipData, kClipDataSizes[0]};
    return {kClipData + kClipDataSizes[0], kClipDataSizes[1]};
}

namespace {

DecodedClipPcm Decode(Clip clip) {
    DecodedClipPcm d;
    std::span<const unsigned char> bytes = ClipBytes(clip);
    auto stream = OpenOggVorbisFromMemory(bytes.data(), bytes.size(), 0);
    if (!stream || stream->Channels() <= 0 || stream->TotalFrames() <= 0) return d;
    // Zero-filled, so a stream that ends early leaves silence behind what it delivered.
    d.pcm.resize(static_cast<size_t>(stream->TotalFrames()) * stream->Channels());
    stream->Read(d.pcm.data(), static_cast<int64_t>(d.pcm.size() * 2), 0);
    d.frames = stream->TotalFrames();
    d.channels = stream->Channels();
    d.rate = stream->SampleRate();
    return d;
}

}  // namespace

const DecodedClipPcm& DecodedClip(Clip clip) {
    static const DecodedClipPcm on = Decode(Clip::On);
    static const DecodedClipPcm off = Decode(Clip::Off);
    return clip == Clip::On ? on : off;
}

}  // namespace quillet
