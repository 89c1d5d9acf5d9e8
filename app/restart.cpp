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
    desktop.CreateInstanceMutex();
    return false;
}

bool RestartFromMenu(Desktop& desktop, const AppState& state) {
    StepAside(desktop);
    desktop.SoundRestartCueAndWait();
    const bool launched =
        state.settings.runAsAdmin != 0
            ? LaunchElevated(desktop, state)
            // The desktop shell starts the new instance unelevated, even from an elevated one.
            : desktop.Launch(u"explorer.exe", u"\"" + state.executablePath + u"\"",
                             FolderOfPath(state.executablePath), u"");
    if (launched) return true;
    desktop.CreateInstanceMutex();
    desktop.AddTrayIcon();
    return false;
}

}  // namespace quillet
