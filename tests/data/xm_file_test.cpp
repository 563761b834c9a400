// The XM writer and reader: the header layout the players check, the packed
// cells, delta-coded samples, the round trip, and the playing time.
#include <gtest/gtest.h>

#include "xm/xm_module.h"

namespace {

uint16_t word_at(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

uint32_t dword_at(const std::vector<uint8_t>& bytes, size_t at) {
    return word_at(bytes, at) | static_cast<uint32_t>(word_at(bytes, at + 2)) << 16;
}

xm::Pattern pattern_of(int rows, int channels) {
    xm::Pattern pattern;
    pattern.rows = rows;
    pattern.cells.assign(static_cast<size_t>(rows) * channels, xm::Cell{});
    return pattern;
}

xm::Module small_module() {
    xm::Module m;
    m.name = "round trip";
    m.tracker = "tests";
    m.channels = 2;
    m.speed = 4;
    m.bpm = 150;
    m.orders = {1, 0, 1};
    m.patterns = {pattern_of(3, 2), pattern_of(1, 2)};
    m.patterns[0].at(0, 0, 2) = {49, 1, 0x50, 0x0A, 0x0F};  // every field: stored unpacked
    m.patterns[0].at(2, 1, 2) = {xm::NOTE_KEY_OFF, 0, 0, 0, 0};
    m.patterns[1].at(0, 1, 2) = {0, 2, 0, 0, 0x37};
    xm::Instrument one;
    one.name = "one";
    one.sample.name = "one sample";
    one.sample.data = {0, 1000, -1000, 32767, -32768, 5};
    one.sample.loop = xm::LoopType::forward;
    one.sample.loop_start = 1;
    one.sample.loop_length = 4;
    one.sample.relative_note = -12;
    one.sample.finetune = -16;
    one.volume_envelope = {{{0, 64}, {10, 20}, {30, 0}}, 1};
    one.fadeout = 1234;
    one.vibrato = {1, 2, 3, 4};
    xm::Instrument two;
    two.name = "two";
    two.sample.data = {7, 7, 7};
    two.sample.volume = 33;
    two.sample.panning = 10;
    m.instruments = {one, two};
    return m;
}

TEST(XmFile, HeaderHasTheLayoutPlayersCheck) {
    const std::vector<uint8_t> bytes = xm::write_xm(small_module());
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 17), "Extended Module: ");
    EXPECT_EQ(std::string(bytes.begin() + 17, bytes.begin() + 27), "round trip");
    EXPECT_EQ(bytes[37], 0x1A);
    EXPECT_EQ(word_at(bytes, 58), 0x0104);
    EXPECT_EQ(dword_at(bytes, 60), 276u);
    EXPECT_EQ(word_at(bytes, 64), 3);  // orders
    EXPECT_EQ(word_at(bytes, 68), 2);  // channels
    EXPECT_EQ(word_at(bytes, 70), 2);  // patterns
    EXPECT_EQ(word_at(bytes, 72), 2);  // instruments
    EXPECT_EQ(word_at(bytes, 74), 1);  // linear frequencies
    EXPECT_EQ(word_at(bytes, 76), 4);
    EXPECT_EQ(word_at(bytes, 78), 150);
    EXPECT_EQ(bytes[80], 1);
    EXPECT_EQ(bytes[82], 1);
    EXPECT_EQ(bytes[83], 0);  // unused order entries
}

TEST(XmFile, PacksCellsAndDeltaCodesSamples) {
    const std::vector<uint8_t> bytes = xm::write_xm(small_module());
    const size_t pattern = 336;
    EXPECT_EQ(dword_at(bytes, pattern), 9u);
    EXPECT_EQ(word_at(bytes, pattern + 5), 3);  // rows
    const std::vector<uint8_t> expected = {49, 1, 0x50, 0x0A, 0x0F,  // full cell, unpacked
                                           0x80, 0x80, 0x80, 0x80,    // four empty cells
                                           0x81, xm::NOTE_KEY_OFF};   // note only
    EXPECT_EQ(word_at(bytes, pattern + 7), expected.size());
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + pattern + 9, bytes.begin() + pattern + 9 + expected.size()),
              expected);

    // The first instrument's sample data ends where the second instrument begins.
    const size_t second_instrument = bytes.size() - 263 - 40 - 6;
    const size_t first_data = second_instrument - 12;
    const int16_t deltas[] = {0, 1000, -2000, -31769, 1, -32763};  // differences wrap in 16 bits
    for (int i = 0; i < 6; ++i) EXPECT_EQ(static_cast<int16_t>(word_at(bytes, first_data + 2 * i)), deltas[i]) << i;
    EXPECT_EQ(dword_at(bytes, second_instrument), 263u);
}

TEST(XmFile, ReadsBackWhatItWrote) {
    const xm::Module module = small_module();
    const std::vector<uint8_t> bytes = xm::write_xm(module);
    const xm::Module read = xm::read_xm(bytes);
    EXPECT_EQ(read, module);
    EXPECT_EQ(xm::write_xm(read), bytes);
}

TEST(XmFile, ReaderRefusesBrokenFiles) {
    const std::vector<uint8_t> good = xm::write_xm(small_module());
    std::vector<uint8_t> truncated(good.begin(), good.end() - 1);
    EXPECT_THROW(xm::read_xm(truncated), xm::FormatError);
    std::vector<uint8_t> signature = good;
    signature[9] = 'm';  // "Extended module: "
    EXPECT_THROW(xm::read_xm(signature), xm::FormatError);
    std::vector<uint8_t> version = good;
    version[58] = 0x05;
    EXPECT_THROW(xm::read_xm(version), xm::FormatError);
    EXPECT_THROW(xm::read_xm({}), xm::FormatError);
}

TEST(XmFile, WriterRefusesModulesPlayersReject) {
    const auto refuses = [](auto change) {
        xm::Module m = small_module();
        change(m);
        EXPECT_THROW(xm::write_xm(m), xm::FormatError);
    };
    refuses([](xm::Module& m) { m.orders.push_back(2); });
    refuses([](xm::Module& m) { m.orders.clear(); });
    refuses([](xm::Module& m) { m.instruments.clear(); });
    refuses([](xm::Module& m) { m.instruments[1].sample.data.clear(); });
    refuses([](xm::Module& m) { m.instruments[0].sample.loop_length = 0; });
    refuses([](xm::Module& m) { m.instruments[0].sample.loop_start = 3; });  // 3 + 4 > 6 frames
    refuses([](xm::Module& m) { m.bpm = 0; });
    refuses([](xm::Module& m) { m.patterns[1].cells.pop_back(); });
}

TEST(XmFile, SongLengthFollowsSpeedTempoAndBreaks) {
    xm::Module m = small_module();
    m.speed = 6;
    m.bpm = 125;  // 0.12 s a row
    m.orders = {0, 1};
    EXPECT_NEAR(xm::song_seconds(m), 4 * 0.12, 1e-9);

    m.patterns[0].at(1, 1, 2) = {0, 0, 0, 0x0F, 0x03};  // speed 3 from row 1 on: 0.06 s a row
    EXPECT_NEAR(xm::song_seconds(m), 0.12 + 3 * 0.06, 1e-9);

    m.patterns[0].at(1, 0, 2) = {0, 0, 0, 0x0F, 250};  // and tempo 250: 0.03 s a row
    EXPECT_NEAR(xm::song_seconds(m), 0.12 + 3 * 0.03, 1e-9);

    m.patterns[0].at(0, 1, 2) = {0, 0, 0, 0x0D, 0x00};  // break after row 0 to row 0 of pattern 1
    EXPECT_NEAR(xm::song_seconds(m), 0.12 + 0.12, 1e-9);

    m.patterns[0].at(0, 1, 2) = {0, 0, 0, 0x0B, 0x00};
    EXPECT_THROW(xm::song_seconds(m), xm::FormatError);
}

}  // namespace
