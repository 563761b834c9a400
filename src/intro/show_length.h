// The show's length in frames, the same at every screen height: each part's,
// one pass of the three parts, and the fade to black that ends the show.
#pragma once

#include <cstdint>

constexpr int32_t ROTOZOOM_FRAMES = 201;
constexpr int32_t MULTISCROLL_FRAMES = 2001;
constexpr int32_t PLASMA_FRAMES = 750;
constexpr int32_t PASS_FRAMES = ROTOZOOM_FRAMES + MULTISCROLL_FRAMES + PLASMA_FRAMES;
constexpr int32_t FADE_FRAMES = 64;
