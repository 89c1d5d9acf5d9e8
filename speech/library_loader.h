// The system's run-time library loader. Windows only.
#pragma once

#include "speech/speech_binding.h"

namespace quillet {

LibraryLoader& SystemLibraryLoader();

}  // namespace quillet
