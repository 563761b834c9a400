// Screen and keyboard: the program's only contact with SDL 1.2.
//
// Both are singletons: opening a second time hands back the open one. The
// video flags are a build-time setting of the screen module (full screen or
// window). Refusals are silent.
#pragma once

#include <cstdint>

#include "img/img.h"

struct Screen {
    int32_t width;
    int32_t height;
    int32_t depth;
};

Screen* screen_open();
void screen_set_mode(Screen* screen, int32_t width, int32_t height);
void screen_present(Screen* screen, const Image* image);
void screen_present_swap(Screen* screen, const Image* image);
void screen_present_blit(Screen* screen, const Image* image);
void screen_close(Screen** screen);
const char* screen_to_text(const Screen* screen);
Screen* screen_from_text(const char* text);
int32_t screen_equal(const Screen* a, const Screen* b);
Screen* screen_clone(Screen* screen);
void screen_error();

struct KeyState {
    uint8_t* buffer;  // 8 bytes; byte 0 is the current key code
};

KeyState* keys_open();
void keys_poll(KeyState* keys);
void keys_close(KeyState** keys);
const char* keys_to_text(const KeyState* keys);
KeyState* keys_from_text(const char* text);
int32_t keys_equal(const KeyState* a, const KeyState* b);
KeyState* keys_clone(const KeyState* keys);
