// The intro's screen and keyboard for a capture: each presented frame goes
// into the recording, and the keys follow a script instead of a keyboard.
#include <algorithm>

#include "capture/capture.h"
#include "screen/backend.h"
#include "screen/screen.h"

namespace {

int64_t frames_before_quit = 0;

constexpr uint8_t KEY_ESCAPE = 27;

}  // namespace

void capture_set_key_script(int64_t frames) { frames_before_quit = frames; }

void screen_present(Screen* screen, const Image* image) {
    if (!screen_backend::fits(screen, image)) return;
    capture_music_runs_on();
    capture_frame(image);
}

// Only the top-left part that fits is recorded, as the screen would show it;
// the show itself never uses this path.
void screen_present_blit(Screen* screen, const Image* image) {
    if (!screen_backend::is_open(screen) || !image || !image->pixels) return;
    Image* shown = img_create();
    img_resize(shown, screen->width, screen->height);
    const int32_t width = std::min(image->width, screen->width);
    for (int32_t y = 0; y < std::min(image->height, screen->height); ++y) {
        const uint32_t* row = image->pixels + static_cast<ptrdiff_t>(y) * image->width;
        std::copy(row, row + width, shown->pixels + static_cast<ptrdiff_t>(y) * shown->width);
    }
    screen_present(screen, shown);
    img_destroy(&shown);
}

// No key until the requested frames are shown, then Escape.
void keys_poll(KeyState* keys) {
    if (!keys) return;
    keys->buffer[0] = capture_frames_done() >= frames_before_quit ? KEY_ESCAPE : 0;
}
