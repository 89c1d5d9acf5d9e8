#include "fake_reader.h"

#include <windows.h>

#include "tools/speech_standin/call_log.h"

namespace quillet {

bool Flag(const wchar_t* name) {
    wchar_t log[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"QUILLET_SPEECH_LOG", log, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    std::wstring path(log, n);
    path.erase(path.find_last_of(L'\\') + 1);
    return GetFileAttributesW((path + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Record(const wchar_t* reader, const std::wstring& line) {
    LogCall(std::wstring(reader) + L" " + line);
}

}  // namespace quillet
