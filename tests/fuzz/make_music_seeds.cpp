// Writes a small module in each format libmikmod reads besides XM, and one
// packed by each packer it unpacks, into a folder: the seeds the music's
// fuzz target starts from. Each is made from the format's published layout:
// one short pattern playing one short sample where the layout is simple
// enough, otherwise a header the loader takes for its format, from which
// the fuzzer goes on.
//
//   make-music-seeds DIR
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

// A file image written front to back, with fields placed anywhere.
class Bytes {
public:
    size_t size() const { return bytes_.size(); }
    const std::vector<uint8_t>& data() const { return bytes_; }

    Bytes& u8(unsigned value) {
        bytes_.push_back(static_cast<uint8_t>(value));
        return *this;
    }
    Bytes& le16(unsigned value) { return u8(value & 0xFF).u8(value >> 8); }
    Bytes& le32(uint32_t value) { return le16(value & 0xFFFF).le16(value >> 16); }
    Bytes& be16(unsigned value) { return u8(value >> 8).u8(value & 0xFF); }
    Bytes& be32(uint32_t value) { return be16(value >> 16).be16(value & 0xFFFF); }
    Bytes& many(std::initializer_list<unsigned> values) {
        for (unsigned value : values) u8(value);
        return *this;
    }
    // `text` padded with zeros to `width` bytes (or as long as it is).
    Bytes& text(const std::string& text, size_t width = 0) {
        for (char c : text) u8(static_cast<uint8_t>(c));
        return zeros(width > text.size() ? width - text.size() : 0);
    }
    Bytes& zeros(size_t count) { return fill(count, 0); }
    // Unreal's compact index: sign and 6 bits, then 7 bits a byte.
    Bytes& compact_index(int32_t value) {
        uint32_t magnitude = value < 0 ? -static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
        unsigned first = (value < 0 ? 0x80 : 0) | (magnitude & 0x3F);
        magnitude >>= 6;
        u8(first | (magnitude ? 0x40 : 0));
        while (magnitude) {
            const unsigned next = magnitude & 0x7F;
            magnitude >>= 7;
            u8(next | (magnitude ? 0x80 : 0));
        }
        return *this;
    }
    Bytes& fill(size_t count, unsigned value) {
        bytes_.insert(bytes_.end(), count, static_cast<uint8_t>(value));
        return *this;
    }
    // Pads to `offset` (which must not lie behind the end).
    Bytes& to(size_t offset) { return zeros(offset - size()); }
    Bytes& append(const Bytes& other) {
        bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
        return *this;
    }
    void put_le16(size_t at, unsigned value) {
        bytes_.at(at) = value & 0xFF;
        bytes_.at(at + 1) = (value >> 8) & 0xFF;
    }
    void put_le32(size_t at, uint32_t value) {
        put_le16(at, value & 0xFFFF);
        put_le16(at + 2, value >> 16);
    }
    void put_be32(size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes_.at(at + i) = (value >> (24 - 8 * i)) & 0xFF;
    }

private:
    std::vector<uint8_t> bytes_;
};

constexpr size_t SAMPLE_BYTES = 32;

// One period of a square wave, signed 8-bit.
Bytes sample_data() { return Bytes().fill(SAMPLE_BYTES / 2, 0x40).fill(SAMPLE_BYTES / 2, 0xC0); }

// Pads `file` to the next paragraph (16 bytes), stores that paragraph's
// number as a word at `pointer_at` and puts the sample data there.
Bytes sample_at_next_paragraph(Bytes file, size_t pointer_at) {
    const size_t data = (file.size() + 15) / 16 * 16;
    file.to(data);
    file.put_le16(pointer_at, static_cast<unsigned>(data / 16));
    return file.append(sample_data());
}

// Scream Tracker 3's packed rows: C-4 of sample 1 at volume 64 on the first
// channel's first row, then 63 empty rows.
Bytes scream_tracker_rows() {
    Bytes rows;
    rows.many({0x20 | 0x40, 0x40, 1, 64, 0});
    return rows.zeros(63);
}

// ProTracker: 31 samples (or 15 in the older Sound Tracker layout, without
// the signature), one pattern of 64 rows by 4 channels, C-3 on the first row.
Bytes protracker(int samples, const char* signature) {
    Bytes file;
    file.text("seed", 20);
    for (int i = 0; i < samples; ++i) {
        file.text(i == 0 ? "st-00:seed" : "", 22);
        const bool used = i == 0;
        file.be16(used ? SAMPLE_BYTES / 2 : 0).u8(0).u8(used ? 64 : 0).be16(0).be16(1);
    }
    file.u8(1).u8(signature ? 127 : 120).u8(0).zeros(127);
    if (signature) file.text(signature);
    // Sample 1, period 428 (C-3), no effect.
    file.many({0x01, 0xAC, 0x10, 0x00}).zeros(64 * 4 * 4 - 4);
    return file.append(sample_data());
}

// Scream Tracker 3: one order, one sample, one packed pattern.
Bytes scream_tracker_3() {
    Bytes file;
    file.text("seed", 28).u8(0x1A).u8(16).zeros(2);
    file.le16(2).le16(1).le16(1).le16(0).le16(0x1320).le16(2).text("SCRM");
    file.u8(64).u8(6).u8(125).u8(0xB0).u8(0).u8(0).zeros(8).le16(0);
    file.many({0, 8, 1, 9}).fill(28, 0xFF);
    file.many({0, 0xFF});                               // orders
    const size_t pointers = file.size();
    file.le16(0).le16(0).to(0x70);                      // sample and pattern parapointers
    const size_t sample = file.size();
    file.put_le16(pointers, static_cast<unsigned>(sample / 16));
    file.u8(1).text("seed.smp", 12).u8(0).le16(0).le32(SAMPLE_BYTES).le32(0).le32(0);
    file.u8(64).u8(0).u8(0).u8(0).le32(8363).zeros(12).text("seed", 28).text("SCRS");
    const size_t pattern = (file.size() + 15) / 16 * 16;
    file.to(pattern);
    file.put_le16(pointers + 2, static_cast<unsigned>(pattern / 16));
    const Bytes rows = scream_tracker_rows();
    file.le16(static_cast<unsigned>(rows.size() + 2)).append(rows);
    return sample_at_next_paragraph(file, sample + 0x0E);
}

// Impulse Tracker in sample mode: one order, one sample, one pattern.
Bytes impulse_tracker() {
    Bytes file;
    file.text("IMPM").text("seed", 26).le16(0x1004);
    file.le16(2).le16(0).le16(1).le16(1).le16(0x0214).le16(0x0200).le16(1).le16(0);
    file.u8(128).u8(48).u8(6).u8(125).u8(128).u8(0).le16(0).le32(0).le32(0);
    file.fill(4, 32).fill(60, 32 | 128).fill(64, 64);   // panning, volume
    file.many({0, 0xFF});
    const size_t offsets = file.size();
    file.le32(0).le32(0);
    const size_t sample = file.size();
    file.put_le32(offsets, static_cast<uint32_t>(sample));
    file.text("IMPS").text("", 12).u8(0).u8(64).u8(1).u8(64).text("seed", 26);
    file.u8(1).u8(32).le32(SAMPLE_BYTES).le32(0).le32(0).le32(8363).le32(0).le32(0);
    const size_t data_pointer = file.size();
    file.le32(0).many({0, 0, 0, 0});
    const size_t pattern = file.size();
    file.put_le32(offsets + 4, static_cast<uint32_t>(pattern));
    Bytes rows;
    rows.many({0x81, 0x03, 60, 1, 0});                  // channel 1: C-5, sample 1
    for (int row = 1; row < 16; ++row) rows.u8(0);
    file.le16(static_cast<unsigned>(rows.size())).le16(16).le32(0).append(rows);
    file.put_le32(data_pointer, static_cast<uint32_t>(file.size()));
    return file.append(sample_data());
}

// Composer 669: one sample, one pattern of 8 channels.
Bytes composer_669() {
    Bytes file;
    file.text("if").text("seed", 108).u8(1).u8(1).u8(0);
    file.u8(0).fill(127, 0xFF).fill(128, 4).fill(128, 63);
    file.text("seed.smp", 13).le32(SAMPLE_BYTES).le32(0).le32(0xFFFFF);
    for (int row = 0; row < 64; ++row) {
        for (int channel = 0; channel < 8; ++channel) {
            if (row == 0 && channel == 0)
                file.many({36 << 2, 0x0F, 0xFF});       // note 36, sample 0, volume 15
            else
                file.many({0xFF, 0x00, 0xFF});
        }
    }
    return file.append(sample_data());
}

// Scream Tracker 2: one sample, one pattern.
Bytes scream_tracker_2() {
    Bytes file;
    file.text("seed", 20).text("!Scream!").u8(0x1A).u8(2).u8(2).u8(21);
    file.u8(0x60).u8(1).u8(64).zeros(13);
    const size_t sample = file.size();
    for (int i = 0; i < 31; ++i) {
        const bool used = i == 0;
        file.text(used ? "seed.smp" : "", 12).u8(0).u8(0).le16(0);
        file.le16(used ? SAMPLE_BYTES : 0).le16(0).le16(0xFFFF).u8(used ? 64 : 0).u8(0).le16(8363).zeros(6);
    }
    file.u8(0).fill(127, 99);
    for (int cell = 0; cell < 64 * 4; ++cell) {
        if (cell == 0)
            file.many({0x40, 0x08, 0x40, 0x00});        // C-4, sample 1, volume 64
        else
            file.many({0xFF, 0x01, 0x80, 0x00});
    }
    return sample_at_next_paragraph(file, sample + 14);
}

// UltraTracker 1.6: one sample, four channels, one pattern.
Bytes ultratracker() {
    Bytes file;
    file.text("MAS_UTrack_V004").text("seed", 32).u8(0).u8(1);
    file.text("seed", 32).text("seed.smp", 12).le32(0).le32(0).le32(0).le32(SAMPLE_BYTES);
    file.u8(255).u8(0).le16(8363).le16(0);
    file.u8(0).fill(255, 0xFF).u8(3).u8(0).many({0, 15, 0, 15});
    for (int channel = 0; channel < 4; ++channel) {
        file.many({channel == 0 ? 37u : 0u, channel == 0 ? 1u : 0u, 0, 0, 0});
        file.many({0xFC, 63, 0, 0, 0, 0, 0});           // 63 empty rows
    }
    return file.append(sample_data());
}

// Farandole Composer: one pattern of 4 rows, one sample.
Bytes farandole() {
    Bytes file;
    file.text("FAR\xFE").text("seed", 40).many({13, 10, 26});
    const size_t header_length = file.size();
    file.le16(0).u8(0x10).fill(4, 1).zeros(12).zeros(9).u8(4).fill(16, 8).zeros(4).le16(0);
    file.u8(0).fill(255, 0xFF).u8(1).u8(1).u8(0);
    file.le16(2 + 4 * 16 * 4).zeros(255 * 2);
    file.put_le16(header_length, static_cast<unsigned>(file.size()));
    file.u8(3).u8(0);
    for (int cell = 0; cell < 4 * 16; ++cell) file.many({cell == 0 ? 37u : 0u, 0, cell == 0 ? 0xFu : 0u, 0});
    file.u8(1).zeros(7);
    file.text("seed", 32).le32(SAMPLE_BYTES).u8(0).u8(15).le32(0).le32(0).u8(0).u8(0);
    return file.append(sample_data());
}

// Oktalyzer: IFF chunks, big-endian, four channels, one pattern.
Bytes oktalyzer() {
    Bytes file;
    file.text("OKTASONG");
    file.text("CMOD").be32(8).be16(0).be16(0).be16(0).be16(0);
    file.text("SAMP").be32(36 * 32);
    for (int i = 0; i < 36; ++i) {
        const bool used = i == 0;
        file.text(used ? "seed" : "", 20).be32(used ? SAMPLE_BYTES : 0).be16(0).be16(0).u8(0).u8(used ? 64 : 0).be16(0);
    }
    file.text("SPEE").be32(2).be16(6);
    file.text("SLEN").be32(2).be16(1);
    file.text("PLEN").be32(2).be16(1);
    file.text("PATT").be32(128).zeros(128);
    file.text("PBOD").be32(2 + 16 * 4 * 4).be16(16);
    for (int cell = 0; cell < 16 * 4; ++cell) file.many({cell == 0 ? 13u : 0u, 0, 0, 0});
    file.text("SBOD").be32(SAMPLE_BYTES);
    return file.append(sample_data());
}

// DSMI's Advanced Module Format 1.4: one order of four channels, the first
// playing the one packed track, the others the library's empty track.
Bytes dsmi_amf() {
    Bytes file;
    file.text("AMF").u8(14).text("seed", 32).u8(1).u8(1).le16(1).u8(4).zeros(32).u8(125).u8(6);
    file.le16(64).le16(1).le16(2).le16(2).le16(2);
    file.u8(1).text("seed", 32).text("seed.smp", 13).le32(1).le32(SAMPLE_BYTES).le16(8363).u8(64).le32(0).le32(0);
    file.le16(1);                                       // track 1 is the first stored
    file.le16(3).u8(0).many({0, 48, 63, 0, 0x80, 0, 0xFF, 0xFF, 0xFF});
    return file.append(sample_data());
}

// DSIK's RIFF module: a song chunk, one sample, one pattern.
Bytes dsik() {
    Bytes song;
    song.text("seed", 28).le16(0x0100).le16(0).le32(0).le16(1).le16(1).le16(1).le16(4);
    song.u8(64).u8(64).u8(6).u8(125).fill(16, 0x40).u8(0).fill(127, 0xFF);
    Bytes sample;
    sample.text("seed.smp", 13).le16(2).u8(64).le32(SAMPLE_BYTES).le32(0).le32(0).le32(0).le16(8363).le16(0);
    sample.text("seed", 28).append(sample_data());
    Bytes rows;
    rows.many({0x80 | 0x40 | 0x20, 48, 1, 64, 0});      // channel 0: a note, sample 1, volume 64
    for (int row = 1; row < 64; ++row) rows.u8(0);
    Bytes pattern;
    pattern.le16(static_cast<unsigned>(rows.size())).append(rows);
    Bytes file;
    file.text("RIFF").le32(0).text("DSMF");
    file.text("SONG").le32(static_cast<uint32_t>(song.size())).append(song);
    file.text("INST").le32(static_cast<uint32_t>(sample.size())).append(sample);
    file.text("PATT").le32(static_cast<uint32_t>(pattern.size())).append(pattern);
    file.put_le32(4, static_cast<uint32_t>(file.size() - 8));
    return file;
}

// General Digimusic: four channels, one order, one pattern, one sample.
// The header counts orders, patterns and samples less one.
Bytes general_digimusic() {
    Bytes file;
    file.text("GDM\xFE").text("seed", 32).text("", 32).many({13, 10, 26}).text("GMFS");
    file.u8(1).u8(0).le16(0).u8(1).u8(0).fill(4, 8).fill(28, 255).u8(64).u8(6).u8(125).le16(0);
    const size_t tables = file.size();
    file.le32(0).u8(0).le32(0).u8(0).le32(0).le32(0).u8(0);
    file.le32(0).le32(0).le32(0).le16(0).le32(0).le16(0);
    file.put_le32(tables, static_cast<uint32_t>(file.size()));
    file.u8(0);
    file.put_le32(tables + 5, static_cast<uint32_t>(file.size()));
    Bytes rows;
    rows.many({0x20, 0x30, 1});                         // channel 0: a note, sample 1
    rows.zeros(64);
    file.le16(static_cast<unsigned>(2 + rows.size())).append(rows);
    file.put_le32(tables + 10, static_cast<uint32_t>(file.size()));
    file.text("seed", 32).text("seed.smp", 12).u8(0).le32(SAMPLE_BYTES).le32(0).le32(0).u8(0).le16(8363);
    file.u8(64).u8(255);
    file.put_le32(tables + 14, static_cast<uint32_t>(file.size()));
    return file.append(sample_data());
}

// Imago Orpheus: four channels, one order, one pattern, one instrument
// with one sample.
Bytes imago_orpheus() {
    Bytes file;
    file.text("seed", 32).le16(1).le16(1).le16(1).le16(0).zeros(8).u8(6).u8(125).u8(64).u8(48).zeros(8);
    file.text("IM10");
    for (int channel = 0; channel < 32; ++channel) file.text("", 12).u8(0).u8(0).u8(128).u8(channel < 4 ? 0 : 2);
    file.u8(0).fill(255, 0xFF);
    Bytes rows;
    rows.many({0x20, 0x40, 1, 0});                      // channel 0: C-5, instrument 1
    rows.zeros(15);
    file.le16(static_cast<unsigned>(4 + rows.size())).le16(16).append(rows);
    file.text("seed", 32).zeros(120).zeros(8).zeros(3 * 64).zeros(3 * 8).le16(0).le16(1).text("II10");
    file.text("seed.smp", 13).zeros(3).le32(SAMPLE_BYTES).le32(0).le32(0).le32(8363).u8(64).u8(128).zeros(14);
    file.u8(0).zeros(11).text("IS10");
    return file.append(sample_data());
}

// OctaMED's MMD0, big-endian: the header, the song, one sample and one
// block of 16 lines by 4 tracks.
Bytes octamed() {
    Bytes file;
    file.text("MMD0").be32(0).be32(52).be16(0).be16(0).be32(0).be32(0).be32(0).be32(0).be32(0).be32(0);
    file.zeros(5 * 2).u8(0).u8(0);
    for (int i = 0; i < 63; ++i) file.be16(0).be16(1).u8(0).u8(0).u8(64).u8(0);
    file.be16(1).be16(1).zeros(256);
    file.be16(125).u8(0).u8(0x20).u8(0).u8(6).fill(16, 64).u8(64).u8(1);
    file.put_be32(16, static_cast<uint32_t>(file.size()));       // block pointers
    file.be32(static_cast<uint32_t>(file.size() + 8));
    file.put_be32(24, static_cast<uint32_t>(file.size()));       // sample pointers
    file.be32(static_cast<uint32_t>(file.size() + 4 + 2 + 16 * 4 * 3));
    file.u8(4).u8(15);
    for (int cell = 0; cell < 16 * 4; ++cell) file.many({cell == 0 ? 13u : 0u, cell == 0 ? 0x10u : 0u, 0});
    file.be32(SAMPLE_BYTES).be16(0).append(sample_data());
    file.put_be32(4, static_cast<uint32_t>(file.size()));
    return file;
}

// Scream Tracker Music Interface Kit: one order, one sample, one pattern.
// Its tables are found through paragraph (16-byte) pointers.
Bytes stmik() {
    const Bytes rows = scream_tracker_rows();
    const unsigned pattern_size = static_cast<unsigned>(rows.size() + 2);
    Bytes file;
    file.text("seed", 20).text("!Scream!").le16(pattern_size).le16(0);
    file.le16(0x50 / 16).le16(0x40 / 16).le16(0x100 / 16).le16(0).le16(0).u8(0).u8(0x60).le16(0).le16(0);
    file.le16(1).le16(1).le16(1).le16(0).le16(0).le16(0).text("SCRM");
    file.le16(0x60 / 16).to(0x50).le16(0x130 / 16).to(0x60);
    file.u8(1).text("seed.smp", 12).u8(0).le16(0x180 / 16).le32(SAMPLE_BYTES).le32(0).le32(0);
    file.u8(64).u8(0).u8(0).u8(0).le32(8448).zeros(12).text("seed", 28).text("SCRS");
    file.to(0x100).zeros(32).u8(0).zeros(4);
    file.to(0x130).le16(pattern_size).append(rows);
    file.to(0x180);
    return file.append(sample_data());
}

// libmikmod's own UNI format (version 6, big-endian but for the lengths of
// its strings): one channel, one pattern whose one track plays the one
// sample on its first row, in the library's own track coding.
Bytes unimod() {
    Bytes file;
    file.text("UN06").u8(0).be16(0).u8(1).u8(4).be16(1).be16(1).be16(1).be16(1).be16(1).be16(0);
    file.u8(6).u8(125).u8(128);
    for (const char* text : {"seed", "seed", ""}) file.le16(static_cast<unsigned>(std::string(text).size())).text(text);
    file.u8(0).be16(128).u8(64);                        // order, panning, channel volume
    file.be16(0x0002).be32(8363).u8(64).be16(128).be32(SAMPLE_BYTES).be32(0).be32(0).be32(0).be32(0);
    file.u8(64).zeros(5).le16(0);
    file.be16(16).be16(0);                              // 16 rows, track 0
    const std::initializer_list<unsigned> track = {0x05, 2, 0, 1, 48, 0};   // instrument 0, note 48
    file.be16(static_cast<unsigned>(track.size())).many(track);
    return file.append(sample_data());
}

// An Unreal package (version 61) holding the ProTracker seed as its one
// export: the name table names its type, the export points at the object.
Bytes unreal_package(const Bytes& module) {
    constexpr uint32_t NAMES_AT = 64, EXPORTS_AT = 72;
    Bytes file;
    file.le32(0x9E2A83C1).le32(61).le32(0).le32(1).le32(NAMES_AT).le32(1).le32(EXPORTS_AT).le32(0).le32(0);
    file.to(NAMES_AT).text("MOD").u8(0).le32(0);
    Bytes object;
    object.u8(0).u8(0).compact_index(static_cast<int32_t>(module.size())).append(module);
    file.u8(0).u8(0).le32(0).u8(0).le32(0).compact_index(static_cast<int32_t>(object.size()));
    file.compact_index(EXPORTS_AT + 20).to(EXPORTS_AT + 20);
    return file.append(object);
}

// PowerPacker: `module` (512 bytes or more) as one literal run. The packed
// bits are read from their end backwards, each byte from its lowest bit,
// and the module is written from its end backwards.
Bytes powerpacked(const Bytes& module) {
    std::vector<bool> bits;
    const auto put = [&bits](unsigned value, int count) {
        while (count-- > 0) bits.push_back((value >> count) & 1);
    };
    put(0, 1);
    size_t run = module.size() - 1;
    for (; run >= 3; run -= 3) put(3, 2);
    put(static_cast<unsigned>(run), 2);
    for (auto byte = module.data().rbegin(); byte != module.data().rend(); ++byte) put(*byte, 8);
    std::vector<uint8_t> packed(((bits.size() + 7) / 8 + 3) & ~size_t{3}, 0);
    for (size_t i = 0; i < bits.size(); ++i) packed[packed.size() - 1 - i / 8] |= bits[i] << (i % 8);
    Bytes file;
    file.text("PP20").many({9, 9, 9, 9});
    for (uint8_t byte : packed) file.u8(byte);
    const auto size = static_cast<uint32_t>(module.size());
    return file.u8(size >> 16).u8(size >> 8).u8(size).u8(0);
}

// XPK's SQSH: `module` as one stored block, whose check word is its
// longwords (in the machine's order) folded by exclusive or.
Bytes xpk_packed(const Bytes& module) {
    Bytes block = module;
    block.zeros((4 - block.size() % 4) % 4);
    uint32_t sum = 0;
    for (size_t at = 0; at < block.size(); at += 4) {
        const auto& b = block.data();
        sum ^= b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
    }
    const auto size = static_cast<uint32_t>(block.size());
    Bytes file;
    file.text("XPKF").be32(0).text("SQSH").be32(size).zeros(20);
    file.u8(0).u8(0).le16((sum ^ sum >> 16) & 0xFFFF).be16(size).be16(size).append(block).zeros(4);
    file.put_be32(4, static_cast<uint32_t>(file.size() - 8));
    return file;
}

// StoneCracker's S404: the header (kept length, unpacked and packed sizes)
// before `module`'s bytes as the packed stream, from which the fuzzer goes on.
Bytes stonecracked(const Bytes& module) {
    const auto size = static_cast<uint32_t>(module.size());
    Bytes file;
    file.text("S404").be32(0).be32(size).be32(size - 16);
    return file.append(module);
}

void write(const std::string& folder, const char* name, const Bytes& bytes) {
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data().data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "make-music-seeds: cannot write %s/%s\n", folder.c_str(), name);
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-music-seeds DIR\n");
        return 2;
    }
    const std::string folder = argv[1];
    const Bytes mod = protracker(31, "M.K.");
    write(folder, "seed.mod", mod);
    write(folder, "seed15.mod", protracker(15, nullptr));
    write(folder, "seed.s3m", scream_tracker_3());
    write(folder, "seed.it", impulse_tracker());
    write(folder, "seed.669", composer_669());
    write(folder, "seed.stm", scream_tracker_2());
    write(folder, "seed.ult", ultratracker());
    write(folder, "seed.far", farandole());
    write(folder, "seed.okt", oktalyzer());
    write(folder, "seed.amf", dsmi_amf());
    write(folder, "seed.dsm", dsik());
    write(folder, "seed.gdm", general_digimusic());
    write(folder, "seed.imf", imago_orpheus());
    write(folder, "seed.med", octamed());
    write(folder, "seed.stx", stmik());
    write(folder, "seed.uni", unimod());
    write(folder, "seed.umx", unreal_package(mod));
    write(folder, "seed.pp20", powerpacked(mod));
    write(folder, "seed.xpk", xpk_packed(mod));
    write(folder, "seed.s404", stonecracked(mod));
    return 0;
}
