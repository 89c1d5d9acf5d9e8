// NVDA's controller client as our speech library sees it. NVDA "runs" while
// the flag nvda-running is there; speakText hangs for 5 s while nvda-hangs is.
// Every call but testIfRunning is logged ("nvda speakText F5").
#include "fake_reader.h"

using quillet::Flag;
using quillet::LogCall;

extern "C" {

__declspec(dllexport) unsigned long __stdcall nvdaController_testIfRunning() {
    return Flag(L"nvda-running") ? 0 : RPC_S_SERVER_UNAVAILABLE;
}

__declspec(dllexport) unsigned long __stdcall nvdaController_speakText(const wchar_t* text) {
    if (Flag(L"nvda-hangs")) Sleep(5000);
    LogCall(std::wstring(L"nvda speakText ") + text);
    return 0;
}

__declspec(dllexport) unsigned long __stdcall nvdaController_cancelSpeech() {
    LogCall(L"nvda cancelSpeech");
    return 0;
}

__declspec(dllexport) unsigned long __stdcall nvdaController_brailleMessage(const wchar_t* text) {
    LogCall(std::wstring(L"nvda brailleMessage ") + text);
    return 0;
}

}  // extern "C"
