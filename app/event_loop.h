// The event loop on the main thread and the tray menu's commands.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "app/app_state.h"
#include "app/seams.h"
#include "ui/tray_menu.h"

namespace quillet {

enum class LoopEnd {
    Exit,       // Exit chosen or the window asked to close: shut down normally
    Restarted,  // a new instance was launched: end at once
    Ended,      // the end sequence ran already (only a test's process returns from it)
};

// The program's answers to its window: clicks on the icon, the menu's commands, the
// click timer and a request to close. A call that comes while another is answered
// (from inside the menu, a dialog or a message box) is answered after it, in order.
class EventLoop final : public TrayListener {
  public:
    EventLoop(const Seams& seams, AppState& state)
        : process_(seams.process),
          settingsStore_(seams.settingsStore),
          feedback_(seams.feedback),
          shell_(seams.shell),
          dialogs_(seams.dialogs),
          programItem_(seams.programItem),
          runAtLogon_(seams.runAtLogon),
          hook_(seams.hook),
          state_(state) {}

    void OnTrayClick(TrayButton button) override;
    void OnMenuCommand(int32_t id) override;
    void OnTimer() override;
    void OnClose() override;
    void OnExitRequest() override;

    // Set once the loop is to end; calls still waiting then are not answered.
    std::optional<LoopEnd> end;

  private:
    struct Call {
        enum Kind : uint8_t { LeftClick, RightClick, Command, Timer, Close } kind;
        int32_t id = 0;  // the command's
    };

    void Take(Call call);
    void Answer(Call call);
    // The cue, and what it tells on the braille display alone, for those who cannot
    // hear it; speech users hear the cue as before.
    void Confirm(Cue cue, std::u16string_view braille);
    void ToggleExcludeEscape();
    void ToggleSinglePress(int32_t id);
    void AskForTimeout();
    void SetIgnoreMode(int32_t mode);
    bool ToggleRunAsAdmin();
    void ToggleProgramInFront();
    void ToggleStartWithWindows();
    void ShowRecentKeys();
    // False when the file could not be written; the user has been told.
    bool SaveSettings();
    void ShowTrayMenu();

    Process& process_;
    SettingsStore& settingsStore_;
    Feedback& feedback_;
    Shell& shell_;
    Dialogs& dialogs_;
    ProgramItem& programItem_;
    RunAtLogonValues& runAtLogon_;
    KeyboardHook& hook_;
    AppState& state_;
    std::deque<Call> waiting_;
    bool answering_ = false;
    // Named by the menu when it was last shown; empty when none was known.
    std::u16string programInFront_;
};

// Runs the loop until it ends. Only an exit request takes the keyboard hook out.
LoopEnd RunEventLoop(const Seams& seams, AppState& state);

// The timeout dialog's prompt for the current value.
std::u16string TimeoutPrompt(int32_t currentTimeout, const Language& language);

// The new timeout for an answer of the timeout dialog, or nothing when the
// answer changes nothing (empty, other characters, negative, too large).
std::optional<int32_t> ParseTimeoutAnswer(std::u16string_view answer);

}  // namespace quillet
