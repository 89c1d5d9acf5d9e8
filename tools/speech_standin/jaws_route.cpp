#include <windows.h>
// COM after windows.h, whose types it needs.
#include <objbase.h>
#include <oleauto.h>

#include "speech_routes.h"

namespace quillet {
namespace {

// The text inside a double-quoted string of JAWS's script language, which
// RunFunction reads. Whether a backslash escapes there is not documented: doubled,
// it can neither end the string nor join the next character, read either way. A
// quote has no escape JAWS is known to take, so it becomes an apostrophe; a control
// character, a line break among them, becomes a space.
std::wstring ScriptString(const std::wstring& text) {
    std::wstring quoted;
    for (wchar_t c : text) {
        if (c == L'\\') {
            quoted += L"\\\\";
        } else {
            quoted += c == L'"' ? L'\'' : c < L' ' ? L' ' : c;
        }
    }
    return quoted;
}

// JAWS through its automation object, late bound: SayString(text, flush),
// StopSpeech and RunFunction(call). The object can exist while JAWS itself is
// closed; then its calls answer false and the next route speaks instead.
class JawsRoute : public SpeechRoute {
  public:
    const wchar_t* Name() const override { return L"jaws"; }
    int Engine() const override { return 0; }

    bool Say(const std::wstring& text, bool interrupt) override {
        return Connect() && CallWithText(sayId_, text, &interrupt);
    }

    bool Stop() override { return Connect() && Call(stopId_, nullptr, 0); }

    // Through the braille function of JAWS's own scripts, where the object has RunFunction.
    bool Braille(const std::wstring& text) override {
        return Connect() && runId_ != DISPID_UNKNOWN &&
               CallWithText(runId_, L"BrailleString(\"" + ScriptString(text) + L"\")", nullptr);
    }

  private:
    // Tried at each call until it works, so a JAWS installed meanwhile counts.
    bool Connect() {
        if (api_) return true;
        CLSID clsid;
        if (FAILED(CLSIDFromProgID(L"FreedomSci.JawsApi", &clsid))) return false;
        if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                    IID_IDispatch, reinterpret_cast<void**>(&api_)))) {
            api_ = nullptr;
            return false;
        }
        if (!Lookup(L"SayString", sayId_) || !Lookup(L"StopSpeech", stopId_)) {
            Disconnect();
            return false;
        }
        if (!Lookup(L"RunFunction", runId_)) runId_ = DISPID_UNKNOWN;
        return true;
    }

    bool Lookup(const wchar_t* name, DISPID& id) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        return SUCCEEDED(api_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    }

    // A method taking a text and, when `flush` is given, a flag after it.
    bool CallWithText(DISPID id, const std::wstring& text, const bool* flush) {
        VARIANT args[2];
        UINT count = 0;
        // Arguments go in reverse order.
        if (flush) {
            VariantInit(&args[0]);
            V_VT(&args[0]) = VT_BOOL;
            V_BOOL(&args[0]) = *flush ? VARIANT_TRUE : VARIANT_FALSE;
            count = 1;
        }
        VARIANT& textArg = args[count++];
        VariantInit(&textArg);
        V_VT(&textArg) = VT_BSTR;
        V_BSTR(&textArg) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        const bool ok = V_BSTR(&textArg) && Call(id, args, count);
        VariantClear(&textArg);
        return ok;
    }

    // True when the call went through and did not answer false. A failed
    // call drops the object, so the next call creates it afresh.
    bool Call(DISPID id, VARIANT* args, UINT count) {
        DISPPARAMS params = {args, nullptr, count, 0};
        VARIANT result;
        VariantInit(&result);
        HRESULT hr = api_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                  &result, nullptr, nullptr);
        bool refused = V_VT(&result) == VT_BOOL && V_BOOL(&result) == VARIANT_FALSE;
        VariantClear(&result);
        if (FAILED(hr)) Disconnect();
        return SUCCEEDED(hr) && !refused;
    }

    void Disconnect() {
        api_->Release();
        api_ = nullptr;
    }

    IDispatch* api_ = nullptr;
    DISPID sayId_ = 0;
    DISPID stopId_ = 0;
    DISPID runId_ = DISPID_UNKNOWN;
};

}  // namespace

std::unique_ptr<SpeechRoute> MakeJawsRoute() { return std::make_unique<JawsRoute>(); }

}  // namespace quillet
