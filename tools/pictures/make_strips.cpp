// make-strips OUTPUT_FOLDER: the twelve colour strips "roll1.ppm" ...
// "rollc.ppm", each 1 x 20: a copper bar in its own hue, dark at both ends
// and brightest, almost white, in the middle.
//
// The top rows are pure black on purpose. Blending a black pixel leaves the
// intro's bar column unchanged, so those rows stay dark and separate the
// bands; the text is drawn only on rows 4 ... 19 of each band anyway.
#include <cmath>
#include <string>

#include "pictures/colour.h"
#include "pictures/netpbm.h"
#include "tool_main.h"

namespace {

constexpr int STRIP_COUNT = 12;
constexpr int STRIP_HEIGHT = 20;
constexpr int BLACK_ROWS = 2;
constexpr char SLOT_NAMES[] = "123456789abc";

// Brightness across the bar: 0.15 at its ends, 1 at its centre.
double brightness(int row) {
    constexpr double PI = 3.14159265358979323846;
    const double span = STRIP_HEIGHT - BLACK_ROWS;
    const double t = (row - BLACK_ROWS + 0.5) / span;  // 0 ... 1 across the bar
    return 0.15 + 0.85 * std::pow(std::sin(PI * t), 1.5);
}

netpbm::Picture strip(int slot) {
    netpbm::Picture picture(1, STRIP_HEIGHT);
    const colour::Rgb base = colour::hue(slot * 360.0 / STRIP_COUNT);
    for (int row = BLACK_ROWS; row < STRIP_HEIGHT; ++row) {
        const double b = brightness(row);
        picture.at(0, row) = colour::painted(colour::whitened(colour::scaled(base, b), 0.6 * std::pow(b, 8)));
    }
    return picture;
}

}  // namespace

int main(int argc, char** argv) {
    return tool_main(argc, argv, 1, "make-strips OUTPUT_FOLDER", [](char** args) {
        for (int slot = 0; slot < STRIP_COUNT; ++slot) {
            netpbm::write_ppm(std::string(args[1]) + "/roll" + SLOT_NAMES[slot] + ".ppm", strip(slot));
        }
    });
}
