#include "app/restart.h"

#include "runtime/ignore_case.h"
#include "runtime/path.h"

namespace quillet {

namespace {

bool LaunchElevated(Process& process, const AppState& state, std::u16string_view parameters) {
    return process.Launch(state.executablePath, std::u16string(parameters),
                          FolderOfPath(state.executablePath), u"runas");
}

}  // namespace

// Both give up the mutex before the launch, so the new instance's single-instance
// check passes.
bool RelaunchElevatedAtStart(Process& process, const AppState& state) {
    process.CloseInstanceMutex();
    // A start at sign-in stays silent in the elevated instance too.
    const bool silent = EqualIgnoringCase(state.parameterText, kSilentParameter);
    if (LaunchElevated(process, state, silent ? kSilentParameter : u"")) return true;
    // Another start may have taken the mutex meanwhile: one instance guards, not two.
    return !process.CreateInstanceMutex();
}

bool RestartFromMenu(Process& process, Shell& shell, Feedback& feedback, const AppState& state) {
    process.CloseInstanceMutex();
    shell.RemoveTrayIcon();
    // The hook runs on a thread of its own and stays until the process ends: keys are
    // guarded while the cue plays, and however long the audio device takes.
    feedback.SoundLastCueAndWait(Cue::Restart, {});
    const bool launched =
        state.settings.runAsAdmin != 0
            ? LaunchElevated(process, state, u"")
            // The desktop shell starts the new instance unelevated, even from an elevated one.
            : process.Launch(u"explorer.exe", u"\"" + state.executablePath + u"\"",
                             FolderOfPath(state.executablePath), u"");
    if (launched) return true;
    if (!process.CreateInstanceMutex()) return true;  // another instance took over meanwhile
    shell.AddTrayIcon();
    return false;
}

}  // namespace quillet
