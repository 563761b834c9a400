// Checks a capture's music against the show's parts, as a viewer hears
// them together: every change of effect falls on one of the music's
// strongest onsets, and the music runs without a gap until the show ends.
//
// Onsets are measured as spectral flux, one value a video frame: the
// magnitude spectrum of a 2048-sample Hann window centred on the frame's own
// samples, summed where it grew since the frame before. A change of effect
// is on the beat when the strongest flux within one frame of it ranks at or
// above the 97th percentile of the show's frames.
//
//   music_check SAMPLES.s16 SHOW_FRAMES
//
// SAMPLES.s16: the capture's sound, 16-bit stereo at the capture's rate, of
// a capture at 60 frames a second. Prints each change's percentile and the
// longest silence; exit status 0 when all pass.
extern "C" {
#include <libavutil/mem.h>
#include <libavutil/tx.h>
}

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "capture/capture.h"

namespace {

constexpr int32_t FPS = 60;
constexpr int WINDOW = 2048;
constexpr double LEAST_ONSET_PERCENTILE = 97;
constexpr int32_t LONGEST_SILENCE = CAPTURE_SAMPLE_RATE / 100;  // 10 ms
constexpr int SILENT_LEVEL = 8;  // of 32767: below any decay the song means to be heard

int64_t sample_at(int64_t frame) { return frame * CAPTURE_SAMPLE_RATE / FPS; }

// Interleaved left and right, as the file holds them.
std::vector<int16_t> read_stereo(const char* path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<int16_t> stereo(bytes.size() / sizeof(int16_t) / CAPTURE_CHANNELS * CAPTURE_CHANNELS);
    std::copy(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(stereo.size() * sizeof(int16_t)),
              reinterpret_cast<char*>(stereo.data()));
    return stereo;
}

std::vector<float> mono_of(const std::vector<int16_t>& stereo) {
    std::vector<float> mono(stereo.size() / CAPTURE_CHANNELS);
    for (size_t i = 0; i < mono.size(); ++i) mono[i] = static_cast<float>(stereo[2 * i]) + stereo[2 * i + 1];
    return mono;
}

class Spectrum {
public:
    Spectrum() : window_(WINDOW), input_(WINDOW), output_(WINDOW / 2 + 1) {
        float scale = 1.0f;
        // The vectors hold no more than the element type's alignment, and newer
        // FFmpeg's SIMD transforms would otherwise read and write them aligned.
        if (av_tx_init(&context_, &transform_, AV_TX_FLOAT_RDFT, 0, WINDOW, &scale, AV_TX_UNALIGNED) < 0) {
            std::fprintf(stderr, "music_check: libavutil has no real FFT of %d points\n", WINDOW);
            std::exit(2);
        }
        for (int i = 0; i < WINDOW; ++i) window_[i] = static_cast<float>(0.5 - 0.5 * std::cos(2 * M_PI * i / WINDOW));
    }
    ~Spectrum() { av_tx_uninit(&context_); }

    // Magnitudes of the window starting at `start`; outside the music is silence.
    std::vector<float> at(const std::vector<float>& music, int64_t start) {
        for (int i = 0; i < WINDOW; ++i) {
            const int64_t at = start + i;
            input_[i] = at >= 0 && at < static_cast<int64_t>(music.size()) ? music[at] * window_[i] : 0.0f;
        }
        transform_(context_, output_.data(), input_.data(), sizeof(float));
        std::vector<float> magnitudes(output_.size());
        std::transform(output_.begin(), output_.end(), magnitudes.begin(), [](auto bin) { return std::abs(bin); });
        return magnitudes;
    }

private:
    AVTXContext* context_ = nullptr;
    av_tx_fn transform_ = nullptr;
    std::vector<float> window_, input_;
    std::vector<std::complex<float>> output_;
};

std::vector<double> flux_per_frame(const std::vector<float>& music, int64_t frames) {
    Spectrum spectrum;
    std::vector<double> flux;
    std::vector<float> before(WINDOW / 2 + 1, 0.0f);
    for (int64_t frame = 0; frame < frames; ++frame) {
        const int64_t middle = (sample_at(frame) + sample_at(frame + 1)) / 2;
        const std::vector<float> now = spectrum.at(music, middle - WINDOW / 2);
        double grown = 0;
        for (size_t bin = 0; bin < now.size(); ++bin) grown += std::max(0.0f, now[bin] - before[bin]);
        flux.push_back(grown);
        before = now;
    }
    return flux;
}

double percentile_of(const std::vector<double>& values, double value) {
    const auto below = std::count_if(values.begin(), values.end(), [&](double v) { return v < value; });
    return 100.0 * static_cast<double>(below) / static_cast<double>(values.size());
}

// The first frame of every effect after the show's start.
std::vector<int64_t> effect_changes(int64_t frames) {
    std::vector<int64_t> changes;
    for (int64_t pass = 0; pass * PASS_FRAMES < frames; ++pass) {
        for (int64_t first : {ROTOZOOM_FRAMES, ROTOZOOM_FRAMES + MULTISCROLL_FRAMES, PASS_FRAMES}) {
            if (pass * PASS_FRAMES + first + 1 < frames) changes.push_back(pass * PASS_FRAMES + first);
        }
    }
    return changes;
}

bool changes_on_onsets(const std::vector<double>& flux) {
    bool all = true;
    for (int64_t change : effect_changes(static_cast<int64_t>(flux.size()))) {
        const double strongest = *std::max_element(flux.begin() + change - 1, flux.begin() + change + 2);
        const double percentile = percentile_of(flux, strongest);
        std::printf("effect change at frame %lld: onset at the %.1fth percentile\n", static_cast<long long>(change),
                    percentile);
        all = all && percentile >= LEAST_ONSET_PERCENTILE;
    }
    return all;
}

// In sample frames: the longest run with both channels near zero.
int64_t longest_silence(const std::vector<int16_t>& stereo, int64_t end) {
    int64_t longest = 0, run = 0;
    for (int64_t i = 0; i < end; ++i) {
        const bool silent = std::abs(stereo[2 * i]) <= SILENT_LEVEL && std::abs(stereo[2 * i + 1]) <= SILENT_LEVEL;
        run = silent ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: music_check SAMPLES.s16 SHOW_FRAMES\n");
        return 2;
    }
    const std::vector<int16_t> stereo = read_stereo(argv[1]);
    // The last frame of the show ends on the quit and has no music.
    const int64_t frames = std::atoll(argv[2]) - 1;
    if (frames < 1 || static_cast<int64_t>(stereo.size()) < sample_at(frames) * CAPTURE_CHANNELS) {
        std::fprintf(stderr, "music_check: the sound is shorter than the show\n");
        return 1;
    }
    const bool on_onsets = changes_on_onsets(flux_per_frame(mono_of(stereo), frames));
    const int64_t silence = longest_silence(stereo, sample_at(frames));
    std::printf("longest silence: %lld samples\n", static_cast<long long>(silence));
    return on_onsets && silence < LONGEST_SILENCE ? 0 : 1;
}
