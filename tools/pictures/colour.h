// Colour helpers for the picture tools: pixels are 0x00RRGGBB.
#pragma once

#include <cstdint>

namespace colour {

struct Rgb {
    double r = 0, g = 0, b = 0;  // 0 ... 1
};

// Fully saturated colour of the hue (degrees, any value; wraps at 360).
Rgb hue(double degrees);
Rgb scaled(Rgb c, double factor);
// Moves c towards white by `amount` (0 ... 1).
Rgb whitened(Rgb c, double amount);
// Rounds to 8 bits a channel, but never to pure black: 0 is transparent in
// the intro's keyed drawing, so a painted pixel keeps at least 1 in blue.
uint32_t painted(Rgb c);

}  // namespace colour
