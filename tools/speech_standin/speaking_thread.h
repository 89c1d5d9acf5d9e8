#pragma once

#include <string>

namespace quillet {

// Hand a request to the speaking thread and return at once: a screen reader
// or SAPI that is slow or hangs never holds up the caller. The thread picks
// the route at each request, so a reader started or closed meanwhile counts,
// and logs the route taken ("route nvda say F5") through LogCall.
void Speak(const std::wstring& text, bool interrupt);
void StopSpeaking();
// False once the route last taken has no braille (Windows' own voice) or no
// route took the last request; true before the thread has taken any.
bool ShowBraille(const std::wstring& text);
// The route taken last as UniversalSpeech numbers its engines (JAWS 0, NVDA 2, SAPI 8),
// -1 before any or when none took the request.
int RouteEngine();

}  // namespace quillet
