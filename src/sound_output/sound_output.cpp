#include "sound_output/sound_output.h"

#include <SDL.h>

#include <algorithm>

#include "mix_driver/mix_driver.h"

namespace {

constexpr int RATE = 44100;
// The device's own buffer: what one call of its callback takes.
constexpr Uint16 DEVICE_FRAMES = 512;
// What the queue holds after each frame's mix: the device's buffer, and
// enough beside it for a frame that comes up to 35 ms late.
constexpr size_t QUEUED_FRAMES = 2048;

SampleQueue queue(QUEUED_FRAMES);

// On SDL's audio thread.
void play_queued(void*, Uint8* stream, int bytes) {
    queue.pop(reinterpret_cast<int16_t*>(stream), static_cast<size_t>(bytes) / 4);
}

int open_device() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 1;
    SDL_AudioSpec wanted{};
    wanted.freq = RATE;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = DEVICE_FRAMES;
    wanted.callback = play_queued;
    // Given no format to fill in, SDL converts to this one itself.
    if (SDL_OpenAudio(&wanted, nullptr) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 1;
    }
    return 0;
}

void close_device() {
    SDL_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    queue.clear();
}

int init() {
    queue.clear();
    if (open_device() != 0) {
        MikMod_errno = MMERR_OPENING_AUDIO;
        return 1;
    }
    if (mix_driver_init(RATE) != 0) {
        close_device();
        return 1;
    }
    SDL_PauseAudio(0);
    return 0;
}

void exit_driver() {
    close_device();
    VC_Exit();
}

int reset() {
    VC_Exit();
    return mix_driver_init(RATE);
}

// Tops the queue up: the frames the device has played since the last mix.
void mix() {
    static std::vector<int16_t> samples;
    const size_t wanted = QUEUED_FRAMES - std::min(queue.queued(), QUEUED_FRAMES);
    if (wanted == 0) return;
    samples.resize(wanted * 2);
    VC_WriteBytes(reinterpret_cast<SBYTE*>(samples.data()), static_cast<ULONG>(samples.size() * sizeof(int16_t)));
    queue.push(samples.data(), wanted);
}

MDRIVER sdl_driver = mix_driver("SDL queue", "SDL audio, mixed in the frame loop", "sdlqueue", init, reset,
                                exit_driver, mix);

}  // namespace

void sound_output_register_driver() { MikMod_RegisterDriver(&sdl_driver); }
