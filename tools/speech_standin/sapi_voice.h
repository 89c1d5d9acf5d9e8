#pragma once

#include <string>

namespace quillet {

// Hands a text to the SAPI voice and returns at once. The voice lives on a
// thread of its own, so a slow or missing SAPI never holds up the caller.
void VoiceSpeak(const std::wstring& text);
void VoiceStop();

}  // namespace quillet
