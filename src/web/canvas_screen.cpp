// The intro's screen and keyboard in a browser: emscripten's SDL 1.2 draws
// into the page's canvas, and after each presented frame the page decides
// when the show goes on (page.js keeps it at 60 frames a second).
#include <SDL.h>
#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "screen/screen.h"
#include "screen/screen_state.h"

// Suspends the program (ASYNCIFY) until the page wakes it up, at once or at
// a later animation frame. (ASYNCIFY calls this function again when it
// resumes; only the first call reaches the page.)
EM_JS(void, web_wait_for_frame, (), {
    Asyncify.handleSleep(function(wakeUp) { Module.onFrame(wakeUp); });
});

namespace {

constexpr int32_t INITIAL_MODE_SIZE = 256;

Screen* open_screen = nullptr;
SDL_Surface* canvas = nullptr;

bool is_open(const Screen* screen) { return screen && screen == open_screen; }

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

void screen_error() {}

// SDL_Init adds the keyboard listeners to the page. Every frame replaces
// the whole canvas with opaque pixels, so locking the surface need not read
// the canvas back, nor SDL make the pixels opaque.
Screen* screen_open() {
    if (open_screen) return open_screen;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return nullptr;
    EM_ASM({
        SDL.defaults.discardOnLock = true;
        SDL.defaults.opaqueFrontBuffer = false;
    });
    open_screen = static_cast<Screen*>(std::calloc(1, sizeof(Screen)));
    if (open_screen) screen_set_mode(open_screen, INITIAL_MODE_SIZE, INITIAL_MODE_SIZE);
    return open_screen;
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
    if (!is_open(screen) || !canvas || !image || !image->pixels) return;
    if (image->width != screen->width || image->height != screen->height) return;
    draw(image);
}

void screen_present_swap(Screen* screen, const Image* image) { screen_present(screen, image); }

void screen_present_blit(Screen* screen, const Image* image) {
    if (!is_open(screen) || !canvas || !image || !image->pixels) return;
    draw(image);
}

// The canvas keeps the last frame: the page shows it until the next start.
void screen_close(Screen** screen) {
    if (!screen || !is_open(*screen)) return;
    std::free(open_screen);
    open_screen = nullptr;
    canvas = nullptr;
    *screen = nullptr;
}

const char* screen_to_text(const Screen* screen) { return is_open(screen) ? "" : nullptr; }
Screen* screen_from_text(const char*) { return nullptr; }
int32_t screen_equal(const Screen* a, const Screen* b) { return a == b && is_open(a); }
Screen* screen_clone(Screen* screen) { return is_open(screen) ? screen : nullptr; }

// The keyboard is the desktop's (src/screen/keys.cpp): emscripten's SDL
// delivers the page's key events with the desktop's key codes.
bool screen_detail::screen_is_open() { return open_screen != nullptr; }
