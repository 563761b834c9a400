// The intro's screen and keyboard in a browser, without SDL: a presented
// frame is handed to the page as R, G, B, A bytes and the program waits
// (ASYNCIFY) until the page lets the next frame run. The page decides when a
// frame runs and which frames reach the canvas; it also keeps the current
// key code, in the desktop's key codes, which the keyboard reads.
#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "screen/screen.h"

// Hands the frame's bytes to the page and sleeps until the page resumes the
// program. (ASYNCIFY calls this function again when it resumes; only the
// first call runs the callback.)
EM_JS(void, web_show_frame, (const uint32_t* rgba, int32_t width, int32_t height), {
    Asyncify.handleSleep(function(wakeUp) {
        Module.onFrame(new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width), wakeUp);
    });
});
EM_JS(int32_t, web_key_code, (), { return Module.keyCode; });

namespace {

constexpr int32_t INITIAL_MODE_SIZE = 256;
constexpr size_t KEY_BUFFER_SIZE = 8;

Screen* open_screen = nullptr;
KeyState* open_keys = nullptr;
std::vector<uint32_t> canvas_bytes;

bool is_open(const Screen* screen) { return screen && screen == open_screen; }

// 0x00RRGGBB to the bytes R, G, B, 255 (little-endian 0xFFBBGGRR).
uint32_t canvas_pixel(uint32_t pixel) {
    return 0xFF000000u | ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
}

// The top-left part of the image that fits the screen; the rest of the
// screen stays as the last frame left it.
void show(const Image* image) {
    const int32_t width = std::min(image->width, open_screen->width);
    const int32_t height = std::min(image->height, open_screen->height);
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* from = image->pixels + static_cast<ptrdiff_t>(y) * image->width;
        std::transform(from, from + width, &canvas_bytes[static_cast<size_t>(y) * open_screen->width], canvas_pixel);
    }
    web_show_frame(canvas_bytes.data(), open_screen->width, open_screen->height);
}

}  // namespace

void screen_error() {}

Screen* screen_open() {
    if (open_screen) return open_screen;
    open_screen = static_cast<Screen*>(std::calloc(1, sizeof(Screen)));
    if (open_screen) screen_set_mode(open_screen, INITIAL_MODE_SIZE, INITIAL_MODE_SIZE);
    return open_screen;
}

// A new mode starts black and opaque.
void screen_set_mode(Screen* screen, int32_t width, int32_t height) {
    if (!is_open(screen) || width < 0 || height < 0) return;
    canvas_bytes.assign(static_cast<size_t>(width) * height, canvas_pixel(0));
    screen->width = width;
    screen->height = height;
    screen->depth = 32;
}

void screen_present(Screen* screen, const Image* image) {
    if (!is_open(screen) || !image || !image->pixels) return;
    if (image->width != screen->width || image->height != screen->height) return;
    show(image);
}

void screen_present_swap(Screen* screen, const Image* image) { screen_present(screen, image); }

void screen_present_blit(Screen* screen, const Image* image) {
    if (!is_open(screen) || !image || !image->pixels) return;
    show(image);
}

// The canvas keeps the last frame: the page shows it until the next start.
void screen_close(Screen** screen) {
    if (!screen || !is_open(*screen)) return;
    std::free(open_screen);
    open_screen = nullptr;
    *screen = nullptr;
}

const char* screen_to_text(const Screen* screen) { return is_open(screen) ? "" : nullptr; }
Screen* screen_from_text(const char*) { return nullptr; }
int32_t screen_equal(const Screen* a, const Screen* b) { return a == b && is_open(a); }
Screen* screen_clone(Screen* screen) { return is_open(screen) ? screen : nullptr; }

KeyState* keys_open() {
    if (!open_screen) return nullptr;
    if (open_keys) return open_keys;
    auto* keys = static_cast<KeyState*>(std::calloc(1, sizeof(KeyState)));
    auto* buffer = static_cast<uint8_t*>(std::calloc(KEY_BUFFER_SIZE, 1));
    if (!keys || !buffer) {
        std::free(keys);
        std::free(buffer);
        return nullptr;
    }
    keys->buffer = buffer;
    open_keys = keys;
    return keys;
}

// The page's current key code: the last key pressed, 0 after any release.
void keys_poll(KeyState* keys) {
    if (keys && keys->buffer) keys->buffer[0] = static_cast<uint8_t>(web_key_code());
}

void keys_close(KeyState** keys) {
    if (!keys || !*keys || *keys != open_keys) return;
    std::free(open_keys->buffer);
    std::free(open_keys);
    open_keys = nullptr;
    *keys = nullptr;
}

const char* keys_to_text(const KeyState* keys) { return keys ? "" : nullptr; }
KeyState* keys_from_text(const char*) { return nullptr; }
int32_t keys_equal(const KeyState* a, const KeyState* b) { return a && a == b ? 1 : 0; }
KeyState* keys_clone(const KeyState*) { return nullptr; }
