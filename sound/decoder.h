#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace quillet {

// An open stream of 16-bit little-endian PCM, as a registered decoder gives it.
// Destroying it closes the decoder.
class DecodedStream {
  public:
    virtual ~DecodedStream() = default;
    // Reads up to n bytes into destination; flag bit 0 rewinds at the end and goes on.
    // Returns the bytes delivered.
    virtual int64_t Read(void* destination, int64_t n, int flags) = 0;
    virtual void Rewind() = 0;
    virtual int Channels() const = 0;
    virtual int32_t TotalFrames() const = 0;
    virtual int SampleRate() const = 0;
};

// Opens a memory block (not copied, must outlive the stream); none when it is not
// this decoder's format.
using OpenFromMemoryFn = std::unique_ptr<DecodedStream> (*)(const void* data, size_t length,
                                                            int flags);

std::unique_ptr<DecodedStream> OpenOggVorbisFromMemory(const void* data, size_t length, int flags);

}  // namespace quillet
