// The intro's screen and keyboard in a browser: emscripten's SDL 1.2 draws
// into the page's canvas, and after each presented frame the page decides
// when the show goes on (page.js keeps it at 60 frames a second).
#include <SDL.h>
#include <emscripten.h>

#include <algorithm>
#include <cstdint>

#include "screen/backend.h"
#include "screen/screen.h"

// Suspends the program (ASYNCIFY) until the page wakes it up, at once or at
// a later animation frame. (ASYNCIFY calls this function again when it
// resumes; only the first call reaches the page.)
EM_JS(void, web_wait_for_frame, (), {
    Asyncify.handleSleep(function(wakeUp) { Module.onFrame(wakeUp); });
});

namespace {

SDL_Surface* canvas = nullptr;

using screen_backend::is_open;

// The canvas surface holds R, G, B, A bytes; the image holds 0x00RRGGBB.
uint32_t canvas_pixel(uint32_t pixel) {
    return 0xFF000000u | ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
}

// Copies the top-left part of the image that fits, converting each pixel,
// and shows the canvas.
void draw(const Image* image) {
    SDL_LockSurface(canvas);
    const int32_t width = std::min(image->width, canvas->w);
    const int32_t height = std::min(image->height, canvas->h);
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* from = image->pixels + static_cast<ptrdiff_t>(y) * image->width;
        auto* to = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(canvas->pixels) + y * canvas->pitch);
        std::transform(from, from + width, to, canvas_pixel);
    }
    SDL_UnlockSurface(canvas);
    SDL_Flip(canvas);
    web_wait_for_frame();
}

}  // namespace

// SDL_Init adds the keyboard listeners to the page. Every frame replaces
// the whole canvas with opaque pixels, so locking the surface need not read
// the canvas back, nor SDL make the pixels opaque.
bool screen_backend::prepare() {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
    EM_ASM({
        SDL.defaults.discardOnLock = true;
        SDL.defaults.opaqueFrontBuffer = false;
    });
    return true;
}

void screen_set_mode(Screen* screen, int32_t width, int32_t height) {
    if (!is_open(screen) || width < 0 || height < 0) return;
    SDL_Surface* surface = SDL_SetVideoMode(width, height, 32, SDL_SWSURFACE);
    if (!surface) return;
    canvas = surface;
    screen->width = width;
    screen->height = height;
    screen->depth = 32;
}

void screen_present(Screen* screen, const Image* image) {
    if (canvas && screen_backend::fits(screen, image)) draw(image);
}

void screen_present_blit(Screen* screen, const Image* image) {
    if (!is_open(screen) || !canvas || !image || !image->pixels) return;
    draw(image);
}

// The canvas keeps the last frame: the page shows it until the next start.
// The keyboard is the desktop's (src/screen/keys.cpp): emscripten's SDL
// delivers the page's key events with the desktop's key codes.
void screen_backend::release() { canvas = nullptr; }
