// The intro's screen and keyboard for a capture: each presented frame goes
// into the recording, and the keys follow a script instead of a keyboard.
#include <algorithm>
#include <cstdlib>

#include "capture/capture.h"
#include "screen/screen.h"

namespace {

Screen* open_screen = nullptr;
KeyState* open_keys = nullptr;
int64_t frames_before_quit = 0;

constexpr uint8_t KEY_ESCAPE = 27;
constexpr int32_t KEY_BUFFER_BYTES = 8;

bool is_open(const Screen* screen) { return screen && screen == open_screen; }

}  // namespace

void capture_set_key_script(int64_t frames) { frames_before_quit = frames; }

Screen* screen_open() {
    if (open_screen) return open_screen;
    open_screen = static_cast<Screen*>(std::calloc(1, sizeof(Screen)));
    if (!open_screen) return nullptr;
    screen_set_mode(open_screen, 256, 256);
    return open_screen;
}

void screen_set_mode(Screen* screen, int32_t width, int32_t height) {
    if (!is_open(screen) || width < 0 || height < 0) return;
    screen->width = width;
    screen->height = height;
    screen->depth = 32;
}

void screen_present(Screen* screen, const Image* image) {
    if (!is_open(screen) || !image || !image->pixels) return;
    if (image->width != screen->width || image->height != screen->height) return;
    capture_frame(image);
}

void screen_present_swap(Screen* screen, const Image* image) { screen_present(screen, image); }

// Only the top-left part that fits is recorded, as the screen would show it;
// the show itself never uses this path.
void screen_present_blit(Screen* screen, const Image* image) {
    if (!is_open(screen) || !image || !image->pixels) return;
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
void screen_error() {}

KeyState* keys_open() {
    if (!open_screen) return nullptr;
    if (open_keys) return open_keys;
    auto* keys = static_cast<KeyState*>(std::calloc(1, sizeof(KeyState)));
    auto* buffer = static_cast<uint8_t*>(std::calloc(KEY_BUFFER_BYTES, 1));
    if (!keys || !buffer) {
        std::free(keys);
        std::free(buffer);
        return nullptr;
    }
    keys->buffer = buffer;
    open_keys = keys;
    return open_keys;
}

// No key until the requested frames are shown, then Escape.
void keys_poll(KeyState* keys) {
    if (!keys) return;
    keys->buffer[0] = capture_frames_done() >= frames_before_quit ? KEY_ESCAPE : 0;
}

// Only the open KeyState is freed, as with the real keyboard: a stale copy
// would free it twice.
void keys_close(KeyState** keys) {
    if (!keys || !*keys || *keys != open_keys) return;
    std::free((*keys)->buffer);
    std::free(*keys);
    open_keys = nullptr;
    *keys = nullptr;
}

const char* keys_to_text(const KeyState* keys) { return keys ? "" : nullptr; }
KeyState* keys_from_text(const char*) { return nullptr; }
int32_t keys_equal(const KeyState* a, const KeyState* b) { return a && a == b; }
KeyState* keys_clone(const KeyState*) { return nullptr; }
