// An in-memory FastTracker 2 module (XM) as our song tool writes it: 16-bit
// samples, one sample per instrument, volume envelopes, linear frequencies.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace xm {

// Raw XM cell values: note 1..96 (97 = key off, 0 = none), instrument 1..128,
// volume column byte (0x10..0x50 = set volume 0..64), effect and parameter.
struct Cell {
    uint8_t note = 0;
    uint8_t instrument = 0;
    uint8_t volume = 0;
    uint8_t effect = 0;
    uint8_t param = 0;

    bool operator==(const Cell& other) const;
};

constexpr uint8_t NOTE_KEY_OFF = 97;

struct Pattern {
    int rows = 64;
    std::vector<Cell> cells;  // rows x channels, row-major

    Cell& at(int row, int channel, int channels) { return cells[row * channels + channel]; }
    const Cell& at(int row, int channel, int channels) const { return cells[row * channels + channel]; }
    bool operator==(const Pattern& other) const;
};

struct EnvelopePoint {
    uint16_t tick = 0;
    uint16_t level = 0;  // 0..64

    bool operator==(const EnvelopePoint& other) const;
};

struct Envelope {
    std::vector<EnvelopePoint> points;  // at most 12; empty = envelope off
    int sustain = -1;                   // point index, or -1 for none

    bool operator==(const Envelope& other) const;
};

enum class LoopType : uint8_t { none = 0, forward = 1, ping_pong = 2 };

struct Sample {
    std::string name;
    std::vector<int16_t> data;
    uint32_t loop_start = 0;   // in sample frames
    uint32_t loop_length = 0;  // in sample frames
    LoopType loop = LoopType::none;
    uint8_t volume = 64;
    int8_t finetune = 0;
    uint8_t panning = 128;
    int8_t relative_note = 0;

    bool operator==(const Sample& other) const;
};

struct AutoVibrato {
    uint8_t type = 0;  // 0 sine, 1 square, 2 ramp down, 3 ramp up
    uint8_t sweep = 0;
    uint8_t depth = 0;
    uint8_t rate = 0;

    bool operator==(const AutoVibrato& other) const;
};

struct Instrument {
    std::string name;
    Envelope volume_envelope;
    uint16_t fadeout = 0;
    AutoVibrato vibrato;
    Sample sample;

    bool operator==(const Instrument& other) const;
};

struct Module {
    std::string name;
    std::string tracker;
    uint16_t channels = 4;
    uint16_t restart = 0;
    uint16_t speed = 6;  // ticks per row
    uint16_t bpm = 125;
    std::vector<uint8_t> orders;
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments;

    bool operator==(const Module& other) const;
};

// A module that cannot be written or a file that cannot be read.
struct FormatError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A score's samples are still empty (xm/score.h); a playable module's are not.
enum class SampleData { present, empty };

std::vector<uint8_t> write_xm(const Module& module, SampleData samples = SampleData::present);
Module read_xm(const std::vector<uint8_t>& bytes);

// Playing time in seconds from the first order to the end of the last one,
// following speed and tempo changes (Fxx) and pattern breaks (Dxx). The
// module must not jump (Bxx).
double song_seconds(const Module& module);

}  // namespace xm
