#pragma once

#include <cstddef>
#include <span>

namespace quillet {

// The two embedded Ogg Vorbis clips behind the feedback cues.
enum class Clip { On = 0, Off = 1 };

std::span<const unsigned char> ClipBytes(Clip clip);

}  // namespace quillet
