// Voices built from sums of sine waves (band-limited, so no aliasing when
// the players resample them) and from shaped noise for the drums. Tonal
// voices are whole-period loops; drums are one-shot.
#include "xm/synth.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>

#include "portable_math.h"

namespace xm {

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr int PERIOD_C4 = 128;  // frames per period of C-4 content at SYNTH_RATE
constexpr int NOTE_C4_RELATIVE = 24;  // SYNTH_RATE is two octaves above 8363 Hz

using Wave = std::vector<double>;

// A loop of `length` frames holding `cycles` whole periods of a wave whose
// harmonic k (1-based) has the amplitude `amplitude(k)`.
Wave harmonics(int length, int cycles, int count, const std::function<double(int)>& amplitude) {
    Wave wave(length, 0.0);
    for (int k = 1; k <= count; ++k) {
        const double a = amplitude(k);
        if (a == 0.0) continue;
        const double step = 2 * PI * k * cycles / length;
        for (int i = 0; i < length; ++i) wave[i] += a * portable::sin(step * i);
    }
    return wave;
}

void mix_into(Wave& into, const Wave& wave, double gain) {
    for (size_t i = 0; i < into.size(); ++i) into[i] += gain * wave[i];
}

std::vector<int16_t> to_pcm(const Wave& wave, double peak) {
    double largest = 0;
    for (double v : wave) largest = std::max(largest, std::abs(v));
    const double scale = largest > 0 ? peak * 32767 / largest : 0;
    std::vector<int16_t> pcm(wave.size());
    std::transform(wave.begin(), wave.end(), pcm.begin(),
                   [scale](double v) { return static_cast<int16_t>(std::lround(v * scale)); });
    return pcm;
}

// Deterministic white noise in -1 ... 1.
class Noise {
public:
    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }

private:
    uint32_t state_ = 0x2545F491u;
};

int frames_for(double seconds) { return static_cast<int>(seconds * SYNTH_RATE); }

double seconds_at(int frame) { return static_cast<double>(frame) / SYNTH_RATE; }

// Fades the last few milliseconds so a one-shot sample ends without a click.
void fade_tail(Wave& wave) {
    const int fade = std::min<int>(frames_for(0.004), static_cast<int>(wave.size()));
    for (int i = 0; i < fade; ++i) wave[wave.size() - 1 - i] *= static_cast<double>(i) / fade;
}

void set_loop(Sample& sample, const std::vector<int16_t>& pcm, int8_t relative_note) {
    sample.data = pcm;
    sample.loop = LoopType::forward;
    sample.loop_start = 0;
    sample.loop_length = static_cast<uint32_t>(pcm.size());
    sample.relative_note = relative_note;
}

void set_one_shot(Sample& sample, Wave wave, double peak) {
    fade_tail(wave);
    sample.data = to_pcm(wave, peak);
    sample.loop = LoopType::none;
    sample.loop_start = 0;
    sample.loop_length = 0;
    sample.relative_note = NOTE_C4_RELATIVE;
}

// ---- drums ----

// A sine falling quickly from 155 Hz to 45 Hz, slightly overdriven.
void kick(Sample& sample) {
    Wave wave(frames_for(0.32));
    double phase = 0;
    for (size_t i = 0; i < wave.size(); ++i) {
        const double t = seconds_at(static_cast<int>(i));
        const double frequency = 45 + 110 * portable::exp(-t / 0.03);
        phase += 2 * PI * frequency / SYNTH_RATE;
        const double body = portable::sin(phase) * portable::exp(-t / 0.11);
        wave[i] = portable::tanh(1.6 * body);
    }
    set_one_shot(sample, wave, 0.92);
}

// Two damped tones for the drum body over a burst of brightened noise.
void snare(Sample& sample) {
    Wave wave(frames_for(0.24));
    Noise noise;
    double previous = 0;
    for (size_t i = 0; i < wave.size(); ++i) {
        const double t = seconds_at(static_cast<int>(i));
        const double tone =
            (portable::sin(2 * PI * 185 * t) + 0.6 * portable::sin(2 * PI * 330 * t)) * portable::exp(-t / 0.045);
        const double white = noise.next();
        const double bright = white - 0.6 * previous;
        previous = white;
        wave[i] = 0.55 * tone + 0.7 * bright * portable::exp(-t / 0.075);
    }
    set_one_shot(sample, wave, 0.85);
}

// Noise with its lows taken away twice, decaying within a few tens of ms.
void hihat(Sample& sample) {
    Wave wave(frames_for(0.09));
    Noise noise;
    double last = 0, last_diff = 0;
    for (size_t i = 0; i < wave.size(); ++i) {
        const double white = noise.next();
        const double diff = white - last;
        last = white;
        const double high = diff - last_diff;
        last_diff = diff;
        wave[i] = high * portable::exp(-seconds_at(static_cast<int>(i)) / 0.022);
    }
    set_one_shot(sample, wave, 0.7);
}

// Noise brightened once and ringing out over a second, with a sharp first
// strike: the cymbal that marks where a new part of the song begins.
void crash(Sample& sample) {
    Wave wave(frames_for(1.2));
    Noise noise;
    double last = 0;
    for (size_t i = 0; i < wave.size(); ++i) {
        const double t = seconds_at(static_cast<int>(i));
        const double white = noise.next();
        const double bright = white - 0.8 * last;
        last = white;
        wave[i] = bright * (0.5 * portable::exp(-t / 0.04) + 0.5 * portable::exp(-t / 0.4));
    }
    set_one_shot(sample, wave, 0.8);
}

// ---- tonal voices ----

// A warm saw an octave below middle C (content C-3) with a sine under it.
void bass(Sample& sample) {
    const int length = 2 * PERIOD_C4;
    const Wave wave =
        harmonics(length, 1, 40, [](int k) { return (k == 1 ? 1.6 : 1.0) / portable::pow(k, 1.5); });
    set_loop(sample, to_pcm(wave, 0.8), NOTE_C4_RELATIVE + 12);
}

// A quarter-duty pulse, hollow and bright, for the arpeggio chords.
void pluck(Sample& sample) {
    const Wave wave = harmonics(PERIOD_C4, 1, 16, [](int k) { return portable::sin(PI * k * 0.25) / k; });
    set_loop(sample, to_pcm(wave, 0.7), NOTE_C4_RELATIVE);
}

// Mostly square with a little saw for some edge.
void lead(Sample& sample) {
    const Wave wave = harmonics(PERIOD_C4, 1, 14, [](int k) { return (k % 2 == 1 ? 1.0 : 0.25) / k; });
    set_loop(sample, to_pcm(wave, 0.7), NOTE_C4_RELATIVE);
}

// Three saws a few cents apart beat against each other; the loop holds a
// whole number of periods of each, so it repeats seamlessly.
void pad(Sample& sample) {
    constexpr int cycles = 96;
    const int length = cycles * PERIOD_C4;
    const auto soft_saw = [](int k) { return 1.0 / portable::pow(k, 1.3); };
    Wave wave(length, 0.0);
    for (int detune : {-1, 0, 1}) mix_into(wave, harmonics(length, cycles + detune, 12, soft_saw), 1.0);
    set_loop(sample, to_pcm(wave, 0.7), NOTE_C4_RELATIVE);
}

struct Voice {
    const char* name;
    void (*make)(Sample&);
};

constexpr Voice VOICES[] = {
    {"bass", bass}, {"crash", crash}, {"hihat", hihat}, {"kick", kick},
    {"lead", lead}, {"pad", pad},     {"pluck", pluck}, {"snare", snare},
};

}  // namespace

const std::vector<std::string>& voice_names() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const Voice& voice : VOICES) list.push_back(voice.name);
        return list;
    }();
    return names;
}

void synthesize(const std::string& voice, Sample& sample) {
    const auto found =
        std::find_if(std::begin(VOICES), std::end(VOICES), [&](const Voice& known) { return voice == known.name; });
    if (found == std::end(VOICES)) throw SongError("unknown voice '" + voice + "'");
    found->make(sample);
    sample.name = voice;
}

Module build_module(const Song& song) {
    Module module = song.module;
    for (size_t i = 0; i < module.instruments.size(); ++i) synthesize(song.patches[i], module.instruments[i].sample);
    return module;
}

}  // namespace xm
