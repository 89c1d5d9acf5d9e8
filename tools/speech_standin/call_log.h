#pragma once

#include <string>

namespace quillet {

// Appends one UTF-8 line to the file named by QUILLET_SPEECH_LOG, if set. The
// file is opened and closed on every call so a reader sees each line at once.
void LogCall(const std::wstring& line);

}  // namespace quillet
