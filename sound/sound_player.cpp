#include "sound/sound_player.h"

#include <cstring>
#include <limits>
#include <new>

#include "sound/pause.h"

namespace quillet {

SoundPlayer::~SoundPlayer() { End(); }

bool SoundPlayer::Start(const SoundPlayerOptions& options) {
    if (attempted_) return initialised_;
    attempted_ = true;
    options_ = options;

    ma_engine_config config = ma_engine_config_init();
    config.noDevice = options.noDevice ? MA_TRUE : MA_FALSE;
    config.channels = options.channels;
    config.sampleRate = options.sampleRate;
    if (options.nullBackend && !options.noDevice) {
        ma_backend backend = ma_backend_null;
        if (ma_context_init(&backend, 1, nullptr, &context_) != MA_SUCCESS) return false;
        ownsContext_ = true;
        config.pContext = &context_;
    }
    bool defaults = !options.noDevice && !options.nullBackend && options.channels == 0 &&
                    options.sampleRate == 0;
    if (defaults) {
        // Every real backend, but not miniaudio's null device: without an audio device
        // the program runs silently and a waiting cue must not wait for a device that
        // only pretends to play.
        ma_backend enabled[MA_BACKEND_COUNT];
        size_t count = 0;
        if (ma_get_enabled_backends(enabled, sizeof enabled / sizeof enabled[0], &count) !=
            MA_SUCCESS) {
            return false;
        }
        size_t real = 0;
        for (size_t i = 0; i < count; ++i) {
            if (enabled[i] != ma_backend_null) enabled[real++] = enabled[i];
        }
        if (real == 0 || ma_context_init(enabled, static_cast<ma_uint32>(real), nullptr,
                                         &context_) != MA_SUCCESS) {
            return false;
        }
        ownsContext_ = true;
        config.pContext = &context_;
    }
    if (ma_engine_init(&config, &engine_) != MA_SUCCESS) {
        if (ownsContext_) ma_context_uninit(&context_);
        ownsContext_ = false;
        return false;
    }

    voices_.reset(new (std::nothrow) Voice[kVoiceCount]());
    if (!voices_) {
        ma_engine_uninit(&engine_);
        if (ownsContext_) ma_context_uninit(&context_);
        ownsContext_ = false;
        return false;
    }

    // No audio is processed until the first play.
    device_ = ma_engine_get_device(&engine_);
    if (device_ != nullptr) StopDevice(device_);
    initialised_ = true;
    return true;
}

void SoundPlayer::RegisterOggVorbisDecoder() { RegisterDecoder(&OpenOggVorbisFromMemory); }

void SoundPlayer::RegisterDecoder(OpenFromMemoryFn open) {
    for (OpenFromMemoryFn known : decoders_) {
        if (known == open) return;
    }
    decoders_.push_back(open);
}

bool SoundPlayer::LoadFromMemory(int32_t number, const void* data, size_t length) {
    if (!initialised_ || data == nullptr || number < 0) return false;
    std::unique_ptr<DecodedStream> stream;
    for (OpenFromMemoryFn open : decoders_) {
        stream = open(data, length, 0);
        if (stream) break;
    }
    if (!stream) return false;

    int channels = stream->Channels();
    int64_t frames = stream->TotalFrames();
    int64_t bytes = frames * channels * 2;
    if (channels <= 0 || channels > 0xFFFF || frames <= 0 ||
        bytes > std::numeric_limits<int32_t>::max()) {
        return false;
    }
    std::unique_ptr<uint8_t[]> pcm(new (std::nothrow) uint8_t[bytes]);
    if (!pcm) return false;
    int64_t got = stream->Read(pcm.get(), bytes, 0);
    // A stream that ends early must not leave stale memory to be played.
    if (got < bytes) std::memset(pcm.get() + got, 0, static_cast<size_t>(bytes - got));
    int rate = stream->SampleRate();
    stream.reset();
    if (rate <= 0) return false;

    Install(number, std::move(pcm), frames, channels, rate);
    return true;
}

bool SoundPlayer::LoadFromPcm(int32_t number, const int16_t* pcm, int32_t frames, int channels,
                              int rate) {
    if (!initialised_ || pcm == nullptr || number < 0 || frames <= 0 || channels <= 0 ||
        channels > 0xFFFF || rate <= 0) {
        return false;
    }
    int64_t bytes = int64_t{frames} * channels * 2;
    if (bytes > std::numeric_limits<int32_t>::max()) return false;
    std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[bytes]);
    if (!copy) return false;
    std::memcpy(copy.get(), pcm, static_cast<size_t>(bytes));
    Install(number, std::move(copy), frames, channels, rate);
    return true;
}

// Only a complete load replaces what is under the number: the old sound's voices stop and
// its PCM goes only now.
void SoundPlayer::Install(int32_t number, std::unique_ptr<uint8_t[]> pcm, int64_t frames,
                          int channels, int rate) {
    Free(number);
    SoundRecord& r = slots_.Entry(number);
    r.pcmBytes = static_cast<int32_t>(frames * channels * 2);
    r.channels = static_cast<uint16_t>(channels);
    r.bitsPerSample = 16;
    r.pcm = std::move(pcm);
    r.nativeFrequency = rate;
    r.frequency = rate;
    r.defaultVolume = 100.0;
    r.pan = 0;
    r.startFrame = 0;
    r.streamDecoder.reset();
    r.bufferConfig =
        ma_audio_buffer_config_init(ma_format_s16, static_cast<ma_uint32>(channels),
                                    static_cast<ma_uint64>(frames), r.pcm.get(), nullptr);
    r.bufferConfig.sampleRate = static_cast<ma_uint32>(rate);
}

const SoundRecord* SoundPlayer::Record(int32_t number) const {
    return const_cast<SoundSlots&>(slots_).Find(number);
}

bool SoundPlayer::Exists(int32_t number) const { return initialised_ && Record(number); }

int32_t SoundPlayer::GetFrequency(int32_t number) const {
    const SoundRecord* r = initialised_ ? Record(number) : nullptr;
    return r ? r->frequency : 0;
}

void SoundPlayer::SetFrequency(int32_t number, int32_t frequency) {
    if (!initialised_) return;
    if (frequency < 0) frequency = 0;
    SoundRecord* r = slots_.Find(number);
    if (!r) return;
    r->frequency = frequency;
    float pitch = static_cast<float>(static_cast<double>(frequency) / r->nativeFrequency);
    for (int i = 0; i < kVoiceCount; ++i) {
        Voice& v = voices_[i];
        if (v.state.load() == kInUse && v.soundNumber == number) {
            ma_sound_set_pitch(&v.sound, pitch);
        }
    }
}

void SoundPlayer::OnVoiceEnd(void* userData, ma_sound* /*sound*/) {
    // Audio thread: only mark the voice; the main thread releases it when reusing it.
    auto* v = static_cast<Voice*>(userData);
    uint8_t expected = kInUse;
    v->state.compare_exchange_strong(expected, kEnded);
}

void SoundPlayer::ReleaseVoiceSound(Voice& v) {
    ma_sound_uninit(&v.sound);
    ma_audio_buffer_uninit(&v.buffer);
}

bool SoundPlayer::StartDevice(ma_device* device) {
    if (options_.deviceGate) options_.deviceGate();
    return ma_device_start(device) == MA_SUCCESS;
}

void SoundPlayer::StopDevice(ma_device* device) {
    if (options_.deviceGate) options_.deviceGate();
    ma_device_stop(device);
}

SoundPlayer::Voice* SoundPlayer::AllocateVoice() {
    for (int i = 0; i < kVoiceCount; ++i) {
        Voice& v = voices_[i];
        uint8_t state = v.state.load();
        if (state == kInUse) continue;
        // Only this thread moves a voice out of the ended or free state, so it holds.
        if (state == kEnded) ReleaseVoiceSound(v);
        // A device that does not start plays nothing, and a wait must not wait for it.
        if (device_ != nullptr && !ma_device_is_started(device_) && !StartDevice(device_)) {
            v.state.store(kFree);
            return nullptr;
        }
        v.state.store(kInUse);
        v.index = i;
        return &v;
    }
    return nullptr;
}

int SoundPlayer::Play(int32_t number, int32_t flags, double volume) {
    if (!initialised_) return 0;
    SoundRecord* r = slots_.Find(number);
    if (!r) return 0;
    if (!(flags & kPlayOwnVoice)) Stop(number);
    Voice* v = AllocateVoice();
    if (!v) return 0;
    v->soundNumber = number;
    v->playFlags = flags;
    v->streamed = 0;

    ma_audio_buffer_init(&r->bufferConfig, &v->buffer);
    if (ma_sound_init_from_data_source(&engine_, &v->buffer,
                                       MA_SOUND_FLAG_DECODE | MA_SOUND_FLAG_NO_SPATIALIZATION,
                                       nullptr, &v->sound) != MA_SUCCESS) {
        ma_audio_buffer_uninit(&v->buffer);
        v->state.store(kFree);
        return 0;
    }
    if (flags & kPlayLooping) ma_sound_set_looping(&v->sound, MA_TRUE);
    double gain = (volume == kDefaultVolume ? r->defaultVolume : volume) / 100.0;
    ma_sound_set_volume(&v->sound, static_cast<float>(gain));
    ma_sound_set_pan(&v->sound, static_cast<float>(r->pan / 100.0));
    ma_sound_set_pitch(&v->sound,
                       static_cast<float>(static_cast<double>(r->frequency) / r->nativeFrequency));
    ma_sound_seek_to_pcm_frame(&v->sound, static_cast<ma_uint64>(r->startFrame));
    ma_sound_set_end_callback(&v->sound, &SoundPlayer::OnVoiceEnd, v);
    ma_sound_start(&v->sound);
    return (flags & kPlayOwnVoice) ? v->index + 2 : 1;
}

void SoundPlayer::Stop(int32_t number) {
    if (!initialised_) return;
    for (int i = 0; i < kVoiceCount; ++i) {
        Voice& v = voices_[i];
        if (v.state.load() != kInUse || (number != -1 && v.soundNumber != number)) continue;
        // The end notification may have marked it ended meanwhile; either way the sound
        // is still initialised and this is the one place that releases it.
        if (v.state.exchange(kFree) != kFree) ReleaseVoiceSound(v);
    }
}

int SoundPlayer::Status(int32_t number) const {
    if (!initialised_ || !Record(number)) return kSoundMissing;
    for (int i = 0; i < kVoiceCount; ++i) {
        Voice& v = voices_[i];
        if (v.state.load() == kInUse && v.soundNumber == number) {
            // A stopped device (stopped by the system, or gone) plays nothing.
            const bool deviceRuns = device_ == nullptr || ma_device_is_started(device_);
            return deviceRuns && ma_sound_is_playing(&v.sound) ? kSoundPlaying
                                                               : kSoundInUseNotPlaying;
        }
    }
    return kSoundStopped;
}

void SoundPlayer::Free(int32_t number) {
    if (!initialised_) return;
    size_t first = number == -1 ? 0 : static_cast<size_t>(number);
    size_t last = number == -1 ? slots_.Size() : first + 1;
    for (size_t n = first; n < last; ++n) {
        auto num = static_cast<int32_t>(n);
        if (!slots_.Find(num)) continue;
        Stop(num);
        // Ended voices still hold a buffer over this PCM: release them before the PCM goes.
        for (int i = 0; i < kVoiceCount; ++i) {
            Voice& v = voices_[i];
            if (v.soundNumber == num && v.state.load() == kEnded) {
                v.state.store(kFree);
                ReleaseVoiceSound(v);
            }
        }
        slots_.Entry(num) = SoundRecord{};
    }
}

bool SoundPlayer::AnyVoiceInUse() const {
    for (int i = 0; i < kVoiceCount; ++i) {
        if (voices_[i].state.load() == kInUse) return true;
    }
    return false;
}

bool SoundPlayer::DeviceStarted() const {
    return device_ != nullptr && ma_device_is_started(device_);
}

void SoundPlayer::End() {
    if (!initialised_) return;
    if (device_ != nullptr && ma_device_is_started(device_)) {
        // Let a cue that is being cut off fade through the device buffer.
        Pause(60);
        StopDevice(device_);
    }
    device_ = nullptr;
    Free(-1);
    for (int i = 0; i < kVoiceCount; ++i) {
        Voice& v = voices_[i];
        if (v.state.exchange(kFree) != kFree) ReleaseVoiceSound(v);
    }
    ma_engine_uninit(&engine_);
    if (ownsContext_) ma_context_uninit(&context_);
    ownsContext_ = false;
    initialised_ = false;
}

}  // namespace quillet
