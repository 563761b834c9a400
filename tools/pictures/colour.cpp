#include "pictures/colour.h"

#include <algorithm>
#include <cmath>

namespace colour {

namespace {

uint32_t channel(double value) {
    return static_cast<uint32_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
}

}  // namespace

Rgb hue(double degrees) {
    const double h = std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0) / 60.0;
    const double rising = h - std::floor(h);
    const double falling = 1 - rising;
    switch (static_cast<int>(h)) {
        case 0: return {1, rising, 0};
        case 1: return {falling, 1, 0};
        case 2: return {0, 1, rising};
        case 3: return {0, falling, 1};
        case 4: return {rising, 0, 1};
        default: return {1, 0, falling};
    }
}

Rgb scaled(Rgb c, double factor) { return {c.r * factor, c.g * factor, c.b * factor}; }

Rgb whitened(Rgb c, double amount) {
    return {c.r + (1 - c.r) * amount, c.g + (1 - c.g) * amount, c.b + (1 - c.b) * amount};
}

uint32_t painted(Rgb c) {
    const uint32_t pixel = channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
    return pixel == 0 ? 1 : pixel;
}

}  // namespace colour
