// The screen of a backend without a display (the capture's, the tests'):
// there is nothing to bring up or let go, and a mode set only records the
// size, with 32-bit pixels.
#include "screen/backend.h"
#include "screen/screen.h"

namespace {

constexpr int32_t PIXEL_DEPTH = 32;

}  // namespace

bool screen_backend::prepare() { return true; }

void screen_backend::release() {}

void screen_set_mode(Screen* screen, int32_t width, int32_t height) {
    if (!screen_backend::is_open(screen) || width < 0 || height < 0) return;
    screen->width = width;
    screen->height = height;
    screen->depth = PIXEL_DEPTH;
}
