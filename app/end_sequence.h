// Every way out of the program: the normal shutdown after the event loop, and the
// end sequence that every exit runs last.
#pragma once

#include "app/seams.h"

namespace quillet {

// After Exit or a request to close: the hook, the mutex and the window go, then the
// exit cue is heard to its end and `closedText` shown in braille.
void ShutDown(KeyboardHook& hook, Process& process, Shell& shell, Feedback& feedback,
              std::u16string_view closedText);

// Tears every layer down and ends the process with code 0.
void EndSequence(KeyboardHook& hook, Feedback& feedback, Shell& shell, Process& process);

}  // namespace quillet
