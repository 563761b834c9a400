// The top rows are pure black on purpose. Blending a black pixel leaves the
// intro's bar column unchanged, so those rows stay dark and separate the
// bands; the text is drawn only on rows 4 ... 19 of each band anyway.
#include "pictures/strips.h"

#include <cmath>

#include "pictures/colour.h"
#include "portable_math.h"

namespace strips {

namespace {

constexpr int STRIP_HEIGHT = 20;
constexpr int BLACK_ROWS = 2;
constexpr char SLOT_NAMES[] = "123456789abc";

// Brightness across the bar: 0.15 at its ends, 1 at its centre.
double brightness(int row) {
    constexpr double PI = 3.14159265358979323846;
    const double span = STRIP_HEIGHT - BLACK_ROWS;
    const double t = (row - BLACK_ROWS + 0.5) / span;  // 0 ... 1 across the bar
    return 0.15 + 0.85 * portable::pow(portable::sin(PI * t), 1.5);
}

}  // namespace

netpbm::Picture draw(int slot) {
    netpbm::Picture picture(1, STRIP_HEIGHT);
    const colour::Rgb base = colour::hue(slot * 360.0 / COUNT);
    for (int row = BLACK_ROWS; row < STRIP_HEIGHT; ++row) {
        const double b = brightness(row);
        picture.at(0, row) = colour::painted(colour::whitened(colour::scaled(base, b), 0.6 * portable::pow(b, 8)));
    }
    return picture;
}

std::string file_name(int slot) { return std::string("roll") + SLOT_NAMES[slot] + ".ppm"; }

}  // namespace strips
