// A screen and keyboard without SDL for tests of the driver and the effects:
// it counts the frames presented, keeps a copy of the last one, and plays key
// events from a script, so a test can end a part after any number of frames.
#pragma once

#include <cstdint>
#include <functional>

#include "img/img.h"

namespace fake_screen {

// Number of frames presented since the last reset().
extern int32_t presents;
// Copy of the last presented frame (null before the first one).
extern Image* last_frame;
// Called by keys_poll with the number of frames presented so far; a result
// of -1 means no key event, anything else becomes the current key code.
extern std::function<int32_t(int32_t presented)> key_event;
// Called with each presented frame.
extern std::function<void(const Image* frame)> on_present;

void reset();

// Key script helpers.
std::function<int32_t(int32_t)> press_at(int32_t presented, uint8_t code);

}  // namespace fake_screen
