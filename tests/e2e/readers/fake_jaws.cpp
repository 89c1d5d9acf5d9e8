// JAWS's automation object as our speech library sees it: an in-process COM
// server whose one object is both the class factory and the IDispatch with
// SayString, StopSpeech and RunFunction. The tests register it as
// "FreedomSci.JawsApi". Calls are logged ("jaws SayString F5 1",
// "jaws RunFunction BrailleString(\"F5\")"); while the flag jaws-closed is
// there they answer false, as JAWS's object does when JAWS is not running.
#include <windows.h>
// COM after windows.h, whose types it needs.
#include <objbase.h>
#include <oleauto.h>

#include "fake_reader.h"

namespace quillet {
namespace {

constexpr DISPID kSayString = 1;
constexpr DISPID kStopSpeech = 2;
constexpr DISPID kRunFunction = 3;

class JawsApi : public IDispatch, public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
        } else if (iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    // One static object for the life of the process: no counting needed.
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        return QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (count != 1) return DISP_E_UNKNOWNNAME;
        ids[0] = lstrcmpiW(names[0], L"SayString") == 0     ? kSayString
                 : lstrcmpiW(names[0], L"StopSpeech") == 0  ? kStopSpeech
                 : lstrcmpiW(names[0], L"RunFunction") == 0 ? kRunFunction
                                                            : DISPID_UNKNOWN;
        return ids[0] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (id == kSayString) {
            // Arguments arrive in reverse order: flush, then the text.
            if (params->cArgs != 2 || V_VT(&params->rgvarg[1]) != VT_BSTR ||
                V_VT(&params->rgvarg[0]) != VT_BOOL) {
                return DISP_E_TYPEMISMATCH;
            }
            LogCall(std::wstring(L"jaws SayString ") + V_BSTR(&params->rgvarg[1]) +
                    (V_BOOL(&params->rgvarg[0]) ? L" 1" : L" 0"));
        } else if (id == kRunFunction) {
            if (params->cArgs != 1 || V_VT(&params->rgvarg[0]) != VT_BSTR) {
                return DISP_E_TYPEMISMATCH;
            }
            LogCall(std::wstring(L"jaws RunFunction ") + V_BSTR(&params->rgvarg[0]));
        } else if (id == kStopSpeech) {
            if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
            LogCall(L"jaws StopSpeech");
        } else {
            return DISP_E_MEMBERNOTFOUND;
        }
        if (result) {
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = Flag(L"jaws-closed") ? VARIANT_FALSE : VARIANT_TRUE;
        }
        return S_OK;
    }
};

JawsApi api;

}  // namespace
}  // namespace quillet

extern "C" {

__declspec(dllexport) HRESULT __stdcall DllGetClassObject(REFCLSID, REFIID iid, void** out) {
    return quillet::api.QueryInterface(iid, out);
}

__declspec(dllexport) HRESULT __stdcall DllCanUnloadNow() { return S_FALSE; }

}  // extern "C"
