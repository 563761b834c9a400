// The size of the desktop the windows open on, for choosing a window size
// before any window exists.
#pragma once

#include <cstdint>

// Sets *width and *height to the desktop's size in pixels and returns 1;
// returns 0 and leaves them as they were when no display answers.
int32_t screen_desktop_size(int32_t* width, int32_t* height);
