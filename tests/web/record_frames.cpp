// The web edition's intro under node, recorded as tarnovex-capture records
// it: the capture's own screen, key script and sound driver, with a
// recording that writes the MD5 of each frame's pixel bytes, one line a
// frame. Two runs in one process, as the page plays again: the first run's
// frames go to the first file, and after intro_reset the second run's to
// the second. The data files are the web edition's own, made in memory;
// each must equal, byte for byte, the file of the same name in the native
// run folder.
//
//   record_frames-HEIGHT.js FIRST.md5 SECOND.md5 RUN_DIR
#include <emscripten.h>

#include <cstdio>
#include <utility>

#include "capture/capture.h"
#include "intro/intro.h"
#include "web/memory_files.h"
#include "web/web_data.h"

// The web edition's files are read-only, so node writes the hashes.
EM_JS(int, open_md5_file, (const char* path), {
    try {
        Module.md5File = require('fs').openSync(UTF8ToString(path), 'w');
        return 1;
    } catch (error) {
        return 0;
    }
});
EM_JS(void, write_frame_md5, (const uint32_t* pixels, int32_t count), {
    const bytes = HEAPU8.subarray(pixels, pixels + 4 * count);
    require('fs').writeSync(Module.md5File, require('crypto').createHash('md5').update(bytes).digest('hex') + '\n');
});
EM_JS(void, close_md5_file, (), { require('fs').closeSync(Module.md5File); });
EM_JS(int, equals_native_file, (const char* folder, const char* name, const uint8_t* bytes, size_t size), {
    const path = require('path').join(UTF8ToString(folder), UTF8ToString(name));
    return require('fs').readFileSync(path).equals(HEAPU8.subarray(bytes, bytes + size)) ? 1 : 0;
});

namespace {

constexpr int32_t FPS = 60;

int64_t frames_done = 0;

bool make_data_files(const char* native_run_dir) {
    for (int index = 0; index < web_data_file_count(); ++index) {
        DataFile file = web_data_file(index);
        if (!equals_native_file(native_run_dir, file.name.c_str(), file.bytes.data(), file.bytes.size())) {
            std::fprintf(stderr, "%s differs from the native build's\n", file.name.c_str());
            return false;
        }
        memory_file_add(std::move(file.name), std::move(file.bytes));
    }
    return true;
}

// One pass of the show and the fade into the file `name`.
bool record_run(const char* name) {
    if (!open_md5_file(name)) return false;
    capture_set_key_script(frames_done + PASS_FRAMES);
    intro_main();
    close_md5_file();
    return true;
}

}  // namespace

void capture_frame(const Image* frame) {
    write_frame_md5(frame->pixels, frame->width * frame->height);
    ++frames_done;
}

int64_t capture_frames_done() { return frames_done; }

int32_t capture_audio_share() {
    const int64_t frame = frames_done - 1;
    return static_cast<int32_t>((frame + 1) * CAPTURE_SAMPLE_RATE / FPS - frame * CAPTURE_SAMPLE_RATE / FPS);
}

void capture_audio(const int16_t*, int32_t) {}

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: record_frames FIRST.md5 SECOND.md5 RUN_DIR\n");
        return 2;
    }
    if (!make_data_files(argv[3])) return 1;
    capture_register_sound_driver();
    if (!record_run(argv[1])) return 1;
    intro_reset();
    return record_run(argv[2]) ? 0 : 1;
}
