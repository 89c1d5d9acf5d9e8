// Where the feedback worker's requests end: the speech library and the sound layer.
#pragma once

#include <objbase.h>

#include "app/feedback_worker.h"
#include "sound/sound_layer.h"
#include "speech/speech_binding.h"

namespace quillet {

class FeedbackOutput final : public FeedbackSink {
  public:
    explicit FeedbackOutput(const SpeechBinding& speech) : speech_(speech) {}

    // A speech library may talk to its reader through COM on the calling thread.
    void BeginThread() override {
        comReady_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    }
    void EndThread() override {
        if (comReady_) CoUninitialize();
    }

    void Announce(std::u16string_view text) override { speech_.Announce(text); }
    void SoundIgnoreModeCue(int32_t mode) override { quillet::SoundIgnoreModeCue(mode); }
    void SoundNextKeyConsumedCue() override { SoundCue(Cue::NextKeyConsumed); }

  private:
    const SpeechBinding& speech_;
    bool comReady_ = false;
};

}  // namespace quillet
