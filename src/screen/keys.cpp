// The keyboard: SDL's event queue reduced to one current key code, the low
// byte of the symbol of the last key pressed, or 0 after any release.
// Started by the launcher, a program also takes the window's close request
// as the Escape key: there the close button must quit.
#include <SDL.h>

#include <cstdint>
#include <cstdlib>

#include "screen/frame_pace.h"
#include "screen/screen.h"
#include "screen/screen_state.h"

namespace {

constexpr size_t KEY_BUFFER_SIZE = 8;
constexpr uint8_t ESCAPE_CODE = SDLK_ESCAPE;

KeyState* open_keys = nullptr;

uint8_t key_code(const SDL_KeyboardEvent& key) { return static_cast<uint8_t>(key.keysym.sym & 0xFF); }

// The launcher always passes its pace setting on.
bool started_by_launcher() { return std::getenv(frame_pace::SETTING) != nullptr; }

}  // namespace

KeyState* keys_open() {
    if (!screen_detail::screen_is_open()) return nullptr;
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

// Never waits. Events other than key presses and releases are dropped, and
// so is the window's close request unless the launcher started the program:
// then it wins over any key event of the same poll. A null handle reads
// nothing, so the events stay queued for a valid one.
void keys_poll(KeyState* keys) {
    if (!keys || !keys->buffer) return;
    SDL_Event event;
    bool close_requested = false;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_KEYDOWN) {
            keys->buffer[0] = key_code(event.key);
        } else if (event.type == SDL_KEYUP) {
            keys->buffer[0] = 0;
        } else if (event.type == SDL_QUIT) {
            close_requested = true;
        }
    }
    if (close_requested && started_by_launcher()) keys->buffer[0] = ESCAPE_CODE;
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
