#include "app/event_loop.h"

#include "app/restart.h"
#include "runtime/text.h"

namespace quillet {

namespace {

void ToggleEscapeExemption(Desktop& desktop, AppState& state) {
    state.settings.exclude_escape = state.settings.exclude_escape == 0 ? 1 : 0;
    PublishFilterSettings(state);
    desktop.SaveSettings(state.settings);
    desktop.SoundEscapeExemptionCue(state.settings.exclude_escape != 0);
}

void AskForTimeout(Desktop& desktop, AppState& state) {
    const Language& language = state.language;
    const std::u16string answer = desktop.AskText(
        language.Text(u"Timeout"), TimeoutPrompt(state.settings.doublePressTimeout, language));
    const std::optional<int32_t> timeout = ParseTimeoutAnswer(answer);
    if (!timeout) return;
    state.settings.doublePressTimeout = *timeout;
    PublishFilterSettings(state);
    desktop.ShowMessage(
        language.Text(u"Changed"),
        language.Text(u"The new double press timeout is %d MS", {}, DecimalText(*timeout)),
        RequesterInformation);
    desktop.SaveSettings(state.settings);
}

void SetIgnoreMode(Desktop& desktop, AppState& state, int32_t mode) {
    state.filter.ignoreMode = mode;
    desktop.SoundIgnoreModeCue(mode);
}

// True when a new instance took over and this one must end.
bool ToggleRunAsAdmin(Desktop& desktop, AppState& state) {
    // The lowest bit flips: 0 and 1 swap, and a hand-written 7 becomes 6, still on.
    state.settings.runAsAdmin = static_cast<uint8_t>(state.settings.runAsAdmin ^ 1);
    desktop.SaveSettings(state.settings);
    desktop.SoundRunAsAdminCue(state.settings.runAsAdmin != 0);
    const Language& language = state.language;
    if (desktop.ShowMessage(language.Text(u"Restart required."),
                            language.Text(u"Should Quillet restart right now?"),
                            RequesterYesNo) != AnswerYes) {
        return false;
    }
    return RestartFromMenu(desktop, state);
}

}  // namespace

std::u16string TimeoutPrompt(int32_t currentTimeout, const Language& language) {
    return language.Text(
        u"How long should Quillet wait for the second keypress (in "
        u"milliseconds, minimum 50 MS)? Currently: %d, default: 300 MS. Leave "
        u"empty For no changes.",
        {}, DecimalText(currentTimeout));
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
            desktop_.StartClickTimer();
            state_.deferredClickPending = 1;
            break;
        case Call::Timer:
            desktop_.StopClickTimer();
            state_.deferredClickPending = 0;
            ShowTrayMenu();
            break;
        case Call::RightClick:
            ShowTrayMenu();
            break;
        case Call::Command:
            switch (call.id) {
                case kMenuExcludeEscape:
                    ToggleEscapeExemption(desktop_, state_);
                    break;
                case kMenuTimeout:
                    AskForTimeout(desktop_, state_);
                    break;
                case kMenuIgnoreOff:
                case kMenuIgnoreNextKey:
                case kMenuIgnoreAlways:
                    SetIgnoreMode(desktop_, state_, call.id - kMenuIgnoreOff);
                    break;
                case kMenuRunAsAdmin:
                    if (ToggleRunAsAdmin(desktop_, state_)) end = LoopEnd::Restarted;
                    break;
                case kMenuExit:
                    end = LoopEnd::Exit;
                    break;
                default:
                    break;
            }
            break;
        case Call::Close:
            end = LoopEnd::Exit;
            break;
    }
}

// Shows the popup menu with its marks refreshed from the settings and the ignore mode.
void EventLoop::ShowTrayMenu() {
    desktop_.SetMenuItemChecked(kMenuExcludeEscape, state_.settings.exclude_escape != 0);
    desktop_.SetMenuItemChecked(kMenuRunAsAdmin, state_.settings.runAsAdmin != 0);
    for (int32_t id = kMenuIgnoreOff; id <= kMenuIgnoreAlways; ++id) {
        const bool current = id == state_.filter.ignoreMode + kMenuIgnoreOff;
        desktop_.SetMenuItemChecked(id, current);
        desktop_.SetMenuItemGreyed(id, current);
    }
    desktop_.ShowMenu();
    // A click on the icon while the menu was open closed it, or was the second
    // notification of one Enter: the menu never opens again by itself.
    std::erase_if(waiting_, [](const Call& c) {
        return c.kind == Call::LeftClick || c.kind == Call::RightClick || c.kind == Call::Timer;
    });
    if (state_.deferredClickPending) {
        desktop_.StopClickTimer();
        state_.deferredClickPending = 0;
    }
}

LoopEnd RunEventLoop(Desktop& desktop, AppState& state) {
    EventLoop loop(desktop, state);
    desktop.Listen(&loop);
    while (!loop.end) {
        desktop.WaitMessage();
        desktop.SoundSlotHousekeeping();
    }
    desktop.Listen(nullptr);
    return *loop.end;
}

}  // namespace quillet
