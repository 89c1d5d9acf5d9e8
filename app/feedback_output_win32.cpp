#include "app/feedback_output_win32.h"

#include <ole2.h>

#include "sound/cue_sounds.h"
#include "sound/sound_layer.h"
#include "speech/library_loader.h"

namespace quillet {

namespace {
// How long the end waits for the worker to close the device and end; a hung reader or
// audio driver is left behind.
constexpr std::chrono::milliseconds kFeedbackStopLimit{500};
constexpr std::chrono::milliseconds kEngineAnswerLimit{250};
}  // namespace

// A speech library may talk to its reader through COM on the calling thread. A
// multithreaded apartment needs no message pump, which this thread has not, and is
// the one the audio library asks for as well.
void Win32FeedbackOutput::BeginThread() {
    comReady_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    StartSoundLayer();
}
void Win32FeedbackOutput::EndThread() {
    EndSoundLayer();
    if (comReady_) CoUninitialize();
}
void Win32FeedbackOutput::Speak(std::u16string_view text) { speech_.Announce(text); }
void Win32FeedbackOutput::ShowBraille(std::u16string_view text) { speech_.ShowBraille(text); }
void Win32FeedbackOutput::PlayCue(Cue cue) { PlayCueSound(TheSoundPlayer(), CueSoundOf(cue)); }
void Win32FeedbackOutput::PlayCueAndWait(Cue cue) {
    PlayCueSoundAndWait(TheSoundPlayer(), CueSoundOf(cue));
}
void Win32FeedbackOutput::SoundSlotHousekeeping() {
    quillet::SoundSlotHousekeeping(TheSoundPlayer());
}
int64_t Win32FeedbackOutput::Idle(uint32_t nowMs) { return TheSoundPlayer().IdleCheck(nowMs); }
int Win32FeedbackOutput::SpeechEngine() { return speech_.Engine(); }

// The worker opens the audio device on its own thread, so start-up goes on to the hook.
void Win32Feedback::StartSound() { worker_.Start(); }
void Win32Feedback::QueueCue(Cue cue) { worker_.QueueCue(cue); }
void Win32Feedback::ShowBraille(std::u16string_view text) { worker_.QueueBraille(text); }
// A hung audio device or speech library holds the worker; the wait ends at the cue's
// own limit all the same.
void Win32Feedback::SoundLastCueAndWait(Cue cue, std::u16string_view braille) {
    worker_.SoundLastCueAndWait(cue, CueWaitLimit(CueSoundOf(cue)), braille);
}
void Win32Feedback::SoundSlotHousekeeping() { worker_.SoundSlotHousekeeping(); }

bool Win32Feedback::BindSpeech() { return speech_.Bind(SystemLibraryLoader()); }
// A screen reader that hangs costs the report its speech route, not the window.
int Win32Feedback::SpeechEngine() { return worker_.AskSpeechEngine(kEngineAnswerLimit); }
std::vector<int> Win32Feedback::MissingSpeechExports() { return speech_.MissingExports(); }

bool Win32Feedback::StopFeedback() { return worker_.Stop(kFeedbackStopLimit); }
void Win32Feedback::UnbindSpeech() { speech_.Unbind(SystemLibraryLoader()); }

}  // namespace quillet
