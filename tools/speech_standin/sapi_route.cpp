#include <windows.h>
// windows.h first: sapi.h needs its types; initguid.h because the import
// libraries carry no SAPI identifiers.
#include <initguid.h>
#include <sapi.h>

#include "speech_routes.h"

namespace quillet {
namespace {

// Windows' own voice, the last resort when no screen reader answers. The
// voice is created on first use and only once: when SAPI is missing or
// partial (under Wine, say) the route stays silent.
class SapiRoute : public SpeechRoute {
  public:
    const wchar_t* Name() const override { return L"sapi"; }
    int Engine() const override { return 8; }

    // The last route takes every call while it has a voice: there is nothing
    // left to pass a refused call on to.
    bool Say(const std::wstring& text, bool interrupt) override {
        if (!Voice()) return false;
        voice_->Speak(text.c_str(), SPF_ASYNC | (interrupt ? SPF_PURGEBEFORESPEAK : 0), nullptr);
        return true;
    }

    bool Stop() override {
        if (!Voice()) return false;
        voice_->Speak(nullptr, SPF_ASYNC | SPF_PURGEBEFORESPEAK, nullptr);
        return true;
    }

    bool Braille(const std::wstring&) override { return false; }
    bool HasBraille() const override { return false; }

  private:
    bool Voice() {
        if (!tried_) {
            tried_ = true;
            if (FAILED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice,
                                        reinterpret_cast<void**>(&voice_)))) {
                voice_ = nullptr;
            }
        }
        return voice_ != nullptr;
    }

    bool tried_ = false;
    ISpVoice* voice_ = nullptr;
};

}  // namespace

std::unique_ptr<SpeechRoute> MakeSapiRoute() { return std::make_unique<SapiRoute>(); }

}  // namespace quillet
