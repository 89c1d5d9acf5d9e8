#include "app/desktop_win32.h"

#include <ole2.h>
#include <shellapi.h>
#include <commctrl.h>

#include "filter/keyboard_hook.h"
#include "runtime/text.h"
#include "speech/library_loader.h"

namespace quillet {

Win32Desktop::Win32Desktop(AppState& state)
    : state_(state),
      filter_(state.filter, {&state.settings.exclude_escape, &state.settings.doublePressTimeout},
              SystemFilterPlatform(), *this) {}

void Win32Desktop::StartLayers() {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}

bool Win32Desktop::CreateInstanceMutex() {
    mutex_ = CreateMutexW(nullptr, TRUE, L"Brindle_Quillet");
    if (mutex_ && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex_);
        mutex_ = nullptr;
    }
    return mutex_ != nullptr;
}

void Win32Desktop::CloseInstanceMutex() {
    if (mutex_) CloseHandle(mutex_);
    mutex_ = nullptr;
}

std::u16string Win32Desktop::ExecutablePath() {
    // Grow the buffer until the whole path fits: a deep folder must still
    // find its own settings file.
    std::wstring buffer(MAX_PATH, L'\0');
    while (true) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return FromWide(buffer.c_str(), n);
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

void Win32Desktop::SetWorkingDirectory(const std::u16string& folder) {
    SetCurrentDirectoryW(Wide(folder));
}

std::u16string Win32Desktop::CommandLine() { return FromWide(GetCommandLineW()); }

std::u16string Win32Desktop::LowerCase(const std::u16string& text) {
    std::u16string lower = text;
    if (!lower.empty()) {
        CharLowerBuffW(reinterpret_cast<wchar_t*>(lower.data()), static_cast<DWORD>(lower.size()));
    }
    return lower;
}

void Win32Desktop::LoadSettings(SettingsRecord& settings) { quillet::LoadSettings(settings); }
void Win32Desktop::CorrectSettings(SettingsRecord& settings) { quillet::CorrectSettings(settings); }
void Win32Desktop::SaveSettings(const SettingsRecord& settings) { quillet::SaveSettings(settings); }

Elevation Win32Desktop::QueryElevation() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return Elevation::Unknown;
    TOKEN_ELEVATION elevation{};
    DWORD length = 0;
    const BOOL ok = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &length);
    CloseHandle(token);
    if (!ok) return Elevation::Unknown;
    return (elevation.TokenIsElevated & 0xFF) ? Elevation::Elevated : Elevation::NotElevated;
}

bool Win32Desktop::Launch(const std::u16string& file, const std::u16string& parameters,
                          const std::u16string& directory, const std::u16string& verb) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, verb.empty() ? nullptr : Wide(verb), Wide(file), Wide(parameters),
                      Wide(directory), SW_SHOWNORMAL));
    return result > 32;
}

void Win32Desktop::StartSound() {}
void Win32Desktop::SoundStartCue() {}
void Win32Desktop::SoundExitCueAndWait() {}

bool Win32Desktop::BindSpeech() { return speech_.Bind(SystemLibraryLoader()); }
int Win32Desktop::MissingSpeechExportCount() { return static_cast<int>(speech_.MissingExports().size()); }
int Win32Desktop::MissingSpeechExport(int n) { return speech_.MissingExports()[n]; }

int Win32Desktop::ShowMessage(const std::u16string& title, const std::u16string& text, int style) {
    return ::MessageBoxW(nullptr, Wide(text), Wide(title), static_cast<UINT>(style));
}

void Win32Desktop::OpenMainWindow() {}
void Win32Desktop::CloseMainWindow() {}
void Win32Desktop::AddTrayIcon() {}
bool Win32Desktop::HasTrayIcon() { return false; }
void Win32Desktop::RemoveTrayIcon() {}
void Win32Desktop::BuildMenu() {}

bool Win32Desktop::InstallHook() { return InstallKeyboardHook(filter_); }
void Win32Desktop::RemoveHook() { RemoveKeyboardHook(); }

void Win32Desktop::RunEventLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Win32Desktop::EndSequence() {
    OleUninitialize();
    speech_.Unbind(SystemLibraryLoader());
    ExitProcess(0);
}

void Win32Desktop::Announce(std::u16string_view text) { speech_.Announce(text); }
void Win32Desktop::SoundIgnoreModeCue(int32_t) {}
void Win32Desktop::SoundNextKeyConsumedCue() {}

}  // namespace quillet
