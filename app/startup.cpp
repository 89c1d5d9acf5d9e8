#include "app/startup.h"

#include "app/command_line.h"
#include "app/event_loop.h"
#include "app/restart.h"
#include "runtime/path.h"
#include "runtime/text.h"
#include "speech/speech_binding.h"

namespace quillet {

namespace {

int End(Desktop& desktop) {
    desktop.EndSequence();
    return 0;
}

// The filter's spoken texts go in as data: the hook thread must not look anything up.
void PutLanguageInFilter(AppState& state) {
    state.filter.keyNames[GuardedKeyIndex(kVkEscape)] =
        state.language.Text(kEscapeName, kKeyNameContext);
    for (int mode = 0; mode < 3; ++mode) {
        state.filter.ignoreModeTexts[mode] = state.language.Text(kIgnoreModeTexts[mode]);
    }
}

}  // namespace

int RunQuillet(Desktop& desktop, AppState& state) {
    desktop.StartLayers();
    state.language = Language(ChooseCatalog(desktop.PreferredUILanguages(), BuiltInCatalogs()));
    const Language& language = state.language;

    if (!desktop.CreateInstanceMutex()) {
        desktop.ShowMessage(kQuilletTitle, language.Text(kAlreadyRunning), RequesterError);
        return End(desktop);
    }

    state.executablePath = desktop.ExecutablePath();
    desktop.SetWorkingDirectory(FolderOfPath(state.executablePath));
    state.parameterText = JoinProgramParameters(desktop.CommandLine());

    state.settings = SettingsRecord{};
    desktop.LoadSettings(state.settings);
    const Elevation elevation = desktop.QueryElevation();
    if (elevation == Elevation::NotElevated && state.settings.runAsAdmin != 0 &&
        RelaunchElevatedAtStart(desktop, state)) {
        return End(desktop);
    }
    desktop.CorrectSettings(state.settings);

    desktop.StartSound();
    if (desktop.LowerCase(state.parameterText) != u"/silent") desktop.SoundStartCue();

    if (!desktop.BindSpeech()) {
        desktop.ShowMessage(language.Text(kErrorTitle), language.Text(kCannotLoadComponents),
                            RequesterError);
        return End(desktop);
    }
    for (int n = 0; n < desktop.MissingSpeechExportCount(); ++n) {
        desktop.ShowMessage(
            language.Text(kMissingExportTitle),
            MissingExportMessage(desktop.MissingSpeechExport(n), language.Text(kMissingExportText)),
            RequesterError);
    }

    desktop.OpenMainWindow();
    desktop.AddTrayIcon();
    desktop.BuildMenu();

    BuildKeyTables(state.filter);
    PutLanguageInFilter(state);
    state.filter.ignoreMode = kIgnoreOff;
    PublishFilterSettings(state);
    if (!desktop.InstallHook()) {
        desktop.ShowMessage(language.Text(kErrorTitle), language.Text(kCannotInitializeKeys),
                            RequesterError);
        return End(desktop);
    }

    state.deferredClickPending = 0;
    if (RunEventLoop(desktop, state) == LoopEnd::Restarted) return End(desktop);

    desktop.RemoveHook();
    desktop.CloseInstanceMutex();
    desktop.CloseMainWindow();
    desktop.SoundExitCueAndWait();
    return End(desktop);
}

}  // namespace quillet
