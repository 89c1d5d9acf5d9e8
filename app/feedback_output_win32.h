// What the user hears and reads on Windows: the Feedback seam, its worker and the
// speech library and sound layer the worker drives.
#pragma once

#include "app/feedback_worker.h"
#include "app/seams.h"
#include "speech/speech_binding.h"

namespace quillet {

// What the feedback worker's requests become on Windows: the speech library and the
// sound layer, both used on the worker's thread only.
class Win32FeedbackOutput final : public FeedbackOutput {
  public:
    explicit Win32FeedbackOutput(const SpeechBinding& speech) : speech_(speech) {}

    void BeginThread() override;
    void EndThread() override;
    void Speak(std::u16string_view text) override;
    void ShowBraille(std::u16string_view text) override;
    void PlayCue(Cue cue) override;
    void PlayCueAndWait(Cue cue) override;
    void SoundSlotHousekeeping() override;
    int64_t Idle(uint32_t nowMs) override;
    int SpeechEngine() override;

  private:
    const SpeechBinding& speech_;
    bool comReady_ = false;
};

class Win32Feedback final : public Feedback {
  public:
    void StartSound() override;
    void QueueCue(Cue cue) override;
    void ShowBraille(std::u16string_view text) override;
    void SoundLastCueAndWait(Cue cue, std::u16string_view braille) override;
    void SoundSlotHousekeeping() override;
    bool BindSpeech() override;
    int SpeechEngine() override;
    std::vector<int> MissingSpeechExports() override;
    bool StopFeedback() override;
    void UnbindSpeech() override;

    // Where the hook's speech and cues go, off the hook thread.
    FeedbackWorker& Worker() { return worker_; }

  private:
    SpeechBinding speech_;
    Win32FeedbackOutput output_{speech_};
    FeedbackWorker worker_{output_, true};
};

}  // namespace quillet
