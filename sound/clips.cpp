#include "sound/clips.h"

namespace quillet {

// Generated from sound/clips/*.ogg at build time: ClipOn's bytes, then ClipOff's.
extern const unsigned char kClipData[];
extern const std::size_t kClipDataSizes[2];

std::span<const unsigned char> ClipBytes(Clip clip) {
    if (clip == Clip::On) return {kClipData, kClipDataSizes[0]};
    return {kClipData + kClipDataSizes[0], kClipDataSizes[1]};
}

}  // namespace quillet
