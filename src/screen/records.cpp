// What every screen backend shares: the one Screen and the one KeyState, the
// bookkeeping of their handles, and their text form, parse, compare and copy.
#include <cstdint>
#include <cstdlib>

#include "screen/backend.h"
#include "screen/screen.h"

namespace {

constexpr int32_t INITIAL_MODE_SIZE = 256;
constexpr size_t KEY_BUFFER_SIZE = 8;

Screen* open_screen = nullptr;
KeyState* open_keys = nullptr;

}  // namespace

bool screen_backend::is_open(const Screen* screen) { return screen && screen == open_screen; }

bool screen_backend::fits(const Screen* screen, const Image* image) {
    return is_open(screen) && image && image->pixels && image->width == screen->width &&
           image->height == screen->height;
}

void screen_error() {}

// The Screen stays open when the first mode cannot be set; its size is then 0.
Screen* screen_open() {
    if (open_screen) {
        screen_error();
        return open_screen;
    }
    if (!screen_backend::prepare()) {
        screen_error();
        return nullptr;
    }
    auto* screen = static_cast<Screen*>(std::calloc(1, sizeof(Screen)));
    if (!screen) {
        screen_error();
        return nullptr;
    }
    open_screen = screen;
    screen_set_mode(screen, INITIAL_MODE_SIZE, INITIAL_MODE_SIZE);
    return screen;
}

void screen_close(Screen** screen) {
    if (!screen || !screen_backend::is_open(*screen)) {
        screen_error();
        return;
    }
    screen_backend::release();
    std::free(open_screen);
    open_screen = nullptr;
    *screen = nullptr;
}

// Every backend copies the frame. sdl12-compat shows what the SDL 2 surface
// behind the display surface holds, not what the 1.2 surface's pixel pointer
// points at: lending the image's pixels to the display surface would show
// the previous frame again.
void screen_present_swap(Screen* screen, const Image* image) { screen_present(screen, image); }

const char* screen_to_text(const Screen* screen) { return screen_backend::is_open(screen) ? "" : nullptr; }

Screen* screen_from_text(const char*) { return nullptr; }

int32_t screen_equal(const Screen* a, const Screen* b) { return screen_backend::is_open(a) && a == b ? 1 : 0; }

Screen* screen_clone(Screen* screen) { return screen_backend::is_open(screen) ? screen : nullptr; }

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

// Only the open KeyState is freed: any other handle is a stale copy of one
// already closed, and freeing it again would corrupt the heap.
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
