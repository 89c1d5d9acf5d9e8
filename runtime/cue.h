// The cues the user hears, each named for what it tells. The menu, the hot key and
// start-up all ask for one of these; the feedback worker sounds it from the table in
// sound/cue_sounds.h, where two cues that tell different things may sound alike.
// Here because every layer that asks for a cue may include runtime/.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillet {

enum class Cue : uint8_t {
    Start,
    Exit,     // waited for
    Restart,  // waited for
    ExcludeEscapeOn,
    ExcludeEscapeOff,
    RunAsAdminOn,
    RunAsAdminOff,
    StartWithWindowsOn,
    StartWithWindowsOff,
    LetKeysThroughOn,  // the program in front added to the list
    LetKeysThroughOff,
    SinglePressOn,  // a key chosen to pass on a single press
    SinglePressOff,
    IgnoreModeOff,  // the new ignore mode, in the modes' order
    IgnoreModeNextKey,
    IgnoreModeAlways,
    NextKeyUsed,  // "next key only" ended with its key
};
inline constexpr size_t kCueCount = static_cast<size_t>(Cue::NextKeyUsed) + 1;

// The cue for the ignore mode now in force: 0 off, 1 next key only, 2 always.
constexpr Cue IgnoreModeCue(int32_t mode) {
    return mode == 0   ? Cue::IgnoreModeOff
           : mode == 1 ? Cue::IgnoreModeNextKey
                       : Cue::IgnoreModeAlways;
}

}  // namespace quillet
