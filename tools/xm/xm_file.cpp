// Writing and reading the XM file layout: a 336-byte module header, packed
// patterns, then each instrument with its sample headers and delta-coded
// sample data. Everything little-endian.
#include <algorithm>

#include "xm/xm_module.h"

namespace xm {

namespace {

constexpr char SIGNATURE[] = "Extended Module: ";
constexpr size_t SIGNATURE_SIZE = 17;
constexpr size_t NAME_SIZE = 20;
constexpr uint16_t VERSION = 0x0104;
constexpr uint32_t HEADER_SIZE = 276;  // counted from offset 60: 20 bytes of fields + 256 orders
constexpr size_t ORDER_TABLE_SIZE = 256;
constexpr uint32_t PATTERN_HEADER_SIZE = 9;
constexpr size_t MAX_PACKED_PATTERN = 32767;
constexpr uint32_t INSTRUMENT_HEADER_SIZE = 263;
constexpr size_t INSTRUMENT_NAME_SIZE = 22;
constexpr uint32_t SAMPLE_HEADER_SIZE = 40;
constexpr size_t ENVELOPE_POINTS = 12;
constexpr uint8_t SAMPLE_16BIT = 0x10;
constexpr uint8_t ENVELOPE_ON = 0x01;
constexpr uint8_t ENVELOPE_SUSTAIN = 0x02;
constexpr uint16_t LINEAR_FREQUENCIES = 0x0001;

class Writer {
public:
    void byte(uint8_t value) { bytes_.push_back(value); }
    void word(uint16_t value) {
        byte(value & 0xFF);
        byte(value >> 8);
    }
    void dword(uint32_t value) {
        word(value & 0xFFFF);
        word(value >> 16);
    }
    void text(const std::string& value, size_t size) {
        for (size_t i = 0; i < size; ++i) byte(i < value.size() ? static_cast<uint8_t>(value[i]) : 0);
    }
    void zeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    size_t size() const { return bytes_.size(); }
    void patch_word(size_t at, uint16_t value) {
        bytes_[at] = value & 0xFF;
        bytes_[at + 1] = value >> 8;
    }
    std::vector<uint8_t> take() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
};

class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

    uint8_t byte() {
        need(1);
        return bytes_[at_++];
    }
    uint16_t word() {
        const uint16_t low = byte();
        return static_cast<uint16_t>(low | byte() << 8);
    }
    uint32_t dword() {
        const uint32_t low = word();
        return low | static_cast<uint32_t>(word()) << 16;
    }
    std::string text(size_t size) {
        need(size);
        std::string value(reinterpret_cast<const char*>(&bytes_[at_]), size);
        at_ += size;
        return value.substr(0, value.find('\0'));
    }
    void skip(size_t count) {
        need(count);
        at_ += count;
    }
    size_t position() const { return at_; }
    void seek(size_t at) {
        if (at > bytes_.size()) throw FormatError("offset past the end of the file");
        at_ = at;
    }

private:
    void need(size_t count) const {
        if (count > bytes_.size() - at_) throw FormatError("file ends early");
    }

    const std::vector<uint8_t>& bytes_;
    size_t at_ = 0;
};

void require(bool condition, const std::string& message) {
    if (!condition) throw FormatError(message);
}

// ---- writing ----

void write_header(Writer& out, const Module& module) {
    out.text(SIGNATURE, SIGNATURE_SIZE);
    out.text(module.name, NAME_SIZE);
    out.byte(0x1A);
    out.text(module.tracker, NAME_SIZE);
    out.word(VERSION);
    out.dword(HEADER_SIZE);
    out.word(static_cast<uint16_t>(module.orders.size()));
    out.word(module.restart);
    out.word(module.channels);
    out.word(static_cast<uint16_t>(module.patterns.size()));
    out.word(static_cast<uint16_t>(module.instruments.size()));
    out.word(LINEAR_FREQUENCIES);
    out.word(module.speed);
    out.word(module.bpm);
    for (size_t i = 0; i < ORDER_TABLE_SIZE; ++i) out.byte(i < module.orders.size() ? module.orders[i] : 0);
}

// A cell with every field set is stored as its five bytes; any other cell as
// a mask byte (bit 7 set, bits 0-4 for the fields present) and those fields.
void write_cell(Writer& out, const Cell& cell) {
    const uint8_t fields[] = {cell.note, cell.instrument, cell.volume, cell.effect, cell.param};
    uint8_t mask = 0;
    for (int i = 0; i < 5; ++i) {
        if (fields[i] != 0) mask |= 1 << i;
    }
    if (mask != 0x1F) out.byte(0x80 | mask);
    for (int i = 0; i < 5; ++i) {
        if (mask & (1 << i)) out.byte(fields[i]);
    }
}

void write_pattern(Writer& out, const Pattern& pattern) {
    out.dword(PATTERN_HEADER_SIZE);
    out.byte(0);  // packing type
    out.word(static_cast<uint16_t>(pattern.rows));
    const size_t size_at = out.size();
    out.word(0);
    const size_t data_start = out.size();
    for (const Cell& cell : pattern.cells) write_cell(out, cell);
    const size_t packed = out.size() - data_start;
    require(packed <= MAX_PACKED_PATTERN, "a pattern packs to more than 32 KB");
    out.patch_word(size_at, static_cast<uint16_t>(packed));
}

void write_envelope_points(Writer& out, const Envelope& envelope) {
    for (size_t i = 0; i < ENVELOPE_POINTS; ++i) {
        const EnvelopePoint point = i < envelope.points.size() ? envelope.points[i] : EnvelopePoint{};
        out.word(point.tick);
        out.word(point.level);
    }
}

uint8_t envelope_type(const Envelope& envelope) {
    if (envelope.points.empty()) return 0;
    return ENVELOPE_ON | (envelope.sustain >= 0 ? ENVELOPE_SUSTAIN : 0);
}

void write_instrument_header(Writer& out, const Instrument& instrument) {
    const size_t start = out.size();
    out.dword(INSTRUMENT_HEADER_SIZE);
    out.text(instrument.name, INSTRUMENT_NAME_SIZE);
    out.byte(0);   // type
    out.word(1);   // one sample
    out.dword(SAMPLE_HEADER_SIZE);
    out.zeros(96);  // every note plays sample 0
    const Envelope& volume = instrument.volume_envelope;
    write_envelope_points(out, volume);
    write_envelope_points(out, Envelope{});
    out.byte(static_cast<uint8_t>(volume.points.size()));
    out.byte(0);  // panning points
    out.byte(static_cast<uint8_t>(std::max(volume.sustain, 0)));
    out.zeros(2);  // volume loop
    out.zeros(3);  // panning sustain and loop
    out.byte(envelope_type(volume));
    out.byte(0);  // panning type
    out.byte(instrument.vibrato.type);
    out.byte(instrument.vibrato.sweep);
    out.byte(instrument.vibrato.depth);
    out.byte(instrument.vibrato.rate);
    out.word(instrument.fadeout);
    out.zeros(INSTRUMENT_HEADER_SIZE - (out.size() - start));
}

void write_sample_header(Writer& out, const Sample& sample) {
    out.dword(static_cast<uint32_t>(sample.data.size() * 2));
    out.dword(sample.loop_start * 2);
    out.dword(sample.loop_length * 2);
    out.byte(sample.volume);
    out.byte(static_cast<uint8_t>(sample.finetune));
    out.byte(static_cast<uint8_t>(sample.loop) | SAMPLE_16BIT);
    out.byte(sample.panning);
    out.byte(static_cast<uint8_t>(sample.relative_note));
    out.byte(0);
    out.text(sample.name, INSTRUMENT_NAME_SIZE);
}

void write_sample_data(Writer& out, const Sample& sample) {
    int16_t previous = 0;
    for (int16_t value : sample.data) {
        out.word(static_cast<uint16_t>(value - previous));
        previous = value;
    }
}

void check_writable(const Module& module, SampleData samples) {
    require(module.channels >= 1 && module.channels <= 32, "channel count must be 1 to 32");
    require(!module.orders.empty() && module.orders.size() <= ORDER_TABLE_SIZE, "need 1 to 256 orders");
    require(module.patterns.size() <= 256, "more than 256 patterns");
    require(!module.instruments.empty() && module.instruments.size() <= 128, "need 1 to 128 instruments");
    require(module.speed >= 1 && module.speed < 32 && module.bpm >= 32 && module.bpm <= 255,
            "speed must be 1 to 31 and tempo 32 to 255");
    for (uint8_t order : module.orders) require(order < module.patterns.size(), "an order names a missing pattern");
    for (const Pattern& pattern : module.patterns) {
        require(pattern.rows >= 1 && pattern.rows <= 256, "a pattern needs 1 to 256 rows");
        require(pattern.cells.size() == static_cast<size_t>(pattern.rows) * module.channels,
                "a pattern's cells do not match its rows and channels");
    }
    for (const Instrument& instrument : module.instruments) {
        const Sample& sample = instrument.sample;
        require(instrument.volume_envelope.points.size() <= ENVELOPE_POINTS, "an envelope has more than 12 points");
        require(instrument.volume_envelope.sustain < static_cast<int>(instrument.volume_envelope.points.size()),
                "an envelope's sustain point does not exist");
        if (samples == SampleData::present) {
            require(!sample.data.empty(), "an instrument has no sample data");
        } else {
            require(sample.data.empty(), "a score's sample has data");
        }
        if (sample.loop != LoopType::none) {
            require(sample.loop_length > 0 && sample.loop_start + sample.loop_length <= sample.data.size(),
                    "a sample loop must be non-empty and inside the sample");
        }
    }
}

// ---- reading ----

Cell read_cell(Reader& in) {
    const uint8_t first = in.byte();
    if (!(first & 0x80)) return Cell{first, in.byte(), in.byte(), in.byte(), in.byte()};
    Cell cell;
    uint8_t* fields[] = {&cell.note, &cell.instrument, &cell.volume, &cell.effect, &cell.param};
    for (int i = 0; i < 5; ++i) {
        if (first & (1 << i)) *fields[i] = in.byte();
    }
    return cell;
}

Pattern read_pattern(Reader& in, int channels) {
    const size_t start = in.position();
    const uint32_t header_size = in.dword();
    require(in.byte() == 0, "unknown pattern packing");
    Pattern pattern;
    pattern.rows = in.word();
    require(pattern.rows >= 1 && pattern.rows <= 256, "a pattern needs 1 to 256 rows");
    const uint16_t packed = in.word();
    in.seek(start + header_size);
    pattern.cells.assign(static_cast<size_t>(pattern.rows) * channels, Cell{});
    if (packed == 0) return pattern;
    const size_t end = in.position() + packed;
    for (Cell& cell : pattern.cells) cell = read_cell(in);
    require(in.position() == end, "a pattern's packed size does not match its cells");
    return pattern;
}

Envelope read_envelope(Reader& in, const size_t points_at, uint8_t count, uint8_t sustain, uint8_t type) {
    Envelope envelope;
    if (!(type & ENVELOPE_ON)) return envelope;
    require(count <= ENVELOPE_POINTS, "an envelope has more than 12 points");
    const size_t resume = in.position();
    in.seek(points_at);
    for (uint8_t i = 0; i < count; ++i) {
        const uint16_t tick = in.word();
        envelope.points.push_back({tick, in.word()});
    }
    in.seek(resume);
    envelope.sustain = (type & ENVELOPE_SUSTAIN) ? sustain : -1;
    return envelope;
}

struct SampleHeader {
    uint32_t length = 0;
    uint32_t loop_start = 0;
    uint32_t loop_length = 0;
    uint8_t type = 0;
};

SampleHeader read_sample_header(Reader& in, Sample& sample) {
    SampleHeader header;
    header.length = in.dword();
    header.loop_start = in.dword();
    header.loop_length = in.dword();
    sample.volume = in.byte();
    sample.finetune = static_cast<int8_t>(in.byte());
    header.type = in.byte();
    sample.panning = in.byte();
    sample.relative_note = static_cast<int8_t>(in.byte());
    in.skip(1);
    sample.name = in.text(INSTRUMENT_NAME_SIZE);
    require(header.type & SAMPLE_16BIT, "only 16-bit samples are supported");
    require(header.length % 2 == 0 && header.loop_start % 2 == 0 && header.loop_length % 2 == 0,
            "odd byte count in a 16-bit sample");
    sample.loop = static_cast<LoopType>(header.type & 0x03);
    sample.loop_start = header.loop_start / 2;
    sample.loop_length = header.loop_length / 2;
    return header;
}

void read_sample_data(Reader& in, Sample& sample, uint32_t length_bytes) {
    sample.data.resize(length_bytes / 2);
    int16_t value = 0;
    for (int16_t& out : sample.data) {
        value = static_cast<int16_t>(value + static_cast<int16_t>(in.word()));
        out = value;
    }
}

Instrument read_instrument(Reader& in) {
    const size_t start = in.position();
    const uint32_t header_size = in.dword();
    Instrument instrument;
    instrument.name = in.text(INSTRUMENT_NAME_SIZE);
    in.skip(1);  // type
    const uint16_t samples = in.word();
    require(samples == 1, "only instruments with exactly one sample are supported");
    const uint32_t sample_header_size = in.dword();
    in.skip(96);
    const size_t volume_points_at = in.position();
    in.skip(96);  // volume and panning envelope points
    const uint8_t volume_count = in.byte();
    in.skip(1);
    const uint8_t volume_sustain = in.byte();
    in.skip(5);
    const uint8_t volume_type = in.byte();
    in.skip(1);
    instrument.vibrato.type = in.byte();
    instrument.vibrato.sweep = in.byte();
    instrument.vibrato.depth = in.byte();
    instrument.vibrato.rate = in.byte();
    instrument.fadeout = in.word();
    instrument.volume_envelope = read_envelope(in, volume_points_at, volume_count, volume_sustain, volume_type);
    in.seek(start + header_size);

    const size_t sample_header_at = in.position();
    const SampleHeader header = read_sample_header(in, instrument.sample);
    in.seek(sample_header_at + sample_header_size);
    read_sample_data(in, instrument.sample, header.length);
    return instrument;
}

}  // namespace

bool Cell::operator==(const Cell& o) const {
    return note == o.note && instrument == o.instrument && volume == o.volume && effect == o.effect &&
           param == o.param;
}
bool Pattern::operator==(const Pattern& o) const { return rows == o.rows && cells == o.cells; }
bool EnvelopePoint::operator==(const EnvelopePoint& o) const { return tick == o.tick && level == o.level; }
bool Envelope::operator==(const Envelope& o) const { return points == o.points && sustain == o.sustain; }
bool Sample::operator==(const Sample& o) const {
    return name == o.name && data == o.data && loop_start == o.loop_start && loop_length == o.loop_length &&
           loop == o.loop && volume == o.volume && finetune == o.finetune && panning == o.panning &&
           relative_note == o.relative_note;
}
bool AutoVibrato::operator==(const AutoVibrato& o) const {
    return type == o.type && sweep == o.sweep && depth == o.depth && rate == o.rate;
}
bool Instrument::operator==(const Instrument& o) const {
    return name == o.name && volume_envelope == o.volume_envelope && fadeout == o.fadeout &&
           vibrato == o.vibrato && sample == o.sample;
}
bool Module::operator==(const Module& o) const {
    return name == o.name && tracker == o.tracker && channels == o.channels && restart == o.restart &&
           speed == o.speed && bpm == o.bpm && orders == o.orders && patterns == o.patterns &&
           instruments == o.instruments;
}

std::vector<uint8_t> write_xm(const Module& module, SampleData samples) {
    check_writable(module, samples);
    Writer out;
    write_header(out, module);
    for (const Pattern& pattern : module.patterns) write_pattern(out, pattern);
    for (const Instrument& instrument : module.instruments) {
        write_instrument_header(out, instrument);
        write_sample_header(out, instrument.sample);
        write_sample_data(out, instrument.sample);
    }
    return out.take();
}

Module read_xm(const std::vector<uint8_t>& bytes) {
    Reader in(bytes);
    require(in.text(SIGNATURE_SIZE) == SIGNATURE, "not an XM file");
    Module module;
    module.name = in.text(NAME_SIZE);
    require(in.byte() == 0x1A, "missing 0x1A after the module name");
    module.tracker = in.text(NAME_SIZE);
    require(in.word() == VERSION, "unsupported XM version");
    const size_t header_at = in.position();
    const uint32_t header_size = in.dword();
    const uint16_t order_count = in.word();
    module.restart = in.word();
    module.channels = in.word();
    const uint16_t pattern_count = in.word();
    const uint16_t instrument_count = in.word();
    require(in.word() & LINEAR_FREQUENCIES, "only linear frequency tables are supported");
    module.speed = in.word();
    module.bpm = in.word();
    require(order_count <= ORDER_TABLE_SIZE, "more than 256 orders");
    for (size_t i = 0; i < ORDER_TABLE_SIZE; ++i) {
        const uint8_t order = in.byte();
        if (i < order_count) module.orders.push_back(order);
    }
    in.seek(header_at + header_size);
    for (uint16_t i = 0; i < pattern_count; ++i) module.patterns.push_back(read_pattern(in, module.channels));
    for (uint16_t i = 0; i < instrument_count; ++i) module.instruments.push_back(read_instrument(in));
    return module;
}

}  // namespace xm
