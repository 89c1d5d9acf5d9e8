#include "sapi_voice.h"

#include <windows.h>
// windows.h first: sapi.h needs its types; initguid.h because the import
// libraries carry no SAPI identifiers.
#include <initguid.h>
#include <sapi.h>

namespace quillet {
namespace {

// Only the newest request matters: every utterance purges the one before.
struct Request {
    bool pending = false;
    bool stop = false;
    std::wstring text;
};

CRITICAL_SECTION lock;
HANDLE wake = nullptr;
Request request;
INIT_ONCE started = INIT_ONCE_STATIC_INIT;

DWORD WINAPI VoiceThread(void*) {
    bool ok = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    ISpVoice* voice = nullptr;
    if (ok && FAILED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice,
                                      reinterpret_cast<void**>(&voice)))) {
        voice = nullptr;
    }
    for (;;) {
        WaitForSingleObject(wake, INFINITE);
        EnterCriticalSection(&lock);
        Request r = request;
        request = Request{};
        LeaveCriticalSection(&lock);
        if (!voice || !r.pending) continue;
        if (r.stop) {
            voice->Speak(nullptr, SPF_ASYNC | SPF_PURGEBEFORESPEAK, nullptr);
        } else {
            voice->Speak(r.text.c_str(), SPF_ASYNC | SPF_PURGEBEFORESPEAK, nullptr);
        }
    }
}

BOOL CALLBACK StartVoice(INIT_ONCE*, void*, void**) {
    InitializeCriticalSection(&lock);
    wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    // The thread runs code of this library until the process ends, so the
    // library must stay mapped even after its user calls FreeLibrary.
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&VoiceThread), &self);
    HANDLE thread = wake ? CreateThread(nullptr, 0, VoiceThread, nullptr, 0, nullptr) : nullptr;
    if (thread) CloseHandle(thread);
    return TRUE;
}

void Post(bool stop, const std::wstring& text) {
    InitOnceExecuteOnce(&started, StartVoice, nullptr, nullptr);
    if (!wake) return;
    EnterCriticalSection(&lock);
    request.pending = true;
    request.stop = stop;
    request.text = text;
    LeaveCriticalSection(&lock);
    SetEvent(wake);
}

}  // namespace

void VoiceSpeak(const std::wstring& text) { Post(false, text); }

void VoiceStop() { Post(true, std::wstring()); }

}  // namespace quillet
