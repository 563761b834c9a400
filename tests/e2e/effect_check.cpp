// Tells which effect a screenshot of the intro shows, for the end-to-end
// script, and compares the brightness of two screenshots.
//
//   effect_check classify SHOT.ppm PICTURE.ppm   prints rotozoom, multiscroll,
//                                              plasma or unknown
//   effect_check darker BEFORE.ppm AFTER.ppm     exit 0 when AFTER is darker
//
// Part two: the rows at the top of every 20-row band are black, every row
// shows one bar colour inside the letters, and every band shows the same
// letters. Part three: behind the text every row is one colour, and that
// colour changes only a little from row to row. Part one: near the centre,
// the turned picture's own colours.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "img/img.h"

namespace {

constexpr int32_t BAND = 20;
constexpr int32_t GLYPH_TOP = 4;
constexpr int32_t MAX_ROW_STEP = 8;  // per channel, between neighbouring plasma rows
constexpr int32_t CENTRE_HALF = 32;

uint32_t pixel(const Image* image, int32_t x, int32_t y) { return img_get_pixel(image, x, y) & 0xFFFFFF; }

int32_t channel(uint32_t colour, int shift) { return static_cast<int32_t>(colour >> shift & 0xFF); }

bool looks_like_multiscroll(const Image* shot) {
    if (shot->height % BAND != 0) return false;
    const int32_t bands = shot->height / BAND;
    // lit[band][row] holds the columns showing a bar colour.
    std::vector<std::vector<std::vector<bool>>> lit(bands, std::vector<std::vector<bool>>(BAND));
    int32_t bands_with_letters = 0;
    for (int32_t band = 0; band < bands; ++band) {
        bool any = false;
        for (int32_t row = 0; row < BAND; ++row) {
            std::set<uint32_t> colours;
            auto& columns = lit[band][row];
            for (int32_t x = 0; x < shot->width; ++x) {
                const uint32_t colour = pixel(shot, x, band * BAND + row);
                columns.push_back(colour != 0);
                if (colour) colours.insert(colour);
            }
            if (row < GLYPH_TOP && !colours.empty()) return false;  // above the letters: black
            if (colours.size() > 1) return false;                    // one bar colour a row
            any = any || !colours.empty();
        }
        bands_with_letters += any;
    }
    // Where two bands both show a row, they show it through the same letters.
    for (int32_t row = GLYPH_TOP; row < BAND; ++row) {
        const std::vector<bool>* reference = nullptr;
        for (int32_t band = 0; band < bands; ++band) {
            const auto& columns = lit[band][row];
            if (std::none_of(columns.begin(), columns.end(), [](bool on) { return on; })) continue;
            if (reference && *reference != columns) return false;
            reference = &columns;
        }
    }
    return bands_with_letters >= bands / 2;
}

uint32_t most_common(const Image* shot, int32_t y) {
    std::map<uint32_t, int32_t> counts;
    for (int32_t x = 0; x < shot->width; ++x) ++counts[pixel(shot, x, y)];
    const auto best = std::max_element(counts.begin(), counts.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    return 2 * best->second >= shot->width ? best->first : 0xFFFFFFFF;
}

bool looks_like_plasma(const Image* shot) {
    int32_t lowest[3] = {255, 255, 255}, highest[3] = {0, 0, 0};
    uint32_t previous = 0xFFFFFFFF;
    for (int32_t y = 0; y < shot->height; ++y) {
        const uint32_t background = most_common(shot, y);
        if (background == 0xFFFFFFFF) return false;  // no one colour fills the row
        for (int c = 0; c < 3; ++c) {
            const int32_t level = channel(background, 8 * c);
            lowest[c] = std::min(lowest[c], level);
            highest[c] = std::max(highest[c], level);
            if (previous != 0xFFFFFFFF && std::abs(level - channel(previous, 8 * c)) > MAX_ROW_STEP) return false;
        }
        previous = background;
    }
    for (int c = 0; c < 3; ++c) {
        if (highest[c] - lowest[c] >= 2 * MAX_ROW_STEP) return true;  // the rows do change
    }
    return false;
}

// The colours a laser trail passes through: a line's colour darkened by 4
// per frame since it was drawn.
std::set<uint32_t> trail_colours() {
    std::set<uint32_t> colours;
    for (const uint32_t line : {0x00FF00u, 0xFF0000u, 0x0088FFu}) {
        for (int32_t fade = 0; fade < 256; fade += 4) {
            uint32_t darkened = 0;
            for (int c = 0; c < 3; ++c) darkened |= static_cast<uint32_t>(std::max(channel(line, 8 * c) - fade, 0)) << 8 * c;
            colours.insert(darkened);
        }
    }
    return colours;
}

// Near the centre every pixel is black, a trail, or one of the picture's own
// colours, and the picture's colours are plenty.
bool looks_like_rotozoom(const Image* shot, const Image* picture) {
    const std::set<uint32_t> palette(picture->pixels, picture->pixels + picture->width * picture->height);
    const std::set<uint32_t> trails = trail_colours();
    int32_t from_picture = 0;
    for (int32_t y = shot->height / 2 - CENTRE_HALF; y < shot->height / 2 + CENTRE_HALF; ++y) {
        for (int32_t x = shot->width / 2 - CENTRE_HALF; x < shot->width / 2 + CENTRE_HALF; ++x) {
            const uint32_t colour = pixel(shot, x, y);
            if (colour == 0 || trails.count(colour)) continue;
            if (!palette.count(colour)) return false;
            ++from_picture;
        }
    }
    return from_picture >= CENTRE_HALF * CENTRE_HALF / 4;  // a sixteenth of the square
}

uint32_t brightest_channel(const Image* shot) {
    int32_t brightest = 0;
    for (int32_t i = 0; i < shot->width * shot->height; ++i) {
        for (int c = 0; c < 3; ++c) brightest = std::max(brightest, channel(shot->pixels[i], 8 * c));
    }
    return static_cast<uint32_t>(brightest);
}

int usage() {
    std::fprintf(stderr, "usage: effect_check classify SHOT.ppm PICTURE.ppm | darker BEFORE.ppm AFTER.ppm\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return usage();
    const std::string command = argv[1];
    Image* first = img_load_pnm(argv[2]);
    Image* second = img_load_pnm(argv[3]);
    if (!first || !second) {
        std::fprintf(stderr, "effect_check: cannot read %s or %s\n", argv[2], argv[3]);
        return 2;
    }
    int status = 0;
    if (command == "classify") {
        const char* kind = looks_like_multiscroll(first) ? "multiscroll"
                           : looks_like_plasma(first)    ? "plasma"
                           : looks_like_rotozoom(first, second) ? "rotozoom"
                                                                : "unknown";
        std::printf("%s\n", kind);
    } else if (command == "darker") {
        const uint32_t before = brightest_channel(first), after = brightest_channel(second);
        std::printf("brightest channel %u before, %u after\n", before, after);
        status = after + 16 <= before ? 0 : 1;
    } else {
        status = usage();
    }
    img_destroy(&first);
    img_destroy(&second);
    return status;
}
