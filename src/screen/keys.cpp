// The keyboard: SDL's event queue reduced to one current key code, the low
// byte of the symbol of the last key pressed, or 0 after any release.
#include <SDL.h>

#include <cstdint>

#include "screen/screen.h"

namespace {

uint8_t key_code(const SDL_KeyboardEvent& key) { return static_cast<uint8_t>(key.keysym.sym & 0xFF); }

}  // namespace

// Never waits. Events other than key presses and releases, the window's
// close request included, are dropped. A null handle reads nothing, so the
// events stay queued for a valid one.
void keys_poll(KeyState* keys) {
    if (!keys || !keys->buffer) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_KEYDOWN) {
            keys->buffer[0] = key_code(event.key);
        } else if (event.type == SDL_KEYUP) {
            keys->buffer[0] = 0;
        }
    }
}
