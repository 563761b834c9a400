// The intro's entry point and only control flow: start-up, the endless show
// of three parts, the key commands, and the shutdown with its fade to black.
#include <cstdlib>

#include "intro/intro.h"

namespace {

constexpr int32_t START_SCROLL_SPEED = 2;

}  // namespace

Screen* screen = nullptr;
KeyState* keys = nullptr;
Image* frame_image = nullptr;
int8_t request = REQUEST_NONE;
int32_t scroll_speed = START_SCROLL_SPEED;

namespace {

constexpr uint8_t FADE_STEP = 4;

constexpr uint8_t KEY_ESCAPE = 27;

void (*const show_parts[])() = {part_rotozoom, part_multiscroll, part_plasma};

uint8_t current_key_code() { return keys ? keys->buffer[0] : 0; }

// Runs the parts in order, over and over, until one of them ends on a quit.
// Named in the web edition's ASYNCIFY list (see intro.h).
void run_show() {
    for (;;) {
        for (auto part : show_parts) {
            part();
            if (request & REQUEST_QUIT) return;
            request = REQUEST_NONE;
        }
    }
}

}  // namespace

void intro_handle_key(uint8_t code) {
    switch (code) {
        case KEY_ESCAPE:
        case 'Q':
        case 'q': request = REQUEST_QUIT; break;
        case ' ': request = REQUEST_NEXT; break;
        case 'u': scroll_speed = 0; break;
        case 'i': scroll_speed = 1; break;
        case 'o': scroll_speed = 2; break;
        case 'p': scroll_speed = 4; break;
        default: break;
    }
}

int32_t intro_frame_tail() {
    screen_present(screen, frame_image);
    keys_poll(keys);
    intro_handle_key(current_key_code());
    if (request != REQUEST_NONE) return 1;
    music_update();
    return 0;
}

void intro_init() {
    screen = screen_open();
    keys = keys_open();
    screen_set_mode(screen, SCREEN_WIDTH, SCREEN_HEIGHT);
    // The effects are laid out for this size. A refused mode set leaves the
    // screen at its previous size; the show then runs unseen rather than
    // drawing into a frame of the wrong shape.
    frame_image = img_create();
    img_resize(frame_image, SCREEN_WIDTH, SCREEN_HEIGHT);
    intro_load_assets();
    music_start();
}

void fade_out() {
    for (int32_t step = 0; step < FADE_FRAMES; ++step) {
        img_darken(frame_image, FADE_STEP);
        screen_present(screen, frame_image);
    }
}

void intro_shutdown() {
    music_stop();
    fade_out();
    intro_release_assets();
    img_destroy(&frame_image);
    keys_close(&keys);
    screen_close(&screen);
}

void intro_reset() {
    request = REQUEST_NONE;
    scroll_speed = START_SCROLL_SPEED;
    intro_reset_assets();
    multiscroll_reset();
    plasma_reset();
    std::srand(1);  // an unseeded generator gives the sequence of seed 1
}

int32_t intro_main() {
    intro_init();
    run_show();
    intro_shutdown();
    return 1;
}
