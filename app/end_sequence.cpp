#include "app/end_sequence.h"

namespace quillet {

void ShutDown(KeyboardHook& hook, Process& process, Shell& shell, Feedback& feedback,
              std::u16string_view closedText) {
    hook.StopKeyboardHook();
    process.CloseInstanceMutex();
    shell.CloseMainWindow();
    // The braille text goes within the cue's wait, before the worker ends.
    feedback.SoundLastCueAndWait(Cue::Exit, closedText);
}

// The hook is still in after a restart, which keeps guarding while its cue plays.
void EndSequence(KeyboardHook& hook, Feedback& feedback, Shell& shell, Process& process) {
    hook.StopKeyboardHook();
    const bool feedbackEnded = feedback.StopFeedback();
    shell.CloseMainWindow();
    process.EndLayers();
    // A worker left behind in a hung speech library may still be inside it.
    if (feedbackEnded) feedback.UnbindSpeech();
    process.EndProcess();
}

}  // namespace quillet
