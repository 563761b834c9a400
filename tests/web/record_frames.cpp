// The web edition's intro under node, recorded as tarnovex-capture records
// it: the capture's own screen, key script and sound driver, with a
// recording that writes the MD5 of each frame's pixel bytes, one line a
// frame. Two runs in one process, as the page plays again: the first run's
// frames go to the first file, and after intro_reset the second run's to
// the second.
//
//   record_frames-HEIGHT.js FIRST.md5 SECOND.md5   (run in the folder of the data files)
#include <emscripten.h>

#include <cstdio>

#include "capture/capture.h"
#include "intro/intro.h"

EM_JS(void, frame_md5, (const uint32_t* pixels, int32_t count, char* hex), {
    const bytes = HEAPU8.subarray(pixels, pixels + 4 * count);
    stringToUTF8(require('crypto').createHash('md5').update(bytes).digest('hex'), hex, 33);
});

namespace {

constexpr int32_t FPS = 60;

std::FILE* output = nullptr;
int64_t frames_done = 0;

}  // namespace

void capture_frame(const Image* frame) {
    char hex[33];
    frame_md5(frame->pixels, frame->width * frame->height, hex);
    std::fprintf(output, "%s\n", hex);
    ++frames_done;
}

int64_t capture_frames_done() { return frames_done; }

int32_t capture_audio_share() {
    const int64_t frame = frames_done - 1;
    return static_cast<int32_t>((frame + 1) * CAPTURE_SAMPLE_RATE / FPS - frame * CAPTURE_SAMPLE_RATE / FPS);
}

void capture_audio(const int16_t*, int32_t) {}

// One pass of the show and the fade into the file `name`.
bool record_run(const char* name) {
    output = std::fopen(name, "w");
    if (!output) return false;
    capture_set_key_script(frames_done + PASS_FRAMES);
    intro_main();
    return std::fclose(output) == 0;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: record_frames FIRST.md5 SECOND.md5\n");
        return 2;
    }
    capture_register_sound_driver();
    if (!record_run(argv[1])) return 1;
    intro_reset();
    return record_run(argv[2]) ? 0 : 1;
}
