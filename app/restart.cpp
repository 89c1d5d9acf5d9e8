#include "app/restart.h"

#include "runtime/path.h"

namespace quillet {

namespace {

// The new instance's single-instance check must pass, so the mutex goes first.
void StepAside(Desktop& desktop) {
    desktop.CloseInstanceMutex();
    if (desktop.HasTrayIcon()) desktop.RemoveTrayIcon();
}

bool LaunchElevated(Desktop& desktop, const AppState& state) {
    return desktop.Launch(state.executablePath, u"", FolderOfPath(state.executablePath), u"runas");
}

}  // namespace

bool RelaunchElevatedAtStart(Desktop& desktop, const AppState& state) {
    StepAside(desktop);
    if (LaunchElevated(desktop, state)) return true;
    // Another start may have taken the mutex meanwhile: one instance guards, not two.
    return !desktop.CreateInstanceMutex();
}

bool RestartFromMenu(Desktop& desktop, const AppState& state) {
    StepAside(desktop);
    // The hook runs on a thread of its own and stays until the process ends: keys are
    // guarded while the cue plays, and however long the audio device takes.
    desktop.SoundRestartCueAndWait();
    const bool launched =
        state.settings.runAsAdmin != 0
            ? LaunchElevated(desktop, state)
            // The desktop shell starts the new instance unelevated, even from an elevated one.
            : desktop.Launch(u"explorer.exe", u"\"" + state.executablePath + u"\"",
                             FolderOfPath(state.executablePath), u"");
    if (launched) return true;
    if (!desktop.CreateInstanceMutex()) return true;  // another instance took over meanwhile
    desktop.AddTrayIcon();
    return false;
}

}  // namespace quillet
