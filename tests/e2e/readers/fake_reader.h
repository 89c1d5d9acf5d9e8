// Shared by the fake screen readers: they write into the speech log
// (LogCall) and are steered by flag files in the log's folder.
#pragma once

#include <windows.h>

#include <string>

#include "tools/speech_standin/call_log.h"

namespace quillet {

// True while a file of this name lies in the folder of QUILLET_SPEECH_LOG.
inline bool Flag(const wchar_t* name) {
    wchar_t log[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"QUILLET_SPEECH_LOG", log, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    std::wstring path(log, n);
    path.erase(path.find_last_of(L'\\') + 1);
    return GetFileAttributesW((path + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace quillet
