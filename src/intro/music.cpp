// The music: one XM module played by libmikmod with software mixing, mixed
// one stretch per frame from the frame loop and reloaded whenever it ends.
#include <cstdio>

#include <mikmod.h>

#include "intro/intro.h"
#include "intro/music_file.h"

MODULE* music_module = nullptr;

namespace {

constexpr const char* MUSIC_FILE = "ocean.xm";
constexpr int FIRST_LOAD_VOICES = 4;
constexpr int RELOAD_VOICES = 8;

const char* last_mikmod_error() { return MikMod_strerror(MikMod_errno); }

MODULE* load_music(int voices) { return music_load_file(MUSIC_FILE, voices); }

// Once per process: libmikmod appends a loader to its list without checking
// whether it is there already, so a second registration links the list into
// a ring and the next Player_Load never returns. The lists outlive
// MikMod_Exit, so a later start finds everything registered. A build that
// plays only its own XM song (the web edition) leaves the other loaders out.
void register_drivers_and_loaders() {
    static bool registered = false;
    if (registered) return;
    MikMod_RegisterAllDrivers();
#ifdef TARNOVEX_XM_ONLY
    MikMod_RegisterLoader(&load_xm);
#else
    MikMod_RegisterAllLoaders();
#endif
    registered = true;
}

// The library's choice of output first. When that fails, libmikmod is left
// half set up and loading a module then crashes inside it, so the silent
// driver takes over: the module still loads and the show runs without sound.
bool init_sound() {
    if (MikMod_Init("") == 0) return true;
    std::fprintf(stderr, "Could not initialize sound\n");
    std::fprintf(stderr, "Reason: %s\n", last_mikmod_error());
    md_device = MikMod_DriverFromAlias("nosound");
    const bool silent_output = md_device != 0 && MikMod_Init("") == 0;
    md_device = 0;  // the next start chooses afresh
    return silent_output;
}

}  // namespace

void music_start() {
    register_drivers_and_loaders();
    md_mode |= DMODE_SOFT_MUSIC;
    if (!init_sound()) return;
    music_module = load_music(FIRST_LOAD_VOICES);
    if (music_module) {
        Player_Start(music_module);
    } else {
        std::fprintf(stderr, "Error loading: %s\n", last_mikmod_error());
    }
}

const char* music_refused_file() {
    register_drivers_and_loaders();
    md_device = MikMod_DriverFromAlias("nosound");
    const bool started = md_device != 0 && MikMod_Init("") == 0;
    md_device = 0;
    if (!started) return MUSIC_FILE;
    MODULE* module = load_music(FIRST_LOAD_VOICES);
    const bool loaded = module != nullptr;
    if (loaded) Player_Free(module);
    MikMod_Exit();
    return loaded ? nullptr : MUSIC_FILE;
}

void music_update() {
    if (!music_module) return;
    if (Player_Active()) {
        MikMod_Update();
        return;
    }
    // The song has ended: read it again from disk and start over. A failed
    // reload leaves the handle null and the show silent, without a message.
    Player_Stop();
    Player_Free(music_module);
    music_module = load_music(RELOAD_VOICES);
    if (music_module) Player_Start(music_module);
}

void music_stop() {
    if (music_module) {
        Player_Stop();
        Player_Free(music_module);
        music_module = nullptr;
    }
    MikMod_Exit();
}
