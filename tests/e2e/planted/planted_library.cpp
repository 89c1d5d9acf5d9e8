// Planted beside Quillet.exe by the end-to-end cases under the names of system
// libraries (built as a library) and of the desktop shell (built as a program
// with PLANTED_PROGRAM). Once loaded or started it leaves "<its file>.loaded".
#include <windows.h>

#include <string>

namespace {

void LeaveMarker(HMODULE self) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    const std::wstring marker = std::wstring(path, n) + L".loaded";
    HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

}  // namespace

#ifdef PLANTED_PROGRAM

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LeaveMarker(nullptr);
    return 0;
}

#else

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) LeaveMarker(self);
    return TRUE;
}

// What a program importing winmm.dll for its timer resolution asks of it, so
// such an import binds to this copy and its DllMain runs.
extern "C" __declspec(dllexport) UINT WINAPI timeBeginPeriod(UINT) { return 0; }
extern "C" __declspec(dllexport) UINT WINAPI timeEndPeriod(UINT) { return 0; }

#endif
