// Shared by the fake screen readers of the end-to-end tests: they log into
// the speech log and are steered by flag files in the log's folder.
#pragma once

#include <string>

namespace quillet {

// True while a file of this name lies in the folder of QUILLET_SPEECH_LOG.
bool Flag(const wchar_t* name);

// Appends "<reader> <line>" to the speech log.
void Record(const wchar_t* reader, const std::wstring& line);

}  // namespace quillet
