// Fuzzes the music's load path through a temporary file: the data file check,
// the refusals of the show, and libmikmod's Player_LoadFP with every loader
// registered. A module that is taken must have a position to play, and is
// played for two updates of the silent driver, so the player meets its
// effects: 64 KiB of 8-bit mono, about 75 ticks at the default tempo. It
// mixes at the show's rate, since how far the mixer steps through a sample
// at each output frame depends on it.
#include <mikmod.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_files.h"
#include "intro/music_file.h"

namespace {

struct SilentLibrary {
    SilentLibrary() {
        MikMod_RegisterAllLoaders();
        MikMod_RegisterDriver(&drv_nos);
        md_mode = DMODE_SOFT_MUSIC;
        md_mixfreq = 44100;
        if (MikMod_Init("") != 0) std::abort();
    }
    ~SilentLibrary() { MikMod_Exit(); }
};

struct ScratchFile {
    std::string path = scratch_path("fuzz_music_load", ".xm");
    ~ScratchFile() { std::remove(path.c_str()); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const SilentLibrary library;
    static const ScratchFile file;
    write_file(file.path, data, size);
    MODULE* module = music_load_file(file.path.c_str(), 4);
    if (module) {
        if (module->numpos == 0) std::abort();
        Player_Start(module);
        for (int update = 0; update < 2; ++update) MikMod_Update();
        Player_Stop();
        Player_Free(module);
    }
    return 0;
}
