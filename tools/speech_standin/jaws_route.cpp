#include <windows.h>
// COM after windows.h, whose types it needs.
#include <objbase.h>
#include <oleauto.h>

#include "speech_routes.h"

namespace quillet {
namespace {

// JAWS through its automation object, late bound: SayString(text, flush) and
// StopSpeech. The object can exist while JAWS itself is closed; then its calls
// answer false and the next route speaks instead.
class JawsRoute : public SpeechRoute {
  public:
    const wchar_t* Name() const override { return L"jaws"; }

    bool Say(const std::wstring& text, bool interrupt) override {
        if (!Connect()) return false;
        VARIANT args[2];
        // Arguments go in reverse order.
        VariantInit(&args[0]);
        V_VT(&args[0]) = VT_BOOL;
        V_BOOL(&args[0]) = interrupt ? VARIANT_TRUE : VARIANT_FALSE;
        VariantInit(&args[1]);
        V_VT(&args[1]) = VT_BSTR;
        V_BSTR(&args[1]) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        bool ok = V_BSTR(&args[1]) && Call(sayId_, args, 2);
        VariantClear(&args[1]);
        return ok;
    }

    bool Stop() override { return Connect() && Call(stopId_, nullptr, 0); }

    bool Braille(const std::wstring&) override { return false; }

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
        return true;
    }

    bool Lookup(const wchar_t* name, DISPID& id) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        return SUCCEEDED(api_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
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
};

}  // namespace

std::unique_ptr<SpeechRoute> MakeJawsRoute() { return std::make_unique<JawsRoute>(); }

}  // namespace quillet
