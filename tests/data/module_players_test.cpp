// "ocean.xm" checked by three independent readers: libmikmod plays it to its
// end into a WAV file, libxmp loads it and measures it, and our own reader
// parses it back into exactly what the song text compiles to. The song lasts
// one pass of the show.
#include <gtest/gtest.h>

#include <mikmod.h>
#include <xmp.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "intro/show_length.h"
#include "xm/song_text.h"
#include "xm/synth.h"
#include "xm/xm_module.h"

namespace {

const std::string MODULE_PATH = std::string(TARNOVEX_RUN_DIR) + "/ocean.xm";
constexpr int FRAMES_PER_SECOND = 60;

std::vector<uint8_t> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

xm::Module compiled_song() {
    const std::vector<uint8_t> text = read_bytes(TARNOVEX_SONG_SOURCE);
    return xm::build_module(xm::parse_song(std::string(text.begin(), text.end())));
}

struct Wav {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::vector<int16_t> samples;  // interleaved
};

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

Wav read_wav(const std::string& path) {
    const std::vector<uint8_t> bytes = read_bytes(path);
    Wav wav;
    if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF") return wav;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id(bytes.begin() + at, bytes.begin() + at + 4);
        const size_t size = std::min<size_t>(le32(bytes, at + 4), bytes.size() - at - 8);
        if (id == "fmt ") {
            wav.channels = bytes[at + 10] | bytes[at + 11] << 8;
            wav.rate = static_cast<int>(le32(bytes, at + 12));
            wav.bits = bytes[at + 22] | bytes[at + 23] << 8;
        } else if (id == "data") {
            for (size_t i = 0; i + 1 < size; i += 2) {
                wav.samples.push_back(static_cast<int16_t>(bytes[at + 8 + i] | bytes[at + 9 + i] << 8));
            }
        }
        at += 8 + size + (size & 1);
    }
    return wav;
}

class TemporaryFolder {
public:
    TemporaryFolder() {
        char pattern[] = "/tmp/tarnovex-music-XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~TemporaryFolder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Plays the module once through libmikmod's WAV writer, as fast as it mixes,
// into the writer's default file music.wav in `folder`: libmikmod 3.3.12 and
// later garble a "file=" name. Returns false when the song has not ended
// after `max_updates` updates.
bool render_with_mikmod(const std::string& folder, int max_updates, int* channels) {
    MikMod_RegisterAllDrivers();
    MikMod_RegisterAllLoaders();
    md_device = MikMod_DriverFromAlias("wav");
    md_mode |= DMODE_SOFT_MUSIC;
    const std::string previous_folder = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    const int failed = MikMod_Init("");
    std::filesystem::current_path(previous_folder);
    if (failed) {
        ADD_FAILURE() << "MikMod_Init: " << MikMod_strerror(MikMod_errno);
        return false;
    }
    MODULE* module = Player_Load(MODULE_PATH.c_str(), 4, 0);
    if (!module) {
        ADD_FAILURE() << "Player_Load: " << MikMod_strerror(MikMod_errno);
        MikMod_Exit();
        return false;
    }
    *channels = module->numchn;
    Player_Start(module);
    int updates = 0;
    for (; Player_Active() && updates < max_updates; ++updates) MikMod_Update();
    const bool ended = !Player_Active();
    Player_Stop();
    Player_Free(module);
    MikMod_Exit();
    return ended;
}

TEST(ModulePlayers, OurReaderParsesBackWhatTheSongCompilesTo) {
    const std::vector<uint8_t> bytes = read_bytes(MODULE_PATH);
    ASSERT_FALSE(bytes.empty());
    const xm::Module read = xm::read_xm(bytes);
    EXPECT_TRUE(read == compiled_song());
    EXPECT_EQ(xm::write_xm(read), bytes);
    EXPECT_LE(read.channels, 4);
    // Its rows and the tick libmikmod plays after the last of them: one pass
    // of the show, a tick a frame.
    EXPECT_NEAR(xm::song_seconds(read) * FRAMES_PER_SECOND + 1, PASS_FRAMES, 1e-6);
}

TEST(ModulePlayers, LibmikmodPlaysTheSongToItsEndAudiblyWithoutClipping) {
    const TemporaryFolder folder;
    const std::string wav_path = folder.path() + "/music.wav";
    int channels = 0;
    ASSERT_TRUE(render_with_mikmod(folder.path(), 20000, &channels)) << "the song never ended";
    EXPECT_EQ(channels, 4);

    const Wav wav = read_wav(wav_path);
    ASSERT_EQ(wav.bits, 16);
    ASSERT_GT(wav.channels, 0);
    ASSERT_GT(wav.rate, 0);
    const size_t frames = wav.samples.size() / wav.channels;
    const double seconds = static_cast<double>(frames) / wav.rate;
    EXPECT_NEAR(seconds, xm::song_seconds(compiled_song()), 0.5);

    int clipped = 0;
    for (int16_t s : wav.samples) clipped += (s == 32767 || s == -32768);
    EXPECT_EQ(clipped, 0);

    // Music all the way through: no stretch of two seconds is near silence.
    const size_t window = static_cast<size_t>(2 * wav.rate * wav.channels);
    for (size_t start = 0; start + window <= wav.samples.size(); start += window) {
        double energy = 0;
        for (size_t i = start; i < start + window; ++i) energy += static_cast<double>(wav.samples[i]) * wav.samples[i];
        EXPECT_GT(std::sqrt(energy / window), 300.0) << "quiet around " << start / wav.channels / wav.rate << " s";
    }
}

TEST(ModulePlayers, LibxmpLoadsTheSongWithTheSameLengthAndChannels) {
    const xm::Module song = compiled_song();
    xmp_context context = xmp_create_context();
    ASSERT_EQ(xmp_load_module(context, const_cast<char*>(MODULE_PATH.c_str())), 0);
    xmp_module_info info;
    xmp_get_module_info(context, &info);
    EXPECT_EQ(info.mod->chn, song.channels);
    EXPECT_EQ(info.mod->len, static_cast<int>(song.orders.size()));
    EXPECT_EQ(info.mod->ins, static_cast<int>(song.instruments.size()));
    ASSERT_EQ(xmp_start_player(context, 44100, 0), 0);
    xmp_frame_info frame;
    xmp_get_frame_info(context, &frame);
    EXPECT_NEAR(frame.total_time / 1000.0, xm::song_seconds(song), 0.05);
    // Within a frame of one pass, libxmp counting whole milliseconds.
    EXPECT_NEAR(frame.total_time / 1000.0, static_cast<double>(PASS_FRAMES) / FRAMES_PER_SECOND,
                1.0 / FRAMES_PER_SECOND + 0.001);
    xmp_end_player(context);
    xmp_release_module(context);
    xmp_free_context(context);
}

}  // namespace
