// NVDA's controller client as our speech library sees it. NVDA "runs" while
// the flag nvda-running is there; speakText hangs for 5 s while nvda-hangs is.
// Every call but testIfRunning is logged ("nvda speakText F5").
#include <windows.h>

#include "fake_reader.h"

using quillet::Flag;
using quillet::Record;

namespace {
constexpr unsigned long kNotRunning = 1722;  // RPC_S_SERVER_UNAVAILABLE, as the client answers
}

extern "C" {

__declspec(dllexport) unsigned long __stdcall nvdaController_testIfRunning() {
    return Flag(L"nvda-running") ? 0 : kNotRunning;
}

__declspec(dllexport) unsigned long __stdcall nvdaController_speakText(const wchar_t* text) {
    if (Flag(L"nvda-hangs")) Sleep(5000);
    Record(L"nvda", std::wstring(L"speakText ") + text);
    return 0;
}

__declspec(dllexport) unsigned long __stdcall nvdaController_cancelSpeech() {
    Record(L"nvda", L"cancelSpeech");
    return 0;
}

__declspec(dllexport) unsigned long __stdcall nvdaController_brailleMessage(const wchar_t* text) {
    Record(L"nvda", std::wstring(L"brailleMessage ") + text);
    return 0;
}

}  // extern "C"
