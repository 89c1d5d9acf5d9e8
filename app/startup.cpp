#include "app/startup.h"

#include "app/command_line.h"
#include "app/restart.h"
#include "runtime/ignore_case.h"
#include "runtime/path.h"
#include "runtime/text.h"
#include "speech/speech_binding.h"

namespace quillet {

namespace {

// The filter's spoken texts go in as data: the hook thread must not look anything up.
void PutLanguageInFilter(AppState& state) {
    state.filter.keyNames[GuardedKeyIndex(kVkEscape)] =
        state.language.Text(kEscapeName, kKeyNameContext);
    for (int mode = 0; mode < 3; ++mode) {
        state.filter.ignoreModeTexts[mode] = state.language.Text(kIgnoreModeTexts[mode]);
    }
}

}  // namespace

bool StartUp(const Seams& seams, AppState& state) {
    Process& process = seams.process;
    Feedback& feedback = seams.feedback;
    Shell& shell = seams.shell;
    Dialogs& dialogs = seams.dialogs;

    process.StartLayers();
    state.language = Language(ChooseCatalog(process.PreferredUILanguages(), BuiltInCatalogs()));
    const Language& language = state.language;

    if (!process.CreateInstanceMutex()) {
        dialogs.ShowMessage(kQuilletTitle, language.Text(kAlreadyRunning), MessageBoxError);
        return false;
    }

    state.executablePath = process.ExecutablePath();
    process.SetWorkingDirectory(FolderOfPath(state.executablePath));
    state.parameterText = JoinProgramParameters(process.CommandLine());

    state.settings = SettingsRecord{};
    seams.settingsStore.LoadSettings(state.settings);
    const Elevation elevation = process.QueryElevation();
    if (elevation == Elevation::NotElevated && state.settings.runAsAdmin != 0 &&
        RelaunchElevatedAtStart(process, state)) {
        return false;
    }
    seams.settingsStore.CorrectSettings(state.settings);

    feedback.StartSound();
    const bool silent = EqualIgnoringCase(state.parameterText, kSilentParameter);
    if (!silent) feedback.QueueCue(Cue::Start);

    if (!feedback.BindSpeech()) {
        dialogs.ShowMessage(language.Text(kErrorTitle), language.Text(kCannotLoadComponents),
                            MessageBoxError);
        return false;
    }
    for (int missing : feedback.MissingSpeechExports()) {
        dialogs.ShowMessage(language.Text(kMissingExportTitle),
                            MissingExportMessage(missing, language.Text(kMissingExportText)),
                            MessageBoxError);
    }

    shell.OpenMainWindow();
    shell.AddTrayIcon();
    shell.BuildMenu();

    BuildKeyTables(state.filter);
    PutLanguageInFilter(state);
    state.filter.ignoreMode = IgnoreMode::Off;
    PublishFilterSettings(state);
    PublishPrograms(state);
    if (!seams.hook.StartKeyboardHook()) {
        dialogs.ShowMessage(language.Text(kErrorTitle), language.Text(kCannotInitializeKeys),
                            MessageBoxError);
        return false;
    }
    // Once keys are guarded, and with the start cue only: braille says what it told.
    if (!silent) feedback.ShowBraille(language.Text(kQuilletRunning));

    state.deferredClickPending = 0;
    return true;
}

}  // namespace quillet
