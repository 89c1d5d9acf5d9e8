#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sound/decoder.h"

namespace quillet {
namespace {

struct MemorySource {
    const unsigned char* data;
    int64_t length;
    int64_t position;
};

size_t MemoryRead(void* destination, size_t /*size*/, size_t count, void* source) {
    auto* m = static_cast<MemorySource*>(source);
    int64_t left = m->length - m->position;
    if (left <= 0) return 0;
    size_t n = std::min<size_t>(count, static_cast<size_t>(left));
    std::memcpy(destination, m->data + m->position, n);
    m->position += static_cast<int64_t>(n);
    return n;
}

int MemorySeek(void* source, ogg_int64_t offset, int whence) {
    auto* m = static_cast<MemorySource*>(source);
    switch (whence) {
        case SEEK_SET:
            m->position = offset;
            break;
        case SEEK_CUR:
            m->position += offset;
            break;
        case SEEK_END:
            m->position = m->length + offset;
            break;
        default:
            break;
    }
    return 0;
}

int MemoryClose(void* source) {
    static_cast<MemorySource*>(source)->position = 0;
    return 0;
}

long MemoryTell(void* source) {
    return static_cast<long>(static_cast<MemorySource*>(source)->position);
}

// A stream that keeps reporting holes would never end the read loop.
constexpr int kMaxHolesInARow = 64;

class OggVorbisStream final : public DecodedStream {
  public:
    explicit OggVorbisStream(MemorySource source) : source_(source) {}
    ~OggVorbisStream() override {
        if (open_) ov_clear(&file_);
    }

    bool Open() {
        ov_callbacks callbacks{MemoryRead, MemorySeek, MemoryClose, MemoryTell};
        if (ov_open_callbacks(&source_, &file_, nullptr, 0, callbacks) < 0) return false;
        open_ = true;
        vorbis_info* info = ov_info(&file_, -1);
        if (info == nullptr) return false;
        channels_ = info->channels;
        sampleRate_ = static_cast<int>(info->rate);
        totalFrames_ = static_cast<int32_t>(ov_pcm_total(&file_, -1));
        return true;
    }

    int64_t Read(void* destination, int64_t n, int flags) override {
        auto* out = static_cast<char*>(destination);
        int64_t done = 0;
        int holes = 0;
        int bitstream = 0;
        while (done < n) {
            int chunk = static_cast<int>(std::min<int64_t>(4096, n - done));
            long got = ov_read(&file_, out + done, chunk, 0, 2, 1, &bitstream);
            if (got > 0) {
                done += got;
                holes = 0;
            } else if (got < 0) {
                if (++holes > kMaxHolesInARow) break;
            } else if (flags & 1) {
                if (ov_raw_seek(&file_, 0) != 0) break;
            } else {
                break;
            }
        }
        return done;
    }

    void Rewind() override { ov_raw_seek(&file_, 0); }
    int Channels() const override { return channels_; }
    int32_t TotalFrames() const override { return totalFrames_; }
    int SampleRate() const override { return sampleRate_; }

  private:
    MemorySource source_;
    OggVorbis_File file_{};
    bool open_ = false;
    int channels_ = 0;
    int sampleRate_ = 0;
    int32_t totalFrames_ = 0;
};

}  // namespace

std::unique_ptr<DecodedStream> OpenOggVorbisFromMemory(const void* data, size_t length,
                                                       int /*flags*/) {
    if (data == nullptr) return nullptr;
    auto stream = std::make_unique<OggVorbisStream>(
        MemorySource{static_cast<const unsigned char*>(data), static_cast<int64_t>(length), 0});
    if (!stream->Open()) return nullptr;
    return stream;
}

}  // namespace quillet
