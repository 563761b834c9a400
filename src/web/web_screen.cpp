// The intro's screen and keyboard in a browser, without SDL: a presented
// frame is handed to the page as R, G, B, A bytes and the program waits
// (ASYNCIFY) until the page lets the show go on, at once or at a later
// animation frame. The page decides when a frame runs and which frames
// reach the canvas; it also keeps the current key code, in the desktop's
// key codes, which the keyboard reads.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "screen/backend.h"
#include "screen/screen.h"
#include "web/web.h"

namespace {

constexpr int32_t PIXEL_DEPTH = 32;

std::vector<uint32_t> canvas_bytes;
int32_t canvas_width = 0;

// 0x00RRGGBB to the bytes R, G, B, 255 (little-endian 0xFFBBGGRR).
uint32_t canvas_pixel(uint32_t pixel) {
    return 0xFF000000u | ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
}

// The top-left part of the image that fits the screen; the rest of the
// screen stays as the last frame left it. show and screen_present* wait for
// the page: src/web/asyncify_only.json names them, and every function on
// the way to them (see intro.h), for ASYNCIFY.
void show(const Image* image) {
    const int32_t height = static_cast<int32_t>(canvas_bytes.size()) / std::max(canvas_width, 1);
    const int32_t width = std::min(image->width, canvas_width);
    for (int32_t y = 0; y < std::min(image->height, height); ++y) {
        const uint32_t* from = image->pixels + static_cast<ptrdiff_t>(y) * image->width;
        std::transform(from, from + width, &canvas_bytes[static_cast<size_t>(y) * canvas_width], canvas_pixel);
    }
    web_show_frame(canvas_bytes.data(), canvas_width, height);
}

}  // namespace

bool screen_backend::prepare() { return true; }

// The canvas keeps the last frame: the page shows it until the next start.
void screen_backend::release() {}

// A new mode starts black and opaque.
void screen_set_mode(Screen* screen, int32_t width, int32_t height) {
    if (!screen_backend::is_open(screen) || width < 0 || height < 0) return;
    canvas_bytes.assign(static_cast<size_t>(width) * height, canvas_pixel(0));
    canvas_width = width;
    screen->width = width;
    screen->height = height;
    screen->depth = PIXEL_DEPTH;
}

void screen_present(Screen* screen, const Image* image) {
    if (screen_backend::fits(screen, image)) show(image);
}

void screen_present_blit(Screen* screen, const Image* image) {
    if (screen_backend::is_open(screen) && image && image->pixels) show(image);
}

// The page's current key code: the last key pressed, 0 after any release.
void keys_poll(KeyState* keys) {
    if (keys && keys->buffer) keys->buffer[0] = static_cast<uint8_t>(web_key_code());
}
