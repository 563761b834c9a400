// The contract between the shared part of the screen and keyboard modules
// (records.cpp: the one Screen and KeyState, their handles, text form,
// parse, compare and copy) and a backend that shows the frames and reads the
// keys. A backend defines screen_set_mode, screen_present,
// screen_present_blit, keys_poll and the two functions below.
#pragma once

#include "screen/screen.h"

namespace screen_backend {

// Called by screen_open before the one Screen is made; false refuses the
// open.
bool prepare();
// Called by screen_close before the Screen is freed: lets go of the display.
void release();

// True when `screen` is the open Screen.
bool is_open(const Screen* screen);
// True when `screen` is the open Screen and `image` holds pixels of its size.
bool fits(const Screen* screen, const Image* image);

}  // namespace screen_backend
