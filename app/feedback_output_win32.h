// What the feedback worker's requests become on Windows: the speech library and the
// sound layer, both used on the worker's thread only.
#pragma once

#include <objbase.h>

#include "app/feedback_worker.h"
#include "sound/sound_layer.h"
#include "speech/speech_binding.h"

namespace quillet {

class Win32FeedbackOutput final : public FeedbackOutput {
  public:
    explicit Win32FeedbackOutput(const SpeechBinding& speech) : speech_(speech) {}

    // A speech library may talk to its reader through COM on the calling thread. A
    // multithreaded apartment needs no message pump, which this thread has not, and is
    // the one the audio library asks for as well.
    void BeginThread() override {
        comReady_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        StartSoundLayer();
    }
    void EndThread() override {
        EndSoundLayer();
        if (comReady_) CoUninitialize();
    }

    void Speak(std::u16string_view text) override { speech_.Announce(text); }
    void PlayIgnoreModeCue(int32_t mode) override { SoundIgnoreModeCue(mode); }
    void PlayNextKeyConsumedCue() override { SoundCue(Cue::NextKeyConsumed); }
    void PlayCue(int32_t cue) override { SoundCue(static_cast<Cue>(cue)); }
    void PlayCueAndWait(int32_t cue) override { SoundCueAndWait(static_cast<Cue>(cue)); }
    void SoundSlotHousekeeping() override { quillet::SoundSlotHousekeeping(); }
    int64_t Idle(uint32_t nowMs) override { return SoundIdleCheck(nowMs); }

  private:
    const SpeechBinding& speech_;
    bool comReady_ = false;
};

}  // namespace quillet
