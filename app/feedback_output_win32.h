// Where the feedback worker's requests end: the speech library and the sound layer,
// both used on the worker's thread only.
#pragma once

#include <objbase.h>

#include "app/feedback_worker.h"
#include "sound/sound_layer.h"
#include "speech/speech_binding.h"

namespace quillet {

class FeedbackOutput final : public FeedbackSink {
  public:
    explicit FeedbackOutput(const SpeechBinding& speech) : speech_(speech) {}

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

    void Announce(std::u16string_view text) override { speech_.Announce(text); }
    void SoundIgnoreModeCue(int32_t mode) override { quillet::SoundIgnoreModeCue(mode); }
    void SoundNextKeyConsumedCue() override { quillet::SoundCue(Cue::NextKeyConsumed); }
    void SoundCue(int32_t cue) override { quillet::SoundCue(static_cast<Cue>(cue)); }
    void SoundCueAndWait(int32_t cue) override { quillet::SoundCueAndWait(static_cast<Cue>(cue)); }
    void SoundSlotHousekeeping() override { quillet::SoundSlotHousekeeping(); }
    int64_t Idle(uint32_t nowMs) override { return SoundIdleCheck(nowMs); }

  private:
    const SpeechBinding& speech_;
    bool comReady_ = false;
};

}  // namespace quillet
