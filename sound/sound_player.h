#pragma once

#include <miniaudio.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "sound/decoder.h"
#include "sound/sound_slots.h"

namespace quillet {

// How the engine is brought up. The defaults are the program's: the system's default
// playback device with its own format.
struct SoundPlayerOptions {
    // No device at all: frames are pulled with ma_engine_read_pcm_frames (tests).
    bool noDevice = false;
    // Use only miniaudio's null backend: a real device object that needs no sound card.
    bool nullBackend = false;
    // Channel count and rate of the mix; 0 keeps the device's own.
    uint32_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t idleLimitMs = 10000;
    // Called before every start and stop of the device (QuilletFaults.exe makes it hang there).
    void (*deviceGate)() = nullptr;
};

// Flags of SoundPlayer::Play.
inline constexpr int32_t kPlayLooping = 1;   // starts over at its end
inline constexpr int32_t kPlayOwnVoice = 2;  // plays beside the sound's other voices
// The volume that stands for the sound's own default volume.
inline constexpr double kDefaultVolume = -1.0;

enum SoundStatus : int {
    kSoundStopped = 0,
    kSoundPlaying = 1,
    kSoundInUseNotPlaying = 2,
    kSoundMissing = 3,
};

// Numbered in-memory sounds played by a pool of 64 voices on the miniaudio engine. Every
// operation runs on one thread (the program's feedback worker); the audio thread only
// marks voices as ended.
class SoundPlayer {
  public:
    static constexpr int kVoiceCount = 64;

    SoundPlayer() = default;
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Runs once; later calls give the first answer. False leaves every operation a no-op.
    bool Start(const SoundPlayerOptions& options = {});
    bool IsInitialised() const { return initialised_; }
    void RegisterOggVorbisDecoder();
    // Adds a decoder after those registered; loads offer data to each in that order.
    void RegisterDecoder(OpenFromMemoryFn open);

    bool LoadFromMemory(int32_t number, const void* data, size_t length);
    // Loads a copy of PCM decoded beforehand (interleaved s16), so no decoding happens here.
    bool LoadFromPcm(int32_t number, const int16_t* pcm, int32_t frames, int channels, int rate);
    bool Exists(int32_t number) const;
    int32_t GetFrequency(int32_t number) const;
    void SetFrequency(int32_t number, int32_t frequency);
    // 0 on failure; otherwise 1, or with kPlayOwnVoice the voice index + 2.
    int Play(int32_t number, int32_t flags, double volume);
    void Stop(int32_t number);  // -1: every sound
    int Status(int32_t number) const;
    void Free(int32_t number);  // -1: every sound
    void End();

    // Stops the device once no voice has been in use for more than idleLimitMs, at the
    // given tick count (ms, may wrap). Answers how many ms until it wants another look,
    // or kNoLook: a stopped device needs none until the next play.
    static constexpr int64_t kNoLook = -1;
    static constexpr int64_t kPlayingLookMs = 100;
    int64_t IdleCheck(uint32_t nowMs);

    // For tests and benchmarks.
    ma_engine* Engine() { return initialised_ ? &engine_ : nullptr; }
    size_t SlotCount() const { return slots_.Size(); }
    bool DeviceStarted() const;
    const SoundRecord* Record(int32_t number) const;

  private:
    enum VoiceState : uint8_t { kFree = 0, kInUse = 1, kEnded = 2 };

    struct Voice {
        ma_sound sound;
        ma_audio_buffer buffer;
        int32_t soundNumber;
        int32_t playFlags;
        int32_t index;
        // Free, in use, or ended with its ma_sound still to be released. One atomic state so
        // that a stop racing the end notification releases the sound exactly once.
        std::atomic<uint8_t> state;
        uint8_t streamed;
    };

    static void OnVoiceEnd(void* userData, ma_sound* sound);
    void Install(int32_t number, std::unique_ptr<uint8_t[]> pcm, int64_t frames, int channels,
                 int rate);
    Voice* AllocateVoice();
    void ReleaseVoiceSound(Voice& v);
    bool AnyVoiceInUse() const;
    bool StartDevice(ma_device* device);
    void StopDevice(ma_device* device);

    bool attempted_ = false;
    bool initialised_ = false;
    ma_context context_{};
    bool ownsContext_ = false;
    ma_engine engine_{};
    SoundSlots slots_;
    std::unique_ptr<Voice[]> voices_;
    std::vector<OpenFromMemoryFn> decoders_;
    SoundPlayerOptions options_;

    ma_device* device_ = nullptr;
    bool idleMarked_ = false;
    uint32_t idleMark_ = 0;
};

}  // namespace quillet
