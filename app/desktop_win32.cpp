#include "app/desktop_win32.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include "app/tray_menu.h"
#include "filter/keyboard_hook.h"
#include "lang/language.h"
#include "runtime/module_path.h"
#include "runtime/text.h"
#include "sound/sound_layer.h"
#include "speech/library_loader.h"
#include "ui/requesters.h"

namespace quillet {

namespace {
constexpr UINT kClickDelayMs = 20;
// How long the end waits for the worker to close the device and end; a hung reader or
// audio driver is left behind.
constexpr std::chrono::milliseconds kFeedbackStopLimit{500};
}  // namespace

Win32Desktop::Win32Desktop(AppState& state)
    : state_(state),
      filter_(state.filter, state.filterSettings, SystemFilterPlatform(), feedback_) {}

void Win32Desktop::StartLayers() {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}

std::vector<std::u16string> Win32Desktop::PreferredUILanguages() {
    return UserPreferredUILanguages();
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

std::u16string Win32Desktop::ExecutablePath() { return quillet::ExecutablePath(); }

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

// The settings file is named by its full path, so it is the one beside the
// executable even when the working directory could not be changed.
void Win32Desktop::LoadSettings(SettingsRecord& settings) {
    quillet::LoadSettings(settings, PathBesideExecutable(kSettingsFileName));
}
void Win32Desktop::CorrectSettings(SettingsRecord& settings) {
    quillet::CorrectSettings(settings, PathBesideExecutable(kSettingsFileName));
}
void Win32Desktop::SaveSettings(const SettingsRecord& settings) {
    quillet::SaveSettings(settings, PathBesideExecutable(kSettingsFileName));
}

Elevation Win32Desktop::QueryElevation() {
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

bool Win32Desktop::Launch(const std::u16string& file, const std::u16string& parameters,
                          const std::u16string& directory, const std::u16string& verb) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, verb.empty() ? nullptr : Wide(verb), Wide(ShellProgramPath(file)),
                      Wide(parameters), Wide(directory), SW_SHOWNORMAL));
    return result > 32;
}

// The worker opens the audio device on its own thread, so start-up goes on to the hook.
void Win32Desktop::StartSound() { feedback_.Start(); }
void Win32Desktop::SoundStartCue() { SoundCue(Cue::Start); }
void Win32Desktop::SoundExitCueAndWait() { SoundLastCueAndWait(Cue::Exit); }
void Win32Desktop::SoundRestartCueAndWait() { SoundLastCueAndWait(Cue::Restart); }
void Win32Desktop::SoundEscapeExemptionCue(bool on) {
    SoundCue(on ? Cue::EscapeOn : Cue::EscapeOff);
}
void Win32Desktop::SoundRunAsAdminCue(bool on) { SoundCue(on ? Cue::AdminOn : Cue::AdminOff); }
void Win32Desktop::SoundIgnoreModeCue(int32_t mode) {
    SoundCue(mode == 0 ? Cue::IgnoreMode0 : mode == 1 ? Cue::IgnoreMode1 : Cue::IgnoreMode2);
}
void Win32Desktop::SoundSlotHousekeeping() { feedback_.SoundSlotHousekeeping(); }

void Win32Desktop::SoundCue(Cue cue) { feedback_.SoundCue(static_cast<int32_t>(cue)); }

// A hung audio device or speech library holds the worker; the wait ends at the cue's
// own limit all the same.
void Win32Desktop::SoundLastCueAndWait(Cue cue) {
    feedback_.SoundLastCueAndWait(static_cast<int32_t>(cue), CueWaitLimit(CueFor(cue)));
}

bool Win32Desktop::BindSpeech() { return speech_.Bind(SystemLibraryLoader()); }
int Win32Desktop::MissingSpeechExportCount() {
    return static_cast<int>(speech_.MissingExports().size());
}
int Win32Desktop::MissingSpeechExport(int n) { return speech_.MissingExports()[n]; }

int Win32Desktop::ShowMessage(const std::u16string& title, const std::u16string& text, int style) {
    return MessageRequester(title, text, static_cast<uint32_t>(style));
}

std::u16string Win32Desktop::AskText(const std::u16string& title, const std::u16string& prompt) {
    const bool translated = state_.language.Tag() != "en";
    return InputRequester(title, prompt, u"", state_.language.Text(u"OK"), translated);
}

void Win32Desktop::OpenMainWindow() { tray_.Open(u"quillet"); }
void Win32Desktop::CloseMainWindow() { tray_.Close(); }

void Win32Desktop::AddTrayIcon() { tray_.AddIcon(u"Quillet"); }
bool Win32Desktop::HasTrayIcon() { return tray_.HasIcon(); }
void Win32Desktop::RemoveTrayIcon() { tray_.RemoveIcon(); }

void Win32Desktop::BuildMenu() {
    tray_.BuildMenu(TrayMenuEntries([this](const char16_t* context, const char16_t* label) {
        return state_.language.Text(label, context);
    }));
}

void Win32Desktop::SetMenuItemChecked(int32_t menuId, bool on) { tray_.SetItemChecked(menuId, on); }
void Win32Desktop::SetMenuItemGreyed(int32_t menuId, bool on) { tray_.SetItemGreyed(menuId, on); }
void Win32Desktop::ShowMenu() { tray_.ShowMenu(); }

void Win32Desktop::Listen(TrayListener* listener) { tray_.Listen(listener); }
void Win32Desktop::WaitMessage() { WaitWindowMessage(); }
void Win32Desktop::StartClickTimer() { tray_.StartTimer(kClickDelayMs); }
void Win32Desktop::StopClickTimer() { tray_.StopTimer(); }

bool Win32Desktop::InstallHook() {
    return StartKeyboardHook(filter_, feedback_, state_.language.Text(kCannotInitializeKeys));
}

void Win32Desktop::RemoveHook() { StopKeyboardHook(); }

void Win32Desktop::EndSequence() {
    StopKeyboardHook();
    // The worker closes the audio device as it ends. One still inside a hung speech
    // library or audio device keeps both: the process ends around it.
    const bool feedbackEnded = feedback_.Stop(kFeedbackStopLimit);
    tray_.Close();
    OleUninitialize();
    if (feedbackEnded) speech_.Unbind(SystemLibraryLoader());
    ExitProcess(0);
}

}  // namespace quillet
