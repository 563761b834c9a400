// The generated pictures, read back by our own PNM reader and by netpbm's
// tools, and checked for what the effects take from them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "img/img.h"

namespace {

const char* const STRIP_FILES[] = {"roll1.ppm", "roll2.ppm", "roll3.ppm", "roll4.ppm", "roll5.ppm", "roll6.ppm",
                                   "roll7.ppm", "roll8.ppm", "roll9.ppm", "rolla.ppm", "rollb.ppm", "rollc.ppm"};

std::string data_file(const std::string& name) { return std::string(TARNOVEX_RUN_DIR) + "/" + name; }

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> values;
};

using ImagePtr = std::unique_ptr<Image, void (*)(Image*)>;

ImagePtr load(const std::string& name) {
    return ImagePtr(img_load_pnm(data_file(name).c_str()), [](Image* img) {
        if (img) img_destroy(&img);
    });
}

Pixels pixels_of(const Image& img) {
    return {img.width, img.height, std::vector<uint32_t>(img.pixels, img.pixels + img.width * img.height)};
}

// The picture as netpbm reads it, through its plain-text form. Bitmap 1
// (black to netpbm) becomes 0xFFFFFF, as our reader maps it.
Pixels netpbm_pixels(const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(("pnmtoplainpnm '" + path + "'").c_str(), "r"), pclose);
    std::string text;
    char buffer[4096];
    for (size_t got; pipe && (got = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) text.append(buffer, got);
    std::istringstream in(text);
    std::string magic;
    Pixels result;
    in >> magic >> result.width >> result.height;
    if (magic == "P1") {
        for (char c; in >> c;) result.values.push_back(c == '1' ? 0xFFFFFFu : 0u);
    } else if (magic == "P3") {
        int maxval = 0;
        in >> maxval;
        for (uint32_t r, g, b; in >> r >> g >> b;) result.values.push_back(r << 16 | g << 8 | b);
    }
    return result;
}

TEST(Pictures, OurReaderAndNetpbmSeeTheSamePixels) {
    std::vector<std::string> names(std::begin(STRIP_FILES), std::end(STRIP_FILES));
    names.push_back("font8x8.pbm");
    names.push_back("rotoZoom.ppm");
    for (const std::string& name : names) {
        const ImagePtr ours = load(name);
        ASSERT_NE(ours, nullptr) << name;
        const Pixels theirs = netpbm_pixels(data_file(name));
        const Pixels mine = pixels_of(*ours);
        EXPECT_EQ(mine.width, theirs.width) << name;
        EXPECT_EQ(mine.height, theirs.height) << name;
        EXPECT_TRUE(mine.values == theirs.values) << name;
    }
}

// Each strip is a 1 x 20 bar: black rows at the top, then a ramp from dark to
// a bright centre and back, in a hue of its own.
TEST(Pictures, StripsAreCopperBarsOfTwelveHues) {
    std::set<uint32_t> centres;
    for (const char* name : STRIP_FILES) {
        const ImagePtr strip = load(name);
        ASSERT_NE(strip, nullptr) << name;
        ASSERT_EQ(strip->width, 1) << name;
        ASSERT_EQ(strip->height, 20) << name;
        const auto brightness = [&](int row) {
            const uint32_t p = strip->pixels[row];
            return (p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF);
        };
        EXPECT_EQ(strip->pixels[0], 0u) << name;
        for (int row = 4; row < 20; ++row) EXPECT_NE(strip->pixels[row], 0u) << name << " row " << row;
        EXPECT_LT(brightness(4), brightness(10)) << name;
        EXPECT_LT(brightness(19), brightness(11)) << name;
        centres.insert(strip->pixels[10]);
    }
    EXPECT_EQ(centres.size(), 12u);
}

// Code c's 8 x 8 cell is at column (c % 16) * 8, row (c / 16) * 8.
TEST(Pictures, GlyphSheetHasEveryPrintableCodeTheTextsUse) {
    const ImagePtr sheet = load("font8x8.pbm");
    ASSERT_NE(sheet, nullptr);
    ASSERT_EQ(sheet->width, 128);
    ASSERT_GE(sheet->height, 64);
    const auto lit_pixels = [&](int code) {
        int lit = 0;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) lit += sheet->pixels[(code / 16 * 8 + y) * 128 + code % 16 * 8 + x] != 0;
        }
        return lit;
    };
    for (int code = 33; code <= 122; ++code) EXPECT_GT(lit_pixels(code), 0) << "code " << code;
    EXPECT_EQ(lit_pixels(10), 0) << "the line break must not show";
    EXPECT_EQ(lit_pixels(32), 0) << "space";
    for (int code = 0; code < 32; ++code) EXPECT_EQ(lit_pixels(code), 0) << "code " << code;
}

// Black shows the laser trails through the emblem; the rest is colour.
TEST(Pictures, RotatingPictureIsAnEmblemOnBlack) {
    const ImagePtr picture = load("rotoZoom.ppm");
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(picture->width, 256);
    ASSERT_EQ(picture->height, 256);
    const Pixels pixels = pixels_of(*picture);
    const size_t black = std::count(pixels.values.begin(), pixels.values.end(), 0u);
    EXPECT_GT(black, pixels.values.size() / 4);
    EXPECT_LT(black, pixels.values.size() * 3 / 4);
    EXPECT_EQ(pixels.values.front(), 0u);
    EXPECT_EQ(pixels.values.back(), 0u);
    EXPECT_NE(pixels.values[128 * 256 + 128], 0u);
}

}  // namespace
