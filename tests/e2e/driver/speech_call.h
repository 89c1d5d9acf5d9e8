#pragma once

#include <string>
#include <vector>

namespace quillet {

// Calls one export of a speech library the way Quillet does; for testing the
// stand-in library on its own.
bool SpeechCallCommand(const std::vector<std::wstring>& words);

}  // namespace quillet
