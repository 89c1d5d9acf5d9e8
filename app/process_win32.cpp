#include "app/process_win32.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include "lang/language.h"
#include "runtime/module_path.h"
#include "runtime/text.h"

namespace quillet {

void Win32Process::StartLayers() {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}

void Win32Process::EndLayers() { OleUninitialize(); }

std::vector<std::u16string> Win32Process::PreferredUILanguages() {
    return UserPreferredUILanguages();
}

bool Win32Process::CreateInstanceMutex() {
    mutex_ = CreateMutexW(nullptr, TRUE, L"Brindle_Quillet");
    if (mutex_ && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex_);
        mutex_ = nullptr;
    }
    return mutex_ != nullptr;
}

void Win32Process::CloseInstanceMutex() {
    if (mutex_) CloseHandle(mutex_);
    mutex_ = nullptr;
}

std::u16string Win32Process::ExecutablePath() { return quillet::ExecutablePath(); }

void Win32Process::SetWorkingDirectory(const std::u16string& folder) {
    SetCurrentDirectoryW(Wide(folder));
}

std::u16string Win32Process::CommandLine() { return FromWide(GetCommandLineW()); }

Elevation Win32Process::QueryElevation() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return Elevation::Unknown;
    TOKEN_ELEVATION elevation{};
    DWORD length = 0;
    const BOOL ok =
        GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &length);
    CloseHandle(token);
    if (!ok) return Elevation::Unknown;
    return (elevation.TokenIsElevated & 0xFF) ? Elevation::Elevated : Elevation::NotElevated;
}

// RtlGetVersion tells the truth whatever the manifest says; GetVersionExW may not.
std::u16string Win32Process::WindowsVersion() {
    using GetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto getVersion = reinterpret_cast<GetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    std::u16string text = u"unknown";
    if (getVersion && getVersion(&info) == 0) {
        text = IntegerText(info.dwMajorVersion) + u"." + IntegerText(info.dwMinorVersion) +
               u" build " + IntegerText(info.dwBuildNumber);
    }
    BOOL wow64 = FALSE;  // this 32-bit program runs on 64-bit Windows
    IsWow64Process(GetCurrentProcess(), &wow64);
    return text + (wow64 ? u", 64-bit" : u", 32-bit");
}

// The tick count is what key events are stamped in.
ListClock Win32Process::ReadListClock() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {GetTickCount(), ((now.wHour * 60 + now.wMinute) * 60 + now.wSecond) * int64_t{1000} +
                                now.wMilliseconds};
}

namespace {
// A bare "explorer.exe" would be looked for in our own folder first, where a
// planted copy could sit; the desktop shell is the one in the Windows folder.
std::u16string ShellProgramPath(const std::u16string& file) {
    if (file != u"explorer.exe") return file;
    wchar_t folder[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return file;
    return FromWide(folder, n) + u"\\" + file;
}
}  // namespace

bool Win32Process::Launch(const std::u16string& file, const std::u16string& parameters,
                          const std::u16string& directory, const std::u16string& verb) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, verb.empty() ? nullptr : Wide(verb), Wide(ShellProgramPath(file)),
                      Wide(parameters), Wide(directory), SW_SHOWNORMAL));
    return result > 32;
}

void Win32Process::EndProcess() { ExitProcess(0); }

}  // namespace quillet
