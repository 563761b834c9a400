// The music: start, per-frame update, reload when the song ends, stop, and
// the messages on standard error. Sound goes to SDL's dummy audio driver.
#include <gtest/gtest.h>

#include <mikmod.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "data_folder.h"
#include "fake_screen.h"
#include "intro/intro.h"

namespace {

using data_test::count_lines;
using data_test::DataFolder;

// Makes the player see the end of the song, as after its last row.
void force_song_end() { music_module->sngpos = music_module->numpos; }

template <typename F>
std::string captured_stderr(F&& f) {
    testing::internal::CaptureStderr();
    f();
    return testing::internal::GetCapturedStderr();
}

TEST(Music, PlaysTheSongQuietlyAndStops) {
    const DataFolder folder;
    const std::string errors = captured_stderr([] {
        music_start();
        ASSERT_NE(music_module, nullptr);
        EXPECT_EQ(music_module->numchn, 4);
        EXPECT_TRUE(Player_Active());
        MODULE* const playing = music_module;
        for (int frame = 0; frame < 10; ++frame) music_update();
        EXPECT_EQ(music_module, playing);
        music_stop();
    });
    EXPECT_EQ(music_module, nullptr);
    EXPECT_EQ(errors, "");
}

TEST(Music, MissingModuleGivesExactlyOneErrorLine) {
    const DataFolder folder("ocean.xm");
    const std::string errors = captured_stderr([] {
        music_start();
        EXPECT_EQ(music_module, nullptr);
        for (int frame = 0; frame < 10; ++frame) music_update();
        EXPECT_EQ(music_module, nullptr);
        music_stop();
    });
    EXPECT_EQ(errors.rfind("Error loading: ", 0), 0u) << errors;
    EXPECT_EQ(count_lines(errors), 1) << errors;
}

// A pipe in place of the module never reaches the library, whose reader would
// wait for a writer for good (alarm() ends a test that blocks): start-up
// prints the line of a missing file, and a reload that meets a pipe is as
// silent as one that meets no file.
TEST(Music, ModuleOnAPipeIsRefusedLikeAMissingOne) {
    alarm(20);
    DataFolder folder;
    const std::string errors = captured_stderr([&] {
        music_start();
        ASSERT_NE(music_module, nullptr);
        folder.remove("ocean.xm");
        ASSERT_EQ(mkfifo("ocean.xm", 0600), 0);
        force_song_end();
        music_update();
        EXPECT_EQ(music_module, nullptr);
        music_stop();
    });
    EXPECT_EQ(errors, "");

    const std::string start_errors = captured_stderr([] {
        music_start();
        EXPECT_EQ(music_module, nullptr);
        music_stop();
    });
    EXPECT_EQ(start_errors, "Error loading: Could not open requested file\n");
    alarm(0);
}

// Standard error of music_start, caught by hand: in a death test's child
// process GoogleTest already holds standard error.
std::string stderr_of_music_start() {
    std::FILE* caught = std::tmpfile();
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(fileno(caught), STDERR_FILENO);
    music_start();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::string text;
    std::rewind(caught);
    for (int c; (c = std::fgetc(caught)) != EOF;) text += static_cast<char>(c);
    std::fclose(caught);
    return text;
}

// With the library's own choice of output instead of SDL's dummy driver, a
// machine without sound fails to initialise it: the two lines name the
// failure, the module still loads, and the show runs silently on. Where sound
// works there is nothing to report. Runs in a child process, since a failed
// audio start stays with the process.
bool starts_as_documented_with_the_machines_sound() {
    const DataFolder folder;
    unsetenv("SDL_AUDIODRIVER");
    const std::string errors = stderr_of_music_start();
    const bool loaded = music_module != nullptr;
    for (int frame = 0; frame < 10; ++frame) music_update();
    music_stop();
    const std::string report = "Could not initialize sound\nReason: ";
    const size_t failure = errors.find("Could not initialize sound\n");
    if (failure == std::string::npos) return loaded;
    return errors.compare(failure, report.size(), report) == 0 && errors.find("Error loading") == std::string::npos &&
           loaded;
}

TEST(MusicDeathTest, SoundFailureIsReportedAndTheShowRunsSilently) {
    EXPECT_EXIT(std::exit(starts_as_documented_with_the_machines_sound() ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

// The first load allows 4 voices, every reload 8: a 10-channel module shows
// the limit in the number of voices the player gives it.
TEST(Music, EndedSongIsReloadedWithEightVoices) {
    DataFolder folder;
    folder.write("ocean.xm", data_test::long_test_module(10));
    const std::string errors = captured_stderr([] {
        music_start();
        ASSERT_NE(music_module, nullptr);
        EXPECT_EQ(music_module->numvoices, 4);
        force_song_end();
        EXPECT_FALSE(Player_Active());
        music_update();
        ASSERT_NE(music_module, nullptr);
        EXPECT_EQ(music_module->numvoices, 8);
        EXPECT_EQ(music_module->sngpos, 0);
        EXPECT_TRUE(Player_Active());
        music_stop();
    });
    EXPECT_EQ(errors, "");
}

TEST(Music, FailedReloadIsSilentAndLeavesTheShowWithoutMusic) {
    DataFolder folder;
    const std::string errors = captured_stderr([&] {
        music_start();
        ASSERT_NE(music_module, nullptr);
        folder.remove("ocean.xm");
        force_song_end();
        music_update();
        EXPECT_EQ(music_module, nullptr);
        for (int frame = 0; frame < 10; ++frame) music_update();
        EXPECT_EQ(music_module, nullptr);
        music_stop();
    });
    EXPECT_EQ(errors, "");
}

// A song without a position to play, with a sample of 32 MiB: taken, it
// would end at once and be read from disk again on every frame.
std::vector<uint8_t> song_without_positions() {
    xm::Module module;
    module.orders = {0};
    xm::Pattern pattern;
    pattern.rows = 1;
    pattern.cells.assign(module.channels, xm::Cell{});
    module.patterns = {pattern};
    xm::Instrument instrument;
    instrument.sample.data.assign(16u << 20, 1000);
    module.instruments = {instrument};
    std::vector<uint8_t> bytes = xm::write_xm(module);
    constexpr size_t SONG_LENGTH_AT = 64;
    bytes[SONG_LENGTH_AT] = bytes[SONG_LENGTH_AT + 1] = 0;
    return bytes;
}

void put_bytes(std::vector<uint8_t>& bytes, size_t at, const std::vector<uint8_t>& values) {
    if (bytes.size() < at + values.size()) bytes.resize(at + values.size());
    std::copy(values.begin(), values.end(), bytes.begin() + static_cast<ptrdiff_t>(at));
}

void put_text(std::vector<uint8_t>& bytes, size_t at, const std::string& text) {
    put_bytes(bytes, at, std::vector<uint8_t>(text.begin(), text.end()));
}

// Modules that libmikmod's Asylum and MultiTracker loaders take, each with an
// index past the end of one of the loader's tables: a note of 200 in an
// Asylum pattern, a finetune of 200 in a MultiTracker sample.
std::vector<uint8_t> asylum_module() {
    std::vector<uint8_t> bytes(0xA66 + 64 * 8 * 4 + 32, 0);
    put_text(bytes, 0, "ASYLUM Music Format V1.0");
    put_bytes(bytes, 0x23, {1, 1});                        // one pattern, one order
    put_bytes(bytes, 0x126 + 23, {64, 0, 32, 0, 0, 0});    // sample 1: volume 64, 32 bytes
    put_bytes(bytes, 0xA66, {200, 1});                     // the first note
    return bytes;
}

std::vector<uint8_t> multitracker_module() {
    std::vector<uint8_t> bytes;
    put_text(bytes, 0, "MTM\x10");
    put_bytes(bytes, 24, {1, 0, 0, 0, 0, 0, 1, 0, 64, 4});  // one track, one sample, four channels
    put_bytes(bytes, 66 + 22, {32, 0, 0, 0});                // sample 1: 32 bytes
    put_bytes(bytes, 66 + 34, {200, 64});                    // its finetune and volume
    const size_t track = 66 + 37 + 128;
    put_bytes(bytes, track, {24 << 2, 1 << 4});
    put_bytes(bytes, track + 192, {1, 0});                   // pattern 0 plays track 1
    bytes.resize(track + 192 + 64 + 32, 0);
    return bytes;
}

// A DSIK module whose song says it has 16384 orders, for a table of 128.
std::vector<uint8_t> dsik_module() {
    std::vector<uint8_t> bytes;
    put_text(bytes, 0, "RIFF");
    put_text(bytes, 8, "DSMFSONG");
    put_bytes(bytes, 16, {192, 0, 0, 0});
    put_bytes(bytes, 20 + 36, {0x00, 0x40, 0, 0, 0, 0, 4, 0, 64, 64, 6, 125});  // orders, samples, patterns, tracks
    bytes.resize(20 + 192, 0);
    put_bytes(bytes, 4, {static_cast<uint8_t>(bytes.size() - 8), 0, 0, 0});
    return bytes;
}

// An Impulse Tracker module that embeds a MIDI configuration whose strings
// fill all their 32 bytes, with no zero to end them.
std::vector<uint8_t> impulse_tracker_midi_module() {
    std::vector<uint8_t> bytes;
    put_text(bytes, 0, "IMPM");
    put_bytes(bytes, 0x20, {1, 0, 0, 0, 0, 0, 0, 0, 0x16, 0x02, 0x16, 0x02, 0, 0, 8, 0});
    put_bytes(bytes, 0x30, {128, 48, 6, 125});
    bytes.resize(0xC0, 32);
    put_bytes(bytes, 0xC0, {0xFF, 0, 0});                 // the one order, then the configuration
    bytes.resize(0xC3 + 0x120 + (16 + 128) * 32, '-');
    return bytes;
}

void put_le32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    put_bytes(bytes, at, {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)});
}

// An Impulse Tracker module of one empty sample and one pattern of `rows`
// rows: a note in the first, the rest empty.
std::vector<uint8_t> impulse_tracker_module(uint8_t rows) {
    constexpr size_t SAMPLE_AT = 0xC0 + 1 + 2 * 4, PATTERN_AT = SAMPLE_AT + 0x50;
    std::vector<uint8_t> bytes;
    put_text(bytes, 0, "IMPM");
    put_bytes(bytes, 0x20, {1, 0, 0, 0, 1, 0, 1, 0, 0x14, 0x02, 0x14, 0x02, 0, 0, 0, 0});
    put_bytes(bytes, 0x30, {128, 48, 6, 125});
    bytes.resize(0xC0, 32);
    put_bytes(bytes, 0xC0, {0});                           // the one order
    put_le32(bytes, 0xC1, SAMPLE_AT);
    put_le32(bytes, 0xC5, PATTERN_AT);
    put_text(bytes, SAMPLE_AT, "IMPS");
    bytes.resize(PATTERN_AT, 0);
    std::vector<uint8_t> data = {0x81, 0x01, 60};         // channel 1: a note
    data.resize(data.size() + rows, 0);                    // and the end of every row
    put_bytes(bytes, PATTERN_AT, {static_cast<uint8_t>(data.size()), static_cast<uint8_t>(data.size() >> 8), rows, 0,
                                  0, 0, 0, 0});
    put_bytes(bytes, PATTERN_AT + 8, data);
    return bytes;
}

// `module` packed by MMCMP as one stored (uncompressed) block.
std::vector<uint8_t> mmcmp_packed(const std::vector<uint8_t>& module) {
    const auto size = static_cast<uint32_t>(module.size());
    std::vector<uint8_t> bytes;
    put_text(bytes, 0, "ziRCONia");
    put_bytes(bytes, 8, {14, 0, 0x10, 0x13, 1, 0});      // header size, version, one block
    put_le32(bytes, 14, size);
    put_le32(bytes, 18, 24);                               // the block table
    put_le32(bytes, 24, 28);                               // the block
    put_le32(bytes, 28, size);
    put_le32(bytes, 32, size);
    put_bytes(bytes, 40, {1, 0, 0, 0, 0, 0, 0, 0});      // one sub-block, stored
    put_le32(bytes, 52, size);
    bytes.insert(bytes.end(), module.begin(), module.end());
    return bytes;
}

// Unreal's compact index of a value below 8192: six bits, then seven.
std::vector<uint8_t> compact_index(uint32_t value) {
    return {static_cast<uint8_t>(0x40 | (value & 0x3F)), static_cast<uint8_t>(value >> 6)};
}

// An Unreal package (version 61) whose one export is `module`, of the type
// named "IT".
std::vector<uint8_t> unreal_package(const std::vector<uint8_t>& module) {
    constexpr uint32_t NAMES_AT = 64, EXPORTS_AT = 72, OBJECT_AT = 92;
    std::vector<uint8_t> bytes;
    put_bytes(bytes, 0, {0xC1, 0x83, 0x2A, 0x9E, 61});
    put_le32(bytes, 12, 1);
    put_le32(bytes, 16, NAMES_AT);
    put_le32(bytes, 20, 1);
    put_le32(bytes, 24, EXPORTS_AT);
    put_text(bytes, NAMES_AT, "IT");
    const auto module_size = static_cast<uint32_t>(module.size());
    put_bytes(bytes, EXPORTS_AT + 11, compact_index(module_size + 4));
    put_bytes(bytes, EXPORTS_AT + 13, compact_index(OBJECT_AT));
    put_bytes(bytes, OBJECT_AT + 2, compact_index(module_size));
    bytes.insert(bytes.end(), module.begin(), module.end());
    return bytes;
}

// An UltraTracker module whose second position names pattern 200 of its one.
std::vector<uint8_t> ultratracker_module_with_missing_pattern() {
    std::vector<uint8_t> bytes;
    put_text(bytes, 0, "MAS_UTrack_V004");
    put_bytes(bytes, 47, {0, 1});                          // no text, one sample
    put_bytes(bytes, 49 + 44 + 12, {32, 0, 0, 0, 64, 0, 0xAB, 0x20});  // 32 bytes, volume 64
    const size_t orders = 49 + 66;
    put_bytes(bytes, orders, {0, 200});
    put_bytes(bytes, orders + 2, std::vector<uint8_t>(254, 0xFF));
    put_bytes(bytes, orders + 256, {3, 0, 0, 15, 0, 15});  // four channels, one pattern
    for (int channel = 0; channel < 4; ++channel) put_bytes(bytes, bytes.size(), {0xFC, 64, 0, 0, 0, 0, 0});
    bytes.resize(bytes.size() + 32, 0);
    return bytes;
}

// A Composer 669 module whose one sample loops and whose first channel
// slides its note up on every row, at tempo 4.
std::vector<uint8_t> composer_669_module() {
    std::vector<uint8_t> bytes;
    put_text(bytes, 0, "if");
    put_bytes(bytes, 110, {1, 1, 0, 0});                  // one sample, one pattern, the order
    put_bytes(bytes, 114, std::vector<uint8_t>(127, 0xFF));
    put_bytes(bytes, 241, std::vector<uint8_t>(128, 4));
    put_bytes(bytes, 369, std::vector<uint8_t>(128, 63));
    put_bytes(bytes, 497 + 13, {32, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0});  // 32 bytes, looped whole
    const size_t pattern = 497 + 25;
    for (size_t row = 0; row < 64; ++row) {
        for (size_t channel = 0; channel < 8; ++channel) {
            const bool first = channel == 0;
            const uint8_t note = row == 0 && first ? 36 << 2 : 0xFF, slide_up = first ? 0x0F : 0xFF;
            put_bytes(bytes, pattern + (row * 8 + channel) * 3, {note, 0x0F, slide_up});
        }
    }
    bytes.resize(bytes.size() + 32, 0x40);
    return bytes;
}

// A Scream Tracker Music Interface Kit module with one sample and no pattern.
std::vector<uint8_t> stmik_module_without_patterns() {
    std::vector<uint8_t> bytes;
    put_text(bytes, 0x14, "!Scream!");
    put_bytes(bytes, 0x20, {0x04, 0, 0x04, 0, 0x05, 0});  // pattern, sample and channel tables
    put_bytes(bytes, 0x30, {0, 0, 1, 0, 1, 0});           // no pattern, one sample, one order
    put_text(bytes, 0x3C, "SCRM");
    bytes.resize(0x80, 0);
    return bytes;
}

// Refused at the start with the line of a missing file, so nothing is
// reloaded, frame after frame; refused as silently at a reload.
TEST(Music, SongWithoutPositionsIsRefused) {
    DataFolder folder;
    const std::vector<uint8_t> empty_song = song_without_positions();
    folder.write("ocean.xm", empty_song);
    const std::string start_errors = captured_stderr([] {
        music_start();
        EXPECT_EQ(music_module, nullptr);
        const auto started = std::chrono::steady_clock::now();
        for (int frame = 0; frame < 60; ++frame) music_update();
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
        EXPECT_EQ(music_module, nullptr);
        music_stop();
    });
    EXPECT_EQ(start_errors, "Error loading: Could not open requested file\n");

    folder.write("ocean.xm", data_test::long_test_module(4));
    const std::string reload_errors = captured_stderr([&] {
        music_start();
        ASSERT_NE(music_module, nullptr);
        folder.write("ocean.xm", empty_song);
        force_song_end();
        music_update();
        EXPECT_EQ(music_module, nullptr);
        music_stop();
    });
    EXPECT_EQ(reload_errors, "");
}

// An Oktalyzer module whose first chunk's length, added in 32 bits, leads
// back to that chunk.
std::vector<uint8_t> oktalyzer_module_going_round() {
    std::vector<uint8_t> bytes;
    put_text(bytes, 0, "OKTASONGJUNK");
    put_bytes(bytes, 12, {0xFF, 0xFF, 0xFF, 0xF8});
    bytes.resize(48, 0);
    return bytes;
}

// A General DigiMusic module whose one pattern ends, with the file, in a
// note that says an effect follows: the loader reads effects for ever.
std::vector<uint8_t> general_digimusic_module_ending_in_an_effect() {
    constexpr size_t ORDERS_AT = 157, SAMPLES_AT = 158, PATTERNS_AT = SAMPLES_AT + 62;
    std::vector<uint8_t> bytes(PATTERNS_AT, 0);
    put_text(bytes, 0, "GDM\xFE");
    put_text(bytes, 71, "GMFS");
    put_bytes(bytes, 118, {ORDERS_AT, 0, 0, 0, 0, PATTERNS_AT, 0, 0, 0, 0, SAMPLES_AT});
    put_bytes(bytes, PATTERNS_AT, {10, 0, 0x40});
    return bytes;
}

// A UniMod module (version 6), as the music fuzz target found it: its
// header names 254 channels, whose panning the loader reads into a table of
// 64 (writing past the library's module record in 3.3.11, a crash in 3.3.13).
std::vector<uint8_t> unimod_module_with_many_channels() {
    const std::string hex =
        "554e3036f7fffffefbfffeff010001000100010000067d800400736565640400736565640000000080400002000020ab"
        "400080000000200000000000000000000000000000000040000000000000000010000000060502000130004040404040"
        "4040404040404040404040c0c0c0c0c0c0c0c0c0c0c0c0c0c0c0c0";
    std::vector<uint8_t> bytes;
    for (size_t at = 0; at < hex.size(); at += 2) {
        bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(at, 2), nullptr, 16)));
    }
    return bytes;
}

// What music_start prints for `module` as the song; it must not load it.
std::string errors_of_refused(const std::vector<uint8_t>& module) {
    DataFolder folder;
    folder.write("ocean.xm", module);
    return captured_stderr([] {
        music_start();
        EXPECT_EQ(music_module, nullptr);
        music_stop();
    });
}

// libmikmod reads past its tables or strings on these hostile files, so such
// a file never reaches the library, packed or wrapped or not, and a song
// naming a pattern it lacks is never played (later versions of the library
// may refuse it themselves, with their own line). alarm() ends the test if
// the library is left to go round the Oktalyzer or General DigiMusic module
// for ever.
TEST(Music, ModulesTheLibraryReadsUnsafelyAreRefusedAndTheSongStillPlays) {
    alarm(20);
    for (const auto& module : {asylum_module(), multitracker_module(), dsik_module(), impulse_tracker_midi_module(),
                               mmcmp_packed(asylum_module()), unreal_package(impulse_tracker_midi_module()),
                               composer_669_module(), stmik_module_without_patterns(),
                               oktalyzer_module_going_round(), general_digimusic_module_ending_in_an_effect(),
                               impulse_tracker_module(201), unimod_module_with_many_channels()}) {
        EXPECT_EQ(errors_of_refused(module), "Error loading: Could not open requested file\n");
    }
    const std::string errors = errors_of_refused(ultratracker_module_with_missing_pattern());
    EXPECT_EQ(errors.rfind("Error loading: ", 0), 0u) << errors;
    EXPECT_EQ(count_lines(errors), 1) << errors;
    {
        DataFolder folder;
        folder.write("ocean.xm", impulse_tracker_module(200));
        music_start();
        EXPECT_NE(music_module, nullptr) << "an Impulse Tracker pattern of 200 rows is refused";
        music_stop();
    }

    const DataFolder folder;
    EXPECT_EQ(music_refused_file(), nullptr);
    music_start();
    EXPECT_NE(music_module, nullptr);
    music_stop();
    alarm(0);
}

// `module` (512 bytes or more) packed by PowerPacker as one literal run. The
// unpacker reads the packed bits from their end backwards, each byte from
// its lowest bit, and writes the module from its end backwards.
std::vector<uint8_t> powerpacked(const std::vector<uint8_t>& module) {
    std::vector<bool> bits;
    const auto put = [&bits](unsigned value, int count) {
        while (count-- > 0) bits.push_back((value >> count) & 1);
    };
    put(0, 1);                                             // a literal run
    size_t run = module.size() - 1;
    for (; run >= 3; run -= 3) put(3, 2);
    put(static_cast<unsigned>(run), 2);
    for (auto byte = module.rbegin(); byte != module.rend(); ++byte) put(*byte, 8);
    std::vector<uint8_t> packed(((bits.size() + 7) / 8 + 3) & ~size_t{3}, 0);  // whole longwords
    for (size_t i = 0; i < bits.size(); ++i) packed[packed.size() - 1 - i / 8] |= bits[i] << (i % 8);
    std::vector<uint8_t> bytes;
    put_text(bytes, 0, "PP20");
    put_bytes(bytes, 4, {9, 9, 9, 9});                     // the offsets' widths
    put_bytes(bytes, 8, packed);
    const auto size = static_cast<uint32_t>(module.size());
    put_bytes(bytes, bytes.size(), {static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 8),
                                    static_cast<uint8_t>(size), 0});
    return bytes;
}

// The show's song is never packed, and the library unpacks before any of
// the checks above can look: the Oktalyzer module that goes round for ever,
// packed by PowerPacker, is refused at once.
TEST(Music, PackedModuleIsRefusedAtOnce) {
    alarm(20);
    std::vector<uint8_t> module = oktalyzer_module_going_round();
    module.resize(680, 0);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(errors_of_refused(powerpacked(module)), "Error loading: Could not open requested file\n");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
    alarm(0);
}

// On its third row (a row a tick, at 255 beats a minute) the song jumps to
// position 5 of its two while a pattern break stands in the same row, so
// the player looks position 5 up in the song's table: every position a
// jump can name (up to 255, and the one after) reads as the library's
// end-of-song mark. (What the player then does differs between libmikmod's
// versions: 3.3.11 ends the song there, 3.3.13 plays on; either way it
// reads inside the table.) The song plays past that row.
TEST(Music, JumpPastTheSongsEndStaysInsideItsTable) {
    xm::Module module;
    module.channels = 10;
    module.speed = 1;
    module.bpm = 255;
    module.orders = {0, 0};
    xm::Pattern pattern;
    pattern.rows = 4;
    pattern.cells.assign(4u * module.channels, xm::Cell{});
    pattern.at(0, 0, module.channels) = {49, 1, 0, 0, 0};
    pattern.at(2, 0, module.channels) = {0, 0, 0, 0x0B, 5};
    pattern.at(2, 1, module.channels) = {0, 0, 0, 0x0D, 0};
    module.patterns = {pattern};
    xm::Instrument instrument;
    instrument.sample.data = {0, 8000, 0, -8000};
    module.instruments = {instrument};
    DataFolder folder;
    folder.write("ocean.xm", xm::write_xm(module));

    const std::string errors = captured_stderr([] {
        music_start();
        ASSERT_NE(music_module, nullptr);
        constexpr UWORD END_OF_SONG = 0xFFFF;
        int unmarked = 0;
        for (int position = music_module->numpos; position <= 256; ++position) {
            if (music_module->positions[position] != END_OF_SONG) ++unmarked;
        }
        EXPECT_EQ(unmarked, 0);
        for (int update = 0; update < 20; ++update) {
            music_update();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_NE(music_module, nullptr);
        music_stop();
    });
    EXPECT_EQ(errors, "");
}

// The song's one instrument has a volume envelope and neither a panning nor
// a pitch one: the empty ones read as the player's values for an envelope
// that is off, and the volume envelope is kept.
TEST(Music, EmptyEnvelopesReadAsIfOff) {
    xm::Module module;
    module.orders = {0};
    xm::Pattern pattern;
    pattern.cells.assign(64u * module.channels, xm::Cell{});
    pattern.cells[0] = {49, 1, 0, 0, 0};
    module.patterns = {pattern};
    xm::Instrument instrument;
    instrument.sample.data = {0, 8000, 0, -8000};
    instrument.volume_envelope.points = {{0, 64}, {10, 32}};
    module.instruments = {instrument};
    DataFolder folder;
    folder.write("ocean.xm", xm::write_xm(module));
    music_start();
    ASSERT_NE(music_module, nullptr);
    const INSTRUMENT& loaded = music_module->instruments[0];
    EXPECT_EQ(loaded.volpts, 2);
    ASSERT_EQ(loaded.panpts, 1);
    EXPECT_EQ(loaded.panenv[0].val, 128);
    ASSERT_EQ(loaded.pitpts, 1);
    EXPECT_EQ(loaded.pitenv[0].val, 32);
    music_stop();
}

// Shutdown stops the music first, so every frame of the fade is silent.
TEST(Music, StopsBeforeTheFadeOut) {
    const DataFolder folder;
    fake_screen::reset();
    testing::internal::CaptureStdout();
    intro_init();
    ASSERT_NE(music_module, nullptr);
    int fade_frames = 0, fade_frames_with_music = 0;
    fake_screen::on_present = [&](const Image*) {
        ++fade_frames;
        if (music_module != nullptr || Player_Active()) ++fade_frames_with_music;
    };
    intro_shutdown();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(fade_frames, 64);
    EXPECT_EQ(fade_frames_with_music, 0);
    EXPECT_EQ(music_module, nullptr);
    for (Image*& strip : roll_images) {
        if (strip) img_destroy(&strip);
    }
    if (scroll_layer) img_destroy(&scroll_layer);
    fake_screen::reset();
}

}  // namespace
