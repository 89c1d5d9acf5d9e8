#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "sound_test_support.h"

namespace quillet {
namespace {

using test::DecodeClip;

struct ClipFacts {
    Clip clip;
    int32_t frames;
    size_t pcmBytes;
    double peakDb;
    double peakFromMs, peakToMs;
    bool wide;
    bool rising;
};

const ClipFacts kClips[] = {
    {Clip::On, 27973, 111892, -6.0, 60, 150, true, true},
    {Clip::Off, 40112, 160448, -9.0, 140, 220, false, false},
};

// Ogg pages of a whole file: their header-type flags, in order.
std::vector<uint8_t> PageFlags(std::span<const unsigned char> bytes) {
    std::vector<uint8_t> flags;
    size_t at = 0;
    while (at + 27 <= bytes.size() && std::memcmp(bytes.data() + at, "OggS", 4) == 0) {
        size_t segments = bytes[at + 26];
        size_t body = 0;
        for (size_t i = 0; i < segments; ++i) body += bytes[at + 27 + i];
        flags.push_back(bytes[at + 5]);
        at += 27 + segments + body;
    }
    EXPECT_EQ(at, bytes.size()) << "trailing bytes after the last page";
    return flags;
}

TEST(Clips, DecodedOnceIsTheSameAsDecodedOnLoad) {
    for (const ClipFacts& f : kClips) {
        const DecodedClipPcm& d = DecodedClip(f.clip);
        EXPECT_EQ(d.frames, f.frames);
        EXPECT_EQ(d.channels, 2);
        EXPECT_EQ(d.rate, 48000);
        EXPECT_EQ(d.pcm, DecodeClip(f.clip));
        EXPECT_EQ(&d, &DecodedClip(f.clip)) << "decoded once and kept";
        // The length the cue waits are bounded by, known without decoding.
        EXPECT_EQ(LengthOf(f.clip).frames, d.frames);
        EXPECT_EQ(LengthOf(f.clip).rate, d.rate);
    }
}

TEST(Clips, AreStoredOneAfterTheOtherOnFirst) {
    auto on = ClipBytes(Clip::On);
    auto off = ClipBytes(Clip::Off);
    EXPECT_EQ(on.data() + on.size(), off.data());
    // About 10.7 KB and 12.8 KB.
    EXPECT_NEAR(static_cast<double>(on.size()), 10700, 600);
    EXPECT_NEAR(static_cast<double>(off.size()), 12800, 600);
}

TEST(Clips, AreThreePageVorbisStreamsWithoutComments) {
    for (const ClipFacts& f : kClips) {
        SCOPED_TRACE(static_cast<int>(f.clip));
        auto bytes = ClipBytes(f.clip);
        // Identification page opens the stream, the audio page ends it.
        EXPECT_EQ(PageFlags(bytes), (std::vector<uint8_t>{0x02, 0x00, 0x04}));

        auto stream = OpenOggVorbisFromMemory(bytes.data(), bytes.size(), 0);
        ASSERT_TRUE(stream);
        EXPECT_EQ(stream->Channels(), 2);
        EXPECT_EQ(stream->SampleRate(), 48000);
        EXPECT_EQ(stream->TotalFrames(), f.frames);
        // The last page's granule position is the frame count.
        size_t last = bytes.size() - 4;
        while (last > 0 && std::memcmp(bytes.data() + last, "OggS", 4) != 0) --last;
        int64_t granule = 0;
        std::memcpy(&granule, bytes.data() + last + 6, 8);
        EXPECT_EQ(granule, f.frames);
    }
}

TEST(Clips, HeaderCarriesNominalRateAndNoUserComments) {
    for (const ClipFacts& f : kClips) {
        auto bytes = ClipBytes(f.clip);
        // Identification header: bit rates at offset 20 of the first packet.
        const unsigned char* ident = bytes.data() + 28;
        ASSERT_EQ(std::memcmp(ident + 1, "vorbis", 6), 0);
        int32_t upper, nominal, lower;
        std::memcpy(&upper, ident + 16, 4);
        std::memcpy(&nominal, ident + 20, 4);
        std::memcpy(&lower, ident + 24, 4);
        EXPECT_EQ(nominal, 96000);
        EXPECT_EQ(upper, -1);
        EXPECT_EQ(lower, -1);
        EXPECT_EQ(ident[28], (11 << 4) | 8) << "block sizes 256 and 2048";
        // Comment header: vendor string, then the user comment count.
        const unsigned char* comment = bytes.data() + 58 + 27 + bytes[58 + 26];
        ASSERT_EQ(std::memcmp(comment, "\x03vorbis", 7), 0);
        uint32_t vendorLength, comments;
        std::memcpy(&vendorLength, comment + 7, 4);
        std::memcpy(&comments, comment + 11 + vendorLength, 4);
        EXPECT_EQ(comments, 0u);
    }
}

// Zero crossings of the left channel per second over a window.
double CrossingRate(const std::vector<int16_t>& pcm, double fromMs, double toMs) {
    auto from = static_cast<size_t>(fromMs * 48), to = static_cast<size_t>(toMs * 48);
    int crossings = 0;
    for (size_t i = from + 1; i < to; ++i) {
        if ((pcm[2 * i] < 0) != (pcm[2 * (i - 1)] < 0)) ++crossings;
    }
    return crossings / ((toMs - fromMs) / 1000.0);
}

TEST(Clips, DecodeToTheirSizeWithThePeakWhereItBelongs) {
    for (const ClipFacts& f : kClips) {
        SCOPED_TRACE(static_cast<int>(f.clip));
        std::vector<int16_t> pcm = DecodeClip(f.clip);
        ASSERT_EQ(pcm.size() * 2, f.pcmBytes);

        size_t peakAt = 0;
        int peak = 0;
        double sumLR = 0, sumLL = 0, sumRR = 0;
        for (size_t i = 0; i < pcm.size(); ++i) {
            if (std::abs(pcm[i]) > peak) {
                peak = std::abs(pcm[i]);
                peakAt = i / 2;
            }
        }
        for (size_t i = 0; i + 1 < pcm.size(); i += 2) {
            sumLR += double(pcm[i]) * pcm[i + 1];
            sumLL += double(pcm[i]) * pcm[i];
            sumRR += double(pcm[i + 1]) * pcm[i + 1];
        }
        double peakDb = 20 * std::log10(peak / 32768.0);
        double peakMs = peakAt / 48.0;
        EXPECT_NEAR(peakDb, f.peakDb, 1.0);
        EXPECT_GE(peakMs, f.peakFromMs);
        EXPECT_LE(peakMs, f.peakToMs);

        double correlation = sumLR / std::sqrt(sumLL * sumRR);
        if (f.wide) {
            EXPECT_LT(std::fabs(correlation), 0.5);
        } else {
            EXPECT_GT(correlation, 0.95);
        }

        double early = CrossingRate(pcm, 60, 120), late = CrossingRate(pcm, 300, 360);
        EXPECT_EQ(late > early * 1.5, f.rising) << early << " then " << late;
        EXPECT_EQ(early > late * 1.5, !f.rising) << early << " then " << late;
    }
}

}  // namespace
}  // namespace quillet
