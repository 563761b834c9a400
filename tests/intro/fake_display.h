// The driver's display start-up on the fake screen: screen, keyboard and the
// screen-sized frame, opened and closed again around a test.
#pragma once

#include "fake_screen.h"
#include "intro/intro.h"

inline void open_fake_display() {
    fake_screen::reset();
    screen = screen_open();
    keys = keys_open();
    screen_set_mode(screen, SCREEN_WIDTH, SCREEN_HEIGHT);
    frame_image = img_create();
    img_resize(frame_image, SCREEN_WIDTH, SCREEN_HEIGHT);
}

inline void close_fake_display() {
    if (frame_image) img_destroy(&frame_image);
    keys_close(&keys);
    screen_close(&screen);
    fake_screen::reset();
}
