// The keyboard: SDL's event queue reduced to one current key code, the low
// byte of the symbol of the last key pressed, or 0 after any release.
// Started by the launcher, a program also takes the window's close request
// as the Escape key: there the close button must quit.
#include <SDL.h>

#include <cstdint>
#include <cstdlib>

#include "screen/frame_pace.h"
#include "screen/screen.h"

namespace {

constexpr uint8_t ESCAPE_CODE = SDLK_ESCAPE;

uint8_t key_code(const SDL_KeyboardEvent& key) { return static_cast<uint8_t>(key.keysym.sym & 0xFF); }

// The launcher always passes its pace setting on.
bool started_by_launcher() { return std::getenv(frame_pace::SETTING) != nullptr; }

}  // namespace

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
