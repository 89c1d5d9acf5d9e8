// A library the end-to-end cases plant beside Quillet.exe under the names of
// system libraries. Loading it leaves "<its file name>.loaded" beside it.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return TRUE;
    const std::wstring marker = std::wstring(path, n) + L".loaded";
    HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return TRUE;
}

// What a program importing winmm.dll for its timer resolution asks of it, so
// such an import binds to this copy and its DllMain runs.
extern "C" __declspec(dllexport) UINT WINAPI timeBeginPeriod(UINT) { return 0; }
extern "C" __declspec(dllexport) UINT WINAPI timeEndPeriod(UINT) { return 0; }
