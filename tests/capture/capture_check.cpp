// Checks a decoded capture against the show itself: the frames the intro
// presents on the test screen, scaled, and libmikmod's own render of the
// song over the frames that got music, then silence.
//
// libmikmod's player draws from random(), which shares its state with the
// show's rand(): the show's frames depend on how much music is mixed between
// them. So the show here mixes through the capture's own sound driver, a
// frame's share after each frame, as in a capture.
//
//   capture_check FRAMES.bgr0 SAMPLES.s16 SHOW_FRAMES SCALE FPS
//
// Run in a folder with the data files. Prints what differs; exit status 0
// when everything matches.
#include <mikmod.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "fake_screen.h"
#include "intro/intro.h"

namespace {

int failures = 0;
int32_t fps = 60;

void report(const std::string& what) {
    if (++failures <= 10) std::fprintf(stderr, "capture_check: %s\n", what.c_str());
}

std::vector<char> read_all(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The show with Escape at the poll after `show_frames` frames, each
// presented frame compared with the next one in `decoded`.
void check_frames(const std::vector<char>& decoded, int64_t show_frames, int32_t scale) {
    const size_t frame_bytes = size_t{SCREEN_WIDTH} * SCREEN_HEIGHT * 4 * scale * scale;
    size_t at = 0;
    int64_t presented = 0;
    fake_screen::reset();
    fake_screen::key_event = fake_screen::press_at(static_cast<int32_t>(show_frames), 27);
    fake_screen::on_present = [&](const Image* frame) {
        if (at + frame_bytes > decoded.size()) {
            at += frame_bytes;
            return;
        }
        const auto* pixels = reinterpret_cast<const uint32_t*>(decoded.data() + at);
        for (int32_t y = 0; y < frame->height * scale; ++y) {
            for (int32_t x = 0; x < frame->width * scale; ++x) {
                const uint32_t expected = frame->pixels[(y / scale) * frame->width + x / scale];
                const uint32_t got = pixels[static_cast<size_t>(y) * frame->width * scale + x] & 0xFFFFFFu;
                if (got != expected) {
                    report("frame " + std::to_string(presented) + " differs at " + std::to_string(x) + "," +
                           std::to_string(y));
                    y = frame->height * scale;
                    break;
                }
            }
        }
        at += frame_bytes;
        ++presented;
    };
    intro_main();
    fake_screen::reset();
    if (presented != show_frames + FADE_FRAMES) report("the show presented " + std::to_string(presented) + " frames");
    if (at != decoded.size()) {
        report("the capture holds " + std::to_string(decoded.size() / frame_bytes) + " frames, the show " +
               std::to_string(at / frame_bytes));
    }
}

// libmikmod's raw file driver renders the song as the show starts it, into
// its default file music.raw in the current folder (libmikmod 3.3.12 and
// later garble a "file=" name).
std::vector<char> reference_render(size_t bytes) {
    const std::string path = "music.raw";
    md_device = MikMod_DriverFromAlias("raw");
    if (MikMod_Init("") != 0) return {};
    MODULE* module = Player_Load("ocean.xm", 4, 0);
    if (!module) return {};
    Player_Start(module);
    std::vector<char> render;
    for (int batch = 0; render.size() < bytes && batch < 100; ++batch) {
        for (int update = 0; update < 200; ++update) MikMod_Update();
        std::fflush(nullptr);
        render = read_all(path.c_str());
    }
    Player_Stop();
    Player_Free(module);
    MikMod_Exit();
    std::remove(path.c_str());
    render.resize(std::min(render.size(), bytes));
    return render;
}

// The last show frame ends on the quit and mixes nothing; the fade is silent.
void check_samples(const std::vector<char>& decoded, int64_t show_frames) {
    const auto samples_at = [](int64_t frame) { return static_cast<size_t>(frame * CAPTURE_SAMPLE_RATE / fps) * 4; };
    const size_t music_bytes = samples_at(show_frames - 1);
    if (decoded.size() != samples_at(show_frames + FADE_FRAMES)) {
        report("the sound holds " + std::to_string(decoded.size() / 4) + " sample frames, not " +
               std::to_string(samples_at(show_frames + FADE_FRAMES) / 4));
    }
    const std::vector<char> reference = reference_render(music_bytes);
    if (reference.size() != music_bytes) report("libmikmod rendered too little");
    for (size_t i = 0; i < decoded.size(); ++i) {
        const char expected = i < reference.size() ? reference[i] : 0;
        if (decoded[i] != expected) {
            report("sample frame " + std::to_string(i / 4) + " differs");
            break;
        }
    }
}

}  // namespace

// The recording's side of the sound driver: the frames presented, the share
// of the frame just presented; the samples themselves are checked in the file.
int64_t capture_frames_done() { return fake_screen::presents; }
int32_t capture_audio_share() {
    const int64_t frame = fake_screen::presents - 1;
    return static_cast<int32_t>((frame + 1) * CAPTURE_SAMPLE_RATE / fps - frame * CAPTURE_SAMPLE_RATE / fps);
}
void capture_audio(const int16_t*, int32_t) {}

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: capture_check FRAMES.bgr0 SAMPLES.s16 SHOW_FRAMES SCALE FPS\n");
        return 2;
    }
    const int64_t show_frames = std::atoll(argv[3]);
    fps = std::atoi(argv[5]);
    capture_register_sound_driver();
    check_frames(read_all(argv[1]), show_frames, std::atoi(argv[4]));
    check_samples(read_all(argv[2]), show_frames);
    return failures == 0 ? 0 : 1;
}
