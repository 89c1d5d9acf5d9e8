// Writes the two feedback clips, clip_on.ogg and clip_off.ogg, into the given folder.
// Fixed stream serial numbers and a pure synthesis make a rebuild give the same bytes.
// Each file is one Vorbis stream in three pages: identification header; comment and setup
// headers; all audio, flagged end of stream.
#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr double kPi = 3.14159265358979323846;

struct Stereo {
    std::vector<float> left, right;
};

double DbToGain(double db) { return std::pow(10.0, db / 20.0); }

// Raised-cosine rise to 1 at peakS, then an exponential fall of decayDbPerS.
double Envelope(double t, double peakS, double decayDbPerS) {
    if (t < peakS) return 0.5 - 0.5 * std::cos(kPi * t / peakS);
    return DbToGain(-decayDbPerS * (t - peakS));
}

// Exponential glide from f0 to f1 over glideS, then held; returns the phase in cycles.
double GlidePhase(double t, double f0, double f1, double glideS) {
    double k = std::log(f1 / f0) / glideS;
    if (t <= glideS) return f0 * (std::exp(k * t) - 1.0) / k;
    return f0 * (std::exp(k * glideS) - 1.0) / k + f1 * (t - glideS);
}

// Deterministic white noise in [-1, 1).
class Noise {
  public:
    explicit Noise(uint32_t seed) : state_(seed) {}
    double Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / 8388608.0 - 1.0;
    }

  private:
    uint32_t state_;
};

// Overtones n = 2..8 of a phase, falling off as 1/n^1.5, each turned by its own offset.
double Overtones(double phase, double offset) {
    double sum = 0.0;
    for (int n = 2; n <= 8; ++n) sum += std::sin(n * phase + n * offset) / std::pow(n, 1.5);
    return sum;
}

void Normalise(Stereo& s, double peakDb) {
    float peak = 0.0f;
    for (size_t i = 0; i < s.left.size(); ++i) {
        peak = std::max({peak, std::fabs(s.left[i]), std::fabs(s.right[i])});
    }
    auto gain = static_cast<float>(DbToGain(peakDb) / peak);
    for (size_t i = 0; i < s.left.size(); ++i) {
        s.left[i] *= gain;
        s.right[i] *= gain;
    }
}

// An upward glide, ~300 Hz to ~1 kHz, loudest near 100 ms, wide: the two channels carry
// the tone a quarter turn apart and its overtones in opposite phase.
Stereo ClipOn() {
    constexpr int kFrames = 27973;
    Stereo s{std::vector<float>(kFrames), std::vector<float>(kFrames)};
    // A faint breath of noise, different in each channel, under the tone.
    constexpr double kAir = 0.03;
    Noise noiseL(1), noiseR(2);
    for (int i = 0; i < kFrames; ++i) {
        double t = static_cast<double>(i) / kRate;
        double phase = 2.0 * kPi * GlidePhase(t, 300.0, 1000.0, 0.42);
        double env = Envelope(t, 0.1, 150.0);
        double air = kAir * env;
        s.left[i] = static_cast<float>(env * (std::sin(phase) + 0.5 * Overtones(phase, 0.0)) +
                                       air * noiseL.Next());
        s.right[i] = static_cast<float>(
            env * (std::sin(phase + 0.5 * kPi) - 0.5 * Overtones(phase, 0.5 * kPi)) +
            air * noiseR.Next());
    }
    Normalise(s, -6.0);
    return s;
}

// A downward glide, ~770 Hz to ~250 Hz, loudest near 170 ms, nearly centred, fading by
// ~550 ms with a faint tail to the end.
Stereo ClipOff() {
    constexpr int kFrames = 40112;
    Stereo s{std::vector<float>(kFrames), std::vector<float>(kFrames)};
    // Noise mostly common to both channels keeps the image centred.
    constexpr double kAir = 0.02;
    Noise common(3), side(4);
    for (int i = 0; i < kFrames; ++i) {
        double t = static_cast<double>(i) / kRate;
        double phase = 2.0 * kPi * GlidePhase(t, 770.0, 250.0, 0.5);
        double env = Envelope(t, 0.17, 120.0);
        double tail = t > 0.17 ? 0.004 * DbToGain(-30.0 * (t - 0.17)) : 0.0;
        env = std::max(env, tail);
        double tone = std::sin(phase) + 0.5 * Overtones(phase, 0.3);
        double air = kAir * env * common.Next();
        double spread = 0.1 * kAir * env * side.Next();
        s.left[i] = static_cast<float>(env * tone + air + spread);
        s.right[i] = static_cast<float>(env * 0.97 * tone + air - spread);
    }
    Normalise(s, -9.0);
    return s;
}

bool WritePage(std::FILE* f, const ogg_page& page) {
    return std::fwrite(page.header, 1, page.header_len, f) ==
               static_cast<size_t>(page.header_len) &&
           std::fwrite(page.body, 1, page.body_len, f) == static_cast<size_t>(page.body_len);
}

// Flushes everything queued as pages; returns the number written, or -1.
int FlushAll(std::FILE* f, ogg_stream_state& os) {
    ogg_page page;
    int pages = 0;
    while (ogg_stream_flush_fill(&os, &page, 1 << 30) != 0) {
        if (!WritePage(f, page)) return -1;
        ++pages;
    }
    return pages;
}

bool Encode(const Stereo& s, int serial, const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    vorbis_info vi;
    vorbis_info_init(&vi);
    // Average bit rate 96 kbit/s, no minimum, no maximum.
    if (vorbis_encode_init(&vi, 2, kRate, -1, 96000, -1) != 0) return false;
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);

    ogg_packet ident, comment, setup;
    vorbis_analysis_headerout(&vd, &vc, &ident, &comment, &setup);
    ogg_stream_packetin(&os, &ident);
    int pages = FlushAll(f, os);
    ogg_stream_packetin(&os, &comment);
    ogg_stream_packetin(&os, &setup);
    pages += FlushAll(f, os);

    const int frames = static_cast<int>(s.left.size());
    constexpr int kChunk = 1024;
    ogg_packet packet;
    int64_t lastGranule = 0;
    auto drain = [&] {
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &packet) == 1) {
                ogg_stream_packetin(&os, &packet);
                lastGranule = packet.granulepos;
            }
        }
    };
    for (int at = 0; at < frames; at += kChunk) {
        int n = std::min(kChunk, frames - at);
        float** buffer = vorbis_analysis_buffer(&vd, n);
        std::copy_n(s.left.begin() + at, n, buffer[0]);
        std::copy_n(s.right.begin() + at, n, buffer[1]);
        vorbis_analysis_wrote(&vd, n);
        drain();
    }
    vorbis_analysis_wrote(&vd, 0);
    drain();
    // All audio in one page: nothing was paged out while the packets were queued.
    pages += FlushAll(f, os);
    bool ok = std::fclose(f) == 0 && pages == 3;
    std::printf("%s: %d pages, last granule %lld, blocks %d/%d\n", path.c_str(), pages,
                static_cast<long long>(lastGranule), vorbis_info_blocksize(&vi, 0),
                vorbis_info_blocksize(&vi, 1));

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: clipgen <output folder>\n");
        return 2;
    }
    std::string dir = argv[1];
    bool ok = Encode(ClipOn(), 0x516C4F6E, dir + "/clip_on.ogg") &&
              Encode(ClipOff(), 0x516C4F66, dir + "/clip_off.ogg");
    return ok ? 0 : 1;
}
