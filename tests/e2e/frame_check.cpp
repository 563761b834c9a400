// Looks at screenshots of the intro (binary PPM files):
//   frame_check kind FILE [DARK]   prints rotozoom, multiscroll or plasma;
//                                  channels up to DARK count as black
//   frame_check brightness FILE    prints the mean channel value, 0 ... 255
//   frame_check unscale FILE W H OUT
//       takes a full-screen shot of a W x H frame scaled up to fit the
//       screen with its aspect kept, checks the margins are black and every
//       screen pixel repeats its nearest frame pixel, and writes the frame.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "img/img.h"

namespace {

constexpr int32_t BAND = 20;
constexpr int32_t BAND_GAP = 4;  // rows at the top of a band that no glyph reaches

struct ImageDeleter {
    void operator()(Image* img) const { img_destroy(&img); }
};
using ImagePtr = std::unique_ptr<Image, ImageDeleter>;

ImagePtr load(const char* path) {
    ImagePtr img(img_load_pnm(path));
    if (!img) {
        std::fprintf(stderr, "cannot read %s\n", path);
        std::exit(2);
    }
    return img;
}

uint32_t pixel(const Image& img, int32_t x, int32_t y) { return img.pixels[static_cast<size_t>(y) * img.width + x]; }

// A display of fewer than 24 bits may show black a few levels above 0.
uint32_t darkest_lit_level = 1;

bool is_black(uint32_t p) {
    return (p >> 16 & 0xFF) < darkest_lit_level && (p >> 8 & 0xFF) < darkest_lit_level && (p & 0xFF) < darkest_lit_level;
}

// The 96 colours of the plasma part's rolling text.
const std::set<uint32_t>& rainbow_colours() {
    static const std::set<uint32_t> colours = [] {
        std::set<uint32_t> all;
        for (uint32_t k = 0; k < 16; ++k) {
            const uint32_t rise = 0x10 * k, fall = 0xF0 - 0x10 * k;
            all.insert({0xF00000 | rise << 8, fall << 16 | 0x00F000, 0x00F000 | rise, rise << 16 | 0x00F0F0,
                        0xF000F0 | fall << 8, 0xF00000 | fall});
        }
        return all;
    }();
    return colours;
}

// Part two: the letters are windows onto colour bars, and the top rows of
// every 20-row band are black.
bool looks_like_multiscroll(const Image& img) {
    bool lit = false;
    for (int32_t y = 0; y < img.height; ++y) {
        for (int32_t x = 0; x < img.width; ++x) {
            if (is_black(pixel(img, x, y))) continue;
            if (y % BAND < BAND_GAP) return false;
            lit = true;
        }
    }
    return lit;
}

// Part three: apart from the rainbow text every row is one plasma colour.
bool looks_like_plasma(const Image& img) {
    const size_t n = static_cast<size_t>(img.width) * img.height;
    if (std::all_of(img.pixels, img.pixels + n, [](uint32_t p) { return p == 0; })) return false;
    for (int32_t y = 0; y < img.height; ++y) {
        std::set<uint32_t> background;
        for (int32_t x = 0; x < img.width; ++x) {
            const uint32_t p = pixel(img, x, y);
            if (!rainbow_colours().count(p)) background.insert(p);
        }
        if (background.size() > 1) return false;
    }
    return true;
}

int kind(const char* path) {
    const ImagePtr img = load(path);
    const char* name = looks_like_multiscroll(*img) ? "multiscroll" : looks_like_plasma(*img) ? "plasma" : "rotozoom";
    std::printf("%s\n", name);
    return 0;
}

int brightness(const char* path) {
    const ImagePtr img = load(path);
    double sum = 0;
    const size_t n = static_cast<size_t>(img->width) * img->height;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t p = img->pixels[i];
        sum += (p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF);
    }
    std::printf("%.2f\n", n ? sum / (3.0 * n) : 0.0);
    return 0;
}

// Frame column (or row) shown at screen position `s` of a `shown`-pixel
// span of an `n`-pixel frame, by the two usual nearest-neighbour rules.
int32_t nearest_by_edge(int32_t s, int32_t n, int32_t shown) { return static_cast<int32_t>(int64_t{s} * n / shown); }
int32_t nearest_by_centre(int32_t s, int32_t n, int32_t shown) {
    return std::min(n - 1, static_cast<int32_t>((2 * int64_t{s} + 1) * n / (2 * int64_t{shown})));
}

int unscale(const char* path, int32_t width, int32_t height, const char* out_path) {
    const ImagePtr shot = load(path);
    const double scale = std::min(double(shot->width) / width, double(shot->height) / height);
    const auto shown_w = static_cast<int32_t>(std::lround(width * scale));
    const auto shown_h = static_cast<int32_t>(std::lround(height * scale));
    const int32_t left = (shot->width - shown_w) / 2, top = (shot->height - shown_h) / 2;
    std::printf("%dx%d shown as %dx%d at (%d, %d)\n", width, height, shown_w, shown_h, left, top);

    ImagePtr frame(img_create());
    img_resize(frame.get(), width, height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const int32_t sx = left + static_cast<int32_t>((x + 0.5) * shown_w / width);
            const int32_t sy = top + static_cast<int32_t>((y + 0.5) * shown_h / height);
            img_put_pixel(frame.get(), x, y, pixel(*shot, sx, sy));
        }
    }

    int bad = 0;
    for (int32_t sy = 0; sy < shot->height; ++sy) {
        for (int32_t sx = 0; sx < shot->width; ++sx) {
            const uint32_t p = pixel(*shot, sx, sy);
            const int32_t dx = sx - left, dy = sy - top;
            bool ok;
            if (dx < 0 || dy < 0 || dx >= shown_w || dy >= shown_h) {
                ok = p == 0;
            } else {
                ok = false;
                for (int32_t fx : {nearest_by_edge(dx, width, shown_w), nearest_by_centre(dx, width, shown_w)}) {
                    for (int32_t fy : {nearest_by_edge(dy, height, shown_h), nearest_by_centre(dy, height, shown_h)}) {
                        ok = ok || pixel(*frame, fx, fy) == p;
                    }
                }
            }
            if (!ok && ++bad <= 5) std::fprintf(stderr, "screen pixel (%d, %d) = %06x is no frame pixel\n", sx, sy, p);
        }
    }
    if (bad) {
        std::fprintf(stderr, "%d screen pixels do not repeat a frame pixel\n", bad);
        return 1;
    }
    return img_save_ppm(frame.get(), out_path) ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    if ((argc == 3 || argc == 4) && !std::strcmp(argv[1], "kind")) {
        if (argc == 4) darkest_lit_level = static_cast<uint32_t>(std::atoi(argv[3])) + 1;
        return kind(argv[2]);
    }
    if (argc == 3 && !std::strcmp(argv[1], "brightness")) return brightness(argv[2]);
    if (argc == 6 && !std::strcmp(argv[1], "unscale")) {
        return unscale(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), argv[5]);
    }
    std::fprintf(stderr, "usage: frame_check kind FILE [DARK] | brightness FILE | unscale FILE W H OUT\n");
    return 2;
}
