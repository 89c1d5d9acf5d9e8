#include "speech_call.h"

#include <windows.h>

#include "commands.h"
#include "output.h"

namespace quillet {
namespace {

using TextCall = int(__cdecl*)(const wchar_t*, int);
using NumberCall = int(__cdecl*)(int, int);

}  // namespace

// "speech <dll> <export> <arg1> <arg2>": loads the library, calls the export
// as the program does (cdecl, two 32-bit arguments; a non-numeric first
// argument is passed as text) and prints "result=<n> ms=<elapsed>".
bool SpeechCallCommand(const std::vector<std::wstring>& w) {
    if (w.size() != 5) {
        PrintError(L"error: usage: speech <dll> <export> <arg1> <arg2>");
        return false;
    }
    HMODULE library = LoadLibraryW(w[1].c_str());
    if (!library) {
        PrintError(L"error: cannot load " + w[1]);
        return false;
    }
    std::string name(w[2].begin(), w[2].end());
    // Through void*: FARPROC's own type says nothing about the real signature.
    void* function = reinterpret_cast<void*>(GetProcAddress(library, name.c_str()));
    int64_t first = 0, second = 0;
    if (!function || !ParseNumber(w[4], second)) {
        PrintError(L"error: no export " + w[2] + L" or bad argument");
        return false;
    }
    double start = ElapsedMs();
    int result = ParseNumber(w[3], first)
                     ? reinterpret_cast<NumberCall>(function)(int(first), int(second))
                     : reinterpret_cast<TextCall>(function)(w[3].c_str(), int(second));
    double elapsed = ElapsedMs() - start;
    PrintLine(L"result=" + std::to_wstring(result) + L" ms=" + std::to_wstring(int(elapsed)));
    return true;
}

}  // namespace quillet
