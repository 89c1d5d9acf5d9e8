#pragma once

#include <memory>
#include <string>

namespace quillet {

// One way to reach the user: a screen reader's own API or the SAPI voice.
// Every call is made on the speaking thread. A route answers false when it
// cannot serve the call right now, and the next route is asked.
class SpeechRoute {
  public:
    virtual ~SpeechRoute() = default;
    virtual const wchar_t* Name() const = 0;
    // UniversalSpeech's number for the same engine.
    virtual int Engine() const = 0;
    virtual bool Say(const std::wstring& text, bool interrupt) = 0;
    virtual bool Stop() = 0;
    virtual bool Braille(const std::wstring& text) = 0;
    // False for a route that never shows braille.
    virtual bool HasBraille() const { return true; }
};

// In the order they are asked: NVDA, JAWS, SAPI.
std::unique_ptr<SpeechRoute> MakeNvdaRoute();
std::unique_ptr<SpeechRoute> MakeJawsRoute();
std::unique_ptr<SpeechRoute> MakeSapiRoute();

}  // namespace quillet
