#include "pictures/emblem.h"

#include <cmath>

#include "pictures/colour.h"
#include "pictures/glyphs.h"
#include "portable_math.h"

namespace emblem {

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double CENTRE = (SIDE - 1) / 2.0;
constexpr double RING_INNER = 104;
constexpr double RING_OUTER = 124;
constexpr int NOTCHES = 12;
constexpr double NOTCH_DEGREES = 6;
constexpr int STAR_POINTS = 8;
constexpr double STAR_RADIUS = 98;
constexpr double STAR_WAIST = 26;
constexpr char NAME[] = "TARNOVEX";
constexpr int LETTER_SCALE = 3;
constexpr int BAND_MARGIN = 6;

struct Polar {
    double radius;
    double degrees;  // 0 ... 360, counter-clockwise from the right
};

Polar polar(int x, int y) {
    const double dx = x - CENTRE, dy = CENTRE - y;
    const double degrees = portable::atan2(dy, dx) * 180 / PI;
    return {std::sqrt(dx * dx + dy * dy), degrees < 0 ? degrees + 360 : degrees};
}

// A tube of rainbow colour, lit along its middle, with black notches.
void draw_ring(netpbm::Picture& picture) {
    for (int y = 0; y < SIDE; ++y) {
        for (int x = 0; x < SIDE; ++x) {
            const Polar p = polar(x, y);
            if (p.radius < RING_INNER || p.radius > RING_OUTER) continue;
            const double slot = std::fmod(p.degrees + NOTCH_DEGREES / 2, 360.0 / NOTCHES);
            if (slot < NOTCH_DEGREES) continue;
            const double across = (p.radius - RING_INNER) / (RING_OUTER - RING_INNER);  // 0 ... 1
            const double light = portable::sin(PI * across);
            const colour::Rgb base = colour::hue(p.degrees);
            picture.at(x, y) = colour::painted(colour::whitened(colour::scaled(base, 0.35 + 0.65 * light),
                                                                0.5 * portable::pow(light, 6)));
        }
    }
}

// Radius of the star's outline in the direction `degrees`: points at every
// 360 / STAR_POINTS degrees, narrowing to the waist between them.
double star_edge(double degrees) {
    const double half_step = 180.0 / STAR_POINTS;
    const double from_point = std::abs(std::fmod(degrees, 2 * half_step) - half_step) / half_step;  // 1 at a point
    return STAR_WAIST + (STAR_RADIUS - STAR_WAIST) * portable::pow(from_point, 3);
}

void draw_star(netpbm::Picture& picture) {
    for (int y = 0; y < SIDE; ++y) {
        for (int x = 0; x < SIDE; ++x) {
            const Polar p = polar(x, y);
            const double edge = star_edge(p.degrees);
            if (p.radius > edge) continue;
            const double depth = 1 - p.radius / edge;  // 1 at the centre, 0 at the outline
            const colour::Rgb teal{0.1, 0.55 + 0.45 * depth, 0.9};
            picture.at(x, y) = colour::painted(colour::scaled(teal, 0.25 + 0.55 * (1 - depth)));
        }
    }
}

bool letter_lit(int x, int y, int left, int top) {
    const int column = (x - left) / LETTER_SCALE, row = (y - top) / LETTER_SCALE;
    const int length = static_cast<int>(sizeof(NAME) - 1);
    if (x < left || y < top || column >= length * glyphs::SIZE) return false;
    return glyphs::lit(NAME[column / glyphs::SIZE], column % glyphs::SIZE, row);
}

// Gold letters shaded top to bottom, with a black outline where a letter
// meets the band, on a band shaded dark blue.
void draw_name(netpbm::Picture& picture) {
    const int text_width = static_cast<int>(sizeof(NAME) - 1) * glyphs::SIZE * LETTER_SCALE;
    const int text_height = (glyphs::SIZE - 1) * LETTER_SCALE;
    const int left = (SIDE - text_width) / 2, top = (SIDE - text_height) / 2;
    for (int y = top - BAND_MARGIN; y < top + text_height + BAND_MARGIN; ++y) {
        const double down = static_cast<double>(y - top) / text_height;
        for (int x = left - BAND_MARGIN / 2; x < left + text_width + BAND_MARGIN / 2; ++x) {
            bool near_letter = false;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) near_letter |= letter_lit(x + dx, y + dy, left, top);
            }
            if (letter_lit(x, y, left, top)) {
                picture.at(x, y) = colour::painted(colour::whitened({1.0, 0.78 - 0.4 * down, 0.1}, 0.3 * (1 - down)));
            } else if (near_letter) {
                picture.at(x, y) = 0;
            } else {
                picture.at(x, y) = colour::painted(colour::scaled({0.15, 0.2, 0.7}, 0.45 + 0.3 * std::abs(down - 0.5)));
            }
        }
    }
}

}  // namespace

netpbm::Picture draw() {
    netpbm::Picture picture(SIDE, SIDE);
    draw_star(picture);
    draw_ring(picture);
    draw_name(picture);
    return picture;
}

}  // namespace emblem
