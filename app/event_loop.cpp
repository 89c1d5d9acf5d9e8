#include "app/event_loop.h"

#include "app/end_sequence.h"
#include "app/restart.h"
#include "runtime/text.h"

namespace quillet {

namespace {
uint32_t SinglePressKeyOf(int32_t id) { return SinglePressKeyBit(SinglePressKeyNumber(id)); }
}  // namespace

std::u16string TimeoutPrompt(int32_t currentTimeout, const Language& language) {
    return language.Text(
        u"How long should Quillet wait for the second keypress (in "
        u"milliseconds, minimum 50 MS)? Currently: %d, default: 300 MS. Leave "
        u"empty For no changes.",
        {}, IntegerText(currentTimeout));
}

std::optional<int32_t> ParseTimeoutAnswer(std::u16string_view answer) {
    if (answer.empty()) return std::nullopt;
    for (char16_t c : answer) {
        if (c != u'-' && c != u'.' && (c < u'0' || c > u'9')) return std::nullopt;
    }
    // An optional minus, then the digits up to the first other character.
    size_t i = answer[0] == u'-' ? 1 : 0;
    const bool negative = i == 1;
    int64_t number = 0;
    for (; i < answer.size() && answer[i] >= u'0' && answer[i] <= u'9'; ++i) {
        number = number * 10 + (answer[i] - u'0');
        if (number > INT32_MAX + int64_t{1}) return std::nullopt;  // does not fit 32 bits
    }
    if (negative) number = -number;
    if (number < 0 || number > INT32_MAX) return std::nullopt;
    return number < kMinDoublePressTimeout ? kMinDoublePressTimeout : static_cast<int32_t>(number);
}

void EventLoop::OnTrayClick(TrayButton button) {
    Take({button == TrayButton::Left ? Call::LeftClick : Call::RightClick});
}
void EventLoop::OnMenuCommand(int32_t id) { Take({Call::Command, id}); }
void EventLoop::OnTimer() { Take({Call::Timer}); }
void EventLoop::OnClose() { Take({Call::Close}); }

// Not queued: the menu or dialog being answered is dropped unanswered, so nothing new
// is saved, and the end plays no cue.
void EventLoop::OnExitRequest() {
    waiting_.clear();
    end = LoopEnd::Ended;
    EndSequence(hook_, feedback_, shell_, process_);
}

// Nothing is answered inside another answer: a dialog or the menu keeps the thread's
// messages flowing, and what they bring waits its turn.
void EventLoop::Take(Call call) {
    waiting_.push_back(call);
    if (answering_) return;
    answering_ = true;
    while (!waiting_.empty() && !end) {
        const Call next = waiting_.front();
        waiting_.pop_front();
        Answer(next);
    }
    answering_ = false;
}

void EventLoop::Answer(Call call) {
    switch (call.kind) {
        case Call::LeftClick:
            // Wait a moment so a burst of clicks opens the menu once.
            if (state_.deferredClickPending) break;
            shell_.StartClickTimer();
            state_.deferredClickPending = 1;
            break;
        case Call::Timer:
            shell_.StopClickTimer();
            state_.deferredClickPending = 0;
            ShowTrayMenu();
            break;
        case Call::RightClick:
            ShowTrayMenu();
            break;
        case Call::Command:
            switch (call.id) {
                case kMenuExcludeEscape:
                    ToggleExcludeEscape();
                    break;
                case kMenuTimeout:
                    AskForTimeout();
                    break;
                case kMenuIgnoreOff:
                case kMenuIgnoreNextKey:
                case kMenuIgnoreAlways:
                    SetIgnoreMode(call.id - kMenuIgnoreOff);
                    break;
                case kMenuRunAsAdmin:
                    if (ToggleRunAsAdmin()) end = LoopEnd::Restarted;
                    break;
                case kMenuLetKeysThrough:
                    ToggleProgramInFront();
                    break;
                case kMenuStartWithWindows:
                    ToggleStartWithWindows();
                    break;
                case kMenuRecentKeys:
                    ShowRecentKeys();
                    break;
                case kMenuExit:
                    end = LoopEnd::Exit;
                    break;
                default:
                    if (call.id >= kMenuSinglePressF1 && call.id <= kMenuSinglePressF12)
                        ToggleSinglePress(call.id);
                    break;
            }
            break;
        case Call::Close:
            end = LoopEnd::Exit;
            break;
    }
}

void EventLoop::ToggleExcludeEscape() {
    state_.settings.exclude_escape = state_.settings.exclude_escape == 0 ? 1 : 0;
    PublishFilterSettings(state_);
    if (SaveSettings()) {
        const bool on = state_.settings.exclude_escape != 0;
        const Language& language = state_.language;
        Confirm(on ? Cue::ExcludeEscapeOn : Cue::ExcludeEscapeOff,
                language.Text(kKeyPressTexts[on], {}, language.Text(kEscapeName, kKeyNameContext)));
    }
}

void EventLoop::Confirm(Cue cue, std::u16string_view braille) {
    feedback_.QueueCue(cue);
    feedback_.ShowBraille(braille);
}

// Sounds as Exclude Escape does for the key's new state.
void EventLoop::ToggleSinglePress(int32_t id) {
    const uint32_t key = SinglePressKeyOf(id);
    state_.settings.singlePressKeys ^= key;
    PublishFilterSettings(state_);
    if (SaveSettings()) {
        const bool on = (state_.settings.singlePressKeys & key) != 0;
        Confirm(on ? Cue::SinglePressOn : Cue::SinglePressOff,
                state_.language.Text(kKeyPressTexts[on], {},
                                     kSinglePressKeyNames[SinglePressKeyNumber(id) - 1]));
    }
}

void EventLoop::AskForTimeout() {
    const Language& language = state_.language;
    const std::u16string answer = dialogs_.AskText(
        language.Text(u"Timeout"), TimeoutPrompt(state_.settings.doublePressTimeout, language));
    const std::optional<int32_t> timeout = ParseTimeoutAnswer(answer);
    if (!timeout) return;
    state_.settings.doublePressTimeout = *timeout;
    PublishFilterSettings(state_);
    dialogs_.ShowMessage(
        language.Text(u"Changed"),
        language.Text(u"The new double press timeout is %d MS", {}, IntegerText(*timeout)),
        MessageBoxInformation);
    SaveSettings();
}

void EventLoop::SetIgnoreMode(int32_t mode) {
    state_.filter.ignoreMode = static_cast<IgnoreMode>(mode);
    // Shown as the hot key says it, and never spoken from the menu.
    Confirm(IgnoreModeCue(mode), state_.language.Text(kIgnoreModeTexts[mode]));
}

// True when a new instance took over and this one must end.
bool EventLoop::ToggleRunAsAdmin() {
    // The lowest bit flips: 0 and 1 swap, and a hand-written 7 becomes 6, still on.
    state_.settings.runAsAdmin = static_cast<uint8_t>(state_.settings.runAsAdmin ^ 1);
    const Language& language = state_.language;
    if (SaveSettings()) {
        const bool on = state_.settings.runAsAdmin != 0;
        Confirm(on ? Cue::RunAsAdminOn : Cue::RunAsAdminOff, language.Text(kRunAsAdminTexts[on]));
    }
    if (dialogs_.ShowMessage(language.Text(u"Restart required."),
                             language.Text(u"Should Quillet restart right now?"),
                             MessageBoxYesNo) != AnswerYes) {
        return false;
    }
    return RestartFromMenu(process_, shell_, feedback_, state_);
}

// The program named when the menu was shown goes into the list or out of it; the
// cue tells which. A full list takes no more, nor one whose file would grow too
// large to be read at the next start.
void EventLoop::ToggleProgramInFront() {
    if (programInFront_.empty()) return;
    ProgramList programs(state_.settings.exemptPrograms);
    const bool changed = programs.Remove(programInFront_) ||
                         (programs.Add(programInFront_) &&
                          ProgramsThatFit(programs.Names()) == programs.Names().size());
    const bool listed = changed && programs.Contains(programInFront_);
    if (changed) {
        state_.settings.exemptPrograms = programs.Names();
        PublishPrograms(state_);
        if (!SaveSettings()) return;
    }
    Confirm(listed ? Cue::LetKeysThroughOn : Cue::LetKeysThroughOff,
            state_.language.Text(kLetKeysThroughTexts[listed], {}, programInFront_));
}

// The cue tells what the Run value says afterwards, also when it could not be changed.
void EventLoop::ToggleStartWithWindows() {
    const std::u16string& exe = state_.executablePath;
    SetRunAtLogon(runAtLogon_, exe, !IsRunAtLogonOn(runAtLogon_, exe));
    const bool on = IsRunAtLogonOn(runAtLogon_, exe);
    Confirm(on ? Cue::StartWithWindowsOn : Cue::StartWithWindowsOff,
            state_.language.Text(kStartWithWindowsTexts[on]));
}

// The list in the user's language; the report for a helper in English, with the facts
// as they are now.
void EventLoop::ShowRecentKeys() {
    const Language& language = state_.language;
    const SettingsRecord& settings = state_.settings;
    const std::u16string list =
        RecentKeysList(state_.filter.decisions.Read(), state_.filter.programNames,
                       process_.ReadListClock(), settings.doublePressTimeout, language);
    const Elevation elevation = process_.QueryElevation();
    const std::u16string windows = process_.WindowsVersion();
    const std::u16string speech = SpeechRouteName(feedback_.SpeechEngine());
    const ReportFacts facts{
        kQuilletVersion,
        windows,
        speech,
        language.Tag(),
        settings.doublePressTimeout,
        static_cast<int32_t>(state_.filter.ignoreMode.load()),
        settings.exclude_escape != 0,
        settings.singlePressKeys,
        settings.exemptPrograms.size(),
        settings.runAsAdmin != 0,
        elevation == Elevation::Unknown ? -1 : elevation == Elevation::Elevated};
    dialogs_.ShowRecentKeys({language.Text(kRecentKeysTitle, kRecentKeysContext), list,
                             RecentKeysReport(facts, list),
                             language.Text(kCopyLabel, kRecentKeysContext),
                             language.Text(kCloseLabel, kRecentKeysContext)});
}

// A file that cannot be written is told instead of the setting's cue; the setting
// stays as chosen for this run.
bool EventLoop::SaveSettings() {
    if (settingsStore_.SaveSettings(state_.settings)) return true;
    const Language& language = state_.language;
    dialogs_.ShowMessage(
        language.Text(kErrorTitle),
        language.Text(u"Could not save the settings to %s.", {}, settingsStore_.FilePath()),
        MessageBoxError);
    return false;
}

// Shows the popup menu with its marks refreshed from the settings and the ignore mode,
// and the program in front named.
void EventLoop::ShowTrayMenu() {
    shell_.SetMenuItemChecked(kMenuExcludeEscape, state_.settings.exclude_escape != 0);
    shell_.SetMenuItemChecked(kMenuRunAsAdmin, state_.settings.runAsAdmin != 0);
    for (int32_t id = kMenuIgnoreOff; id <= kMenuIgnoreAlways; ++id) {
        const bool current =
            id == static_cast<int32_t>(state_.filter.ignoreMode.load()) + kMenuIgnoreOff;
        shell_.SetMenuItemChecked(id, current);
        shell_.SetMenuItemGreyed(id, current);
    }
    const ProgramDescription program = programItem_.DescribeProgramInFront();
    programInFront_ = program.fileName;
    programItem_.SetMenuItemText(
        kMenuLetKeysThrough,
        LetKeysThroughLabel(program.fileName.empty()
                                ? std::u16string()
                                : ProgramDisplayName(program.description, program.fileName),
                            state_.language));
    shell_.SetMenuItemChecked(
        kMenuLetKeysThrough,
        !programInFront_.empty() && state_.programs.Current()->Contains(programInFront_));
    shell_.SetMenuItemGreyed(kMenuLetKeysThrough, programInFront_.empty());
    shell_.SetMenuItemChecked(kMenuStartWithWindows,
                              IsRunAtLogonOn(runAtLogon_, state_.executablePath));
    for (int32_t id = kMenuSinglePressF1; id <= kMenuSinglePressF12; ++id) {
        shell_.SetMenuItemChecked(id,
                                  (state_.settings.singlePressKeys & SinglePressKeyOf(id)) != 0);
    }
    shell_.ShowMenu();
    // A click on the icon while the menu was open closed it, or was the second
    // notification of one Enter: the menu never opens again by itself.
    std::erase_if(waiting_, [](const Call& c) {
        return c.kind == Call::LeftClick || c.kind == Call::RightClick || c.kind == Call::Timer;
    });
    if (state_.deferredClickPending) {
        shell_.StopClickTimer();
        state_.deferredClickPending = 0;
    }
}

LoopEnd RunEventLoop(const Seams& seams, AppState& state) {
    EventLoop loop(seams, state);
    seams.shell.Listen(&loop);
    while (!loop.end) {
        seams.shell.WaitMessage();
        seams.feedback.SoundSlotHousekeeping();
    }
    seams.shell.Listen(nullptr);
    return *loop.end;
}

}  // namespace quillet
