#include "app/seams_win32.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include "filter/keyboard_hook.h"
#include "lang/language.h"
#include "runtime/module_path.h"
#include "runtime/text.h"
#include "sound/sound_layer.h"
#include "speech/library_loader.h"
#include "ui/dialogs.h"
#include "ui/tray_menu.h"

namespace quillet {

namespace {
constexpr UINT kClickDelayMs = 20;
// How long the end waits for the worker to close the device and end; a hung reader or
// audio driver is left behind.
constexpr std::chrono::milliseconds kFeedbackStopLimit{500};
constexpr std::chrono::milliseconds kEngineAnswerLimit{250};
}  // namespace

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

// The settings file is named by its full path, so it is the one beside the
// executable even when the working directory could not be changed.
Win32SettingsStore::Win32SettingsStore() : file_(PathBesideExecutable(kSettingsFileName)) {}

void Win32SettingsStore::LoadSettings(SettingsRecord& settings) { file_.Load(settings); }
void Win32SettingsStore::CorrectSettings(SettingsRecord& settings) { file_.Correct(settings); }
bool Win32SettingsStore::SaveSettings(const SettingsRecord& settings) {
    return file_.Save(settings);
}

// Without the prefix a long path needs, which means nothing to a user.
std::u16string Win32SettingsStore::FilePath() {
    constexpr std::u16string_view kLongPathPrefix = u"\\\\?\\";
    const std::u16string& path = file_.Path();
    return path.starts_with(kLongPathPrefix) ? path.substr(kLongPathPrefix.size()) : path;
}

// A speech library may talk to its reader through COM on the calling thread. A
// multithreaded apartment needs no message pump, which this thread has not, and is
// the one the audio library asks for as well.
void Win32FeedbackOutput::BeginThread() {
    comReady_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    StartSoundLayer();
}
void Win32FeedbackOutput::EndThread() {
    EndSoundLayer();
    if (comReady_) CoUninitialize();
}
void Win32FeedbackOutput::Speak(std::u16string_view text) { speech_.Announce(text); }
void Win32FeedbackOutput::ShowBraille(std::u16string_view text) { speech_.ShowBraille(text); }
void Win32FeedbackOutput::PlayCue(Cue cue) { PlayCueSound(TheSoundLayer(), CueSoundOf(cue)); }
void Win32FeedbackOutput::PlayCueAndWait(Cue cue) {
    PlayCueSoundAndWait(TheSoundLayer(), CueSoundOf(cue));
}
void Win32FeedbackOutput::SoundSlotHousekeeping() {
    quillet::SoundSlotHousekeeping(TheSoundLayer());
}
int64_t Win32FeedbackOutput::Idle(uint32_t nowMs) { return TheSoundLayer().IdleCheck(nowMs); }
int Win32FeedbackOutput::SpeechEngine() { return speech_.Engine(); }

// The worker opens the audio device on its own thread, so start-up goes on to the hook.
void Win32Feedback::StartSound() { worker_.Start(); }
void Win32Feedback::SoundCue(Cue cue) { worker_.QueueCue(cue); }
void Win32Feedback::ShowBraille(std::u16string_view text) { worker_.QueueBraille(text); }
// A hung audio device or speech library holds the worker; the wait ends at the cue's
// own limit all the same.
void Win32Feedback::SoundLastCueAndWait(Cue cue, std::u16string_view braille) {
    worker_.SoundLastCueAndWait(cue, CueWaitLimit(CueSoundOf(cue)), braille);
}
void Win32Feedback::SoundSlotHousekeeping() { worker_.SoundSlotHousekeeping(); }

bool Win32Feedback::BindSpeech() { return speech_.Bind(SystemLibraryLoader()); }
// A screen reader that hangs costs the report its speech route, not the window.
int Win32Feedback::SpeechEngine() { return worker_.AskSpeechEngine(kEngineAnswerLimit); }
std::vector<int> Win32Feedback::MissingSpeechExports() { return speech_.MissingExports(); }

bool Win32Feedback::StopFeedback() { return worker_.Stop(kFeedbackStopLimit); }
void Win32Feedback::UnbindSpeech() { speech_.Unbind(SystemLibraryLoader()); }

int Win32Dialogs::ShowMessage(const std::u16string& title, const std::u16string& text, int style) {
    return ShowMessageBox(title, text, static_cast<uint32_t>(style));
}

void Win32Dialogs::ShowRecentKeys(const RecentKeysTexts& texts) { ShowRecentKeysWindow(texts); }

std::u16string Win32Dialogs::AskText(const std::u16string& title, const std::u16string& prompt) {
    const bool translated = language_.Tag() != "en";
    return ShowInputDialog(title, prompt, u"", language_.Text(u"OK"), translated);
}

Win32Shell::Win32Shell(const Language& language)
    : language_(language), inFront_(GetCurrentProcessId()) {}

// Windows tells of each new foreground window while the thread waits for messages;
// Wine never does, and then the hook and the menu's own look are all there is.
void Win32Shell::OpenMainWindow() {
    tray_.Open(u"quillet");
    WatchForeground(inFront_);
}
void Win32Shell::CloseMainWindow() {
    StopWatchingForeground();
    tray_.Close();
}

void Win32Shell::AddTrayIcon() { tray_.AddIcon(u"Quillet"); }
void Win32Shell::RemoveTrayIcon() { tray_.RemoveIcon(); }

void Win32Shell::BuildMenu() {
    tray_.BuildMenu(TrayMenuEntries([this](const char16_t* context, const char16_t* label) {
        return language_.Text(label, context);
    }));
}

void Win32Shell::SetMenuItemChecked(int32_t menuId, bool on) { tray_.SetItemChecked(menuId, on); }
void Win32Shell::SetMenuItemGreyed(int32_t menuId, bool on) { tray_.SetItemGreyed(menuId, on); }
void Win32Shell::ShowMenu() { tray_.ShowMenu(); }

void Win32Shell::Listen(TrayListener* listener) { tray_.Listen(listener); }
void Win32Shell::WaitMessage() { WaitWindowMessage(); }
void Win32Shell::StartClickTimer() { tray_.StartTimer(kClickDelayMs); }
void Win32Shell::StopClickTimer() { tray_.StopTimer(); }

// Before the menu takes the foreground, the window in front is the user's.
ProgramDescription Win32Shell::DescribeProgramInFront() {
    NoteForegroundWindow(inFront_);
    const WindowHandle last = inFront_.Last();
    return last ? DescribeProgram(last) : ProgramDescription{};
}

void Win32Shell::SetMenuItemText(int32_t menuId, const std::u16string& label) {
    tray_.SetItemText(menuId, label);
}

Win32KeyboardHook::Win32KeyboardHook(AppState& state, FilterFeedback& feedback,
                                     FrontWindowListener& inFront)
    : language_(state.language),
      feedback_(feedback),
      platform_(SystemFilterPlatform(state.programs, inFront, state.filter.programNames)),
      filter_(state.filter, state.filterSettings, *platform_, feedback) {}

bool Win32KeyboardHook::StartKeyboardHook() {
    return quillet::StartKeyboardHook(filter_, feedback_, language_.Text(kCannotInitializeKeys));
}

void Win32KeyboardHook::StopKeyboardHook() { quillet::StopKeyboardHook(); }

}  // namespace quillet
