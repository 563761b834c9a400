#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "capture.h"
#include "img/img.h"

namespace {

struct ImageDeleter {
    void operator()(Image* img) const { img_destroy(&img); }
};
using ImagePtr = std::unique_ptr<Image, ImageDeleter>;

struct FreeDeleter {
    void operator()(int32_t* p) const { std::free(p); }
};
using IntArray = std::unique_ptr<int32_t[], FreeDeleter>;

ImagePtr make_image(int32_t width, int32_t height) {
    ImagePtr img(img_create());
    img_resize(img.get(), width, height);
    return img;
}

// Every pixel distinct and non-zero, with a top byte, so a wrong source
// pixel or a dropped byte always shows.
ImagePtr numbered_image(int32_t width, int32_t height) {
    ImagePtr img = make_image(width, height);
    for (int32_t i = 0; i < width * height; ++i) img->pixels[i] = 0x01000000u + 7919u * (i + 1);
    return img;
}

ImagePtr row_image(const std::vector<uint32_t>& pixels, int32_t width) {
    ImagePtr img = make_image(width, static_cast<int32_t>(pixels.size()) / width);
    std::copy(pixels.begin(), pixels.end(), img->pixels);
    return img;
}

std::vector<uint32_t> pixels_of(const Image* img) {
    return {img->pixels, img->pixels + img->width * img->height};
}

std::vector<int32_t> values_of(const int32_t* list, int32_t count) { return {list, list + count}; }

int64_t floor_div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
int64_t ceil_div(int64_t a, int64_t b) { return -floor_div(-a, b); }

// The scaler by its closed formulas, one source pixel per result pixel.
ImagePtr reference_scale(const Image* src, int32_t width, int32_t height) {
    ImagePtr out = make_image(width, height);
    if (src->width == 0 || src->height == 0) return out;
    const bool wider = width >= src->width, taller = height >= src->height;
    for (int32_t n = 0; n < height; ++n) {
        int64_t y;
        if (taller) y = floor_div(int64_t{n} * src->height, height);
        else if (wider) y = ceil_div(int64_t{n} * src->height, height);
        else y = ceil_div(int64_t{n + 1} * src->height, height) - 1;
        for (int32_t m = 0; m < width; ++m) {
            const int64_t x = wider ? floor_div(int64_t{m} * src->width, width)
                                    : ceil_div(int64_t{m + 1} * src->width, width) - 1;
            img_put_pixel(out.get(), m, n, img_get_pixel(src, x, y));
        }
    }
    return out;
}

int32_t sine(int64_t angle) {
    return sine_table[((angle % sine_table_length) + sine_table_length) % sine_table_length];
}

// The rotation by its formulas, through the pixel accessors, rows from the
// bottom and columns from the right.
ImagePtr reference_rotate(const Image* src, int32_t angle) {
    const int32_t width = (src->width * 92667) >> 16, height = (src->height * 92667) >> 16;
    ImagePtr out = make_image(width, height);
    const int32_t sa = sine(-int64_t{angle}), ca = sine(-(int64_t{angle} + 256));
    for (int32_t y = height - 1; y >= 0; --y) {
        for (int32_t x = width - 1; x >= 0; --x) {
            const int32_t dx = x - width / 2, dy = y - height / 2;
            const int32_t u = ((dx * ca) >> 15) - ((dy * sa) >> 15) + src->width / 2;
            const int32_t v = ((dx * sa) >> 15) + ((dy * ca) >> 15) + src->height / 2;
            img_put_pixel(out.get(), x, y, img_get_pixel(src, u, v));
        }
    }
    return out;
}

void expect_same_image(const Image* got, const Image* want, const std::string& what) {
    ASSERT_NE(got, nullptr) << what;
    ASSERT_EQ(got->width, want->width) << what;
    ASSERT_EQ(got->height, want->height) << what;
    ASSERT_EQ(pixels_of(got), pixels_of(want)) << what;
}

}  // namespace

TEST(SineTable, HoldsTheKnownEntriesAndSymmetries) {
    EXPECT_EQ(sine_table_length, 1024);
    const std::vector<std::pair<int, int>> known{
        {0, 0},         {1, 201},       {2, 402},      {64, 12539},   {128, 23170},
        {129, 23312},   {183, 29535},   {192, 30273},  {255, 32766},  {256, 32766},
        {257, 32765},   {384, 23027},   {511, 0},      {512, 0},      {640, -23170},
        {768, -32766},  {1023, 0}};
    for (auto [i, value] : known) EXPECT_EQ(sine_table[i], value) << "entry " << i;

    for (int i = 0; i < 256; ++i) {
        const int rounded = static_cast<int>(std::lround(32767.0 * std::sin(2.0 * M_PI * i / 1024)));
        const int extra = (i == 129 || i == 183) ? 1 : 0;
        EXPECT_EQ(sine_table[i], rounded + extra) << "entry " << i;
        EXPECT_EQ(sine_table[511 - i], sine_table[i]) << "entry " << 511 - i;
    }
    for (int i = 512; i < 1024; ++i) EXPECT_EQ(sine_table[i], -sine_table[i - 512]) << "entry " << i;
}

TEST(RunLengths, DistributesTheLongerExtentOverTheShorter) {
    EXPECT_EQ(values_of(IntArray(run_lengths(5, 2)).get(), 3), (std::vector<int32_t>{3, 2, 1}));
    EXPECT_EQ(values_of(IntArray(run_lengths(2, 5)).get(), 3), (std::vector<int32_t>{3, 2, 1}));
    EXPECT_EQ(values_of(IntArray(run_lengths(-5, 2)).get(), 3), (std::vector<int32_t>{3, 2, 1}));
    EXPECT_EQ(values_of(IntArray(run_lengths(3, 3)).get(), 4), (std::vector<int32_t>{1, 1, 1, 1}));
    EXPECT_EQ(values_of(IntArray(run_lengths(0, 4)).get(), 1), (std::vector<int32_t>{5}));
    EXPECT_EQ(values_of(IntArray(run_lengths(0, 0)).get(), 1), (std::vector<int32_t>{1}));
    // 2^31 + 1 steps cannot be counted in 32 bits.
    EXPECT_EQ(run_lengths(-2147483647 - 1, 0), nullptr);
    EXPECT_EQ(run_lengths(3, 2147483647), nullptr);

    // counts[c] is the number of m in 0 .. L with floor(m * S / L) = c.
    for (int32_t longer = 1; longer <= 40; ++longer) {
        for (int32_t shorter = 0; shorter <= longer; ++shorter) {
            IntArray counts(run_lengths(shorter, longer));
            std::vector<int32_t> want(shorter + 1, 0);
            for (int32_t m = 0; m <= longer; ++m) ++want[m * shorter / longer];
            ASSERT_EQ(values_of(counts.get(), shorter + 1), want) << shorter << " over " << longer;
        }
    }
}

TEST(LinePoints, TracesTheWorkedLines) {
    auto trace = [](int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        IntArray list(line_points(x0, y0, x1, y1));
        return values_of(list.get(), list[0] + 1);
    };
    EXPECT_EQ(trace(0, 0, 4, 2), (std::vector<int32_t>{10, 0, 0, 1, 1, 2, 1, 3, 2, 4, 2}));
    EXPECT_EQ(trace(0, 0, 2, 2), (std::vector<int32_t>{6, 0, 0, 1, 1, 2, 2}));
    EXPECT_EQ(trace(0, 0, 1, 4), (std::vector<int32_t>{10, 0, 0, 0, 1, 1, 2, 1, 3, 1, 4}));
    EXPECT_EQ(trace(3, 3, 3, 3), (std::vector<int32_t>{2, 3, 3}));
    EXPECT_EQ(trace(0, 0, -5, 1), (std::vector<int32_t>{12, 0, 0, -1, 0, -2, 1, -3, 1, -4, 1, -5, 1}));
    EXPECT_EQ(trace(0, 0, 1, 0), (std::vector<int32_t>{4, 0, 0, 1, 0}));
    EXPECT_EQ(trace(5, 5, 5, 4), (std::vector<int32_t>{4, 5, 5, 5, 4}));
}

TEST(LinePoints, RunsFromEndToEndInUnitSteps) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> coordinate(-200, 200);
    for (int i = 0; i < 500; ++i) {
        const int32_t x0 = coordinate(random), y0 = coordinate(random);
        const int32_t x1 = coordinate(random), y1 = coordinate(random);
        IntArray list(line_points(x0, y0, x1, y1));
        const int32_t major = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        ASSERT_EQ(list[0], 2 * major + 2);
        ASSERT_EQ(list[1], x0);
        ASSERT_EQ(list[2], y0);
        ASSERT_EQ(list[list[0] - 1], x1) << x0 << "," << y0 << " to " << x1 << "," << y1;
        ASSERT_EQ(list[list[0]], y1) << x0 << "," << y0 << " to " << x1 << "," << y1;
        for (int32_t p = 3; p < list[0]; p += 2) {
            ASSERT_LE(std::abs(list[p] - list[p - 2]), 1);
            ASSERT_LE(std::abs(list[p + 1] - list[p - 1]), 1);
        }
    }
}

TEST(LinePoints, ExtremeCoordinatesDoNotWrap) {
    IntArray list(line_points(2147483647, -2147483647 - 1, 2147483645, -2147483647 - 1));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(values_of(list.get(), 7),
              (std::vector<int32_t>{6, 2147483647, -2147483647 - 1, 2147483646, -2147483647 - 1,
                                    2147483645, -2147483647 - 1}));
    // A list of 2^33 values cannot carry its own count in element 0.
    EXPECT_EQ(line_points(-2147483647 - 1, 0, 2147483647, 0), nullptr);
}

TEST(Scale, WorkedExamples) {
    constexpr uint32_t A = 0xA, B = 0xB, C = 0xC, D = 0xD, E = 0xE;
    ImagePtr two = row_image({A, B}, 2);
    EXPECT_EQ(pixels_of(ImagePtr(img_scale(two.get(), 5, 1)).get()), (std::vector<uint32_t>{A, A, A, B, B}));

    ImagePtr five = row_image({A, B, C, D, E}, 5);
    EXPECT_EQ(pixels_of(ImagePtr(img_scale(five.get(), 2, 1)).get()), (std::vector<uint32_t>{C, E}));

    ImagePtr column = row_image({0, 1, 2, 3, 4, 5}, 1);
    EXPECT_EQ(pixels_of(ImagePtr(img_scale(column.get(), 1, 4)).get()), (std::vector<uint32_t>{0, 2, 3, 5}));
    EXPECT_EQ(pixels_of(ImagePtr(img_scale(column.get(), 2, 4)).get()),
              (std::vector<uint32_t>{0, 0, 2, 2, 3, 3, 5, 5}));
}

TEST(Scale, DoublingMakesTwoByTwoBlocksAndOwnSizeIsACopy) {
    ImagePtr sheet = numbered_image(8, 8);
    ImagePtr doubled(img_scale(sheet.get(), 16, 16));
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x)
            ASSERT_EQ(img_get_pixel(doubled.get(), x, y), img_get_pixel(sheet.get(), x / 2, y / 2));

    ImagePtr same(img_scale(sheet.get(), 8, 8));
    EXPECT_EQ(img_equal(same.get(), sheet.get()), 1);
}

TEST(Scale, MatchesTheFormulasInAllFourCases) {
    const std::vector<int32_t> source_sides{0, 1, 2, 3, 5, 8, 13};
    const std::vector<int32_t> result_sides{0, 1, 2, 3, 4, 7, 8, 13, 20};
    for (int32_t sw : source_sides) {
        for (int32_t sh : source_sides) {
            ImagePtr src = numbered_image(sw, sh);
            for (int32_t w : result_sides) {
                for (int32_t h : result_sides) {
                    const std::string what = std::to_string(sw) + "x" + std::to_string(sh) + " to " +
                                             std::to_string(w) + "x" + std::to_string(h);
                    ImagePtr got(img_scale(src.get(), w, h));
                    expect_same_image(got.get(), reference_scale(src.get(), w, h).get(), what);
                }
            }
        }
    }
    ImagePtr picture = numbered_image(361, 347);
    for (auto [w, h] : {std::pair{575, 575}, {64, 64}, {575, 64}, {64, 575}, {361, 346}, {1, 600}}) {
        ImagePtr got(img_scale(picture.get(), w, h));
        expect_same_image(got.get(), reference_scale(picture.get(), w, h).get(),
                          std::to_string(w) + "x" + std::to_string(h));
    }
}

TEST(Scale, RefusesBadArgumentsWithOneLine) {
    ImagePtr src = numbered_image(4, 4);
    Image no_pixels{4, 4, nullptr};
    struct Call {
        const Image* image;
        int32_t w, h;
    };
    for (const Call& call : {Call{src.get(), -1, 4}, Call{src.get(), 4, -1}, Call{nullptr, 4, 4},
                             Call{&no_pixels, 4, 4}, Call{src.get(), 46341, 46341},
                             Call{src.get(), 2147483647, 2}, Call{src.get(), 2147483647, 1}}) {
        Image* result = nullptr;
        const std::string out = captured_stdout([&] { result = img_scale(call.image, call.w, call.h); });
        EXPECT_EQ(result, nullptr) << call.w << "x" << call.h;
        EXPECT_EQ(out, "IMG error\n") << call.w << "x" << call.h;
    }
}

TEST(Rotate, SizesAndFormulas) {
    EXPECT_EQ(ImagePtr(img_rotate(numbered_image(256, 256).get(), 0))->width, 361);
    EXPECT_EQ(ImagePtr(img_rotate(numbered_image(256, 256).get(), 0))->height, 361);
    ImagePtr dot(img_rotate(numbered_image(1, 1).get(), 77));
    EXPECT_EQ(dot->width, 1);
    EXPECT_EQ(dot->height, 1);
    EXPECT_EQ(dot->pixels[0], 0x01000000u + 7919u);

    for (auto [sw, sh] : {std::pair{0, 5}, {1, 1}, {2, 7}, {5, 3}, {16, 16}, {33, 20}, {64, 65}}) {
        ImagePtr src = numbered_image(sw, sh);
        for (int32_t angle : {0, 1, 37, 128, 255, 256, 300, 512, 700, 768, 1023, 1024, -1, -300, 5000}) {
            ImagePtr got(img_rotate(src.get(), angle));
            expect_same_image(got.get(), reference_rotate(src.get(), angle).get(),
                              std::to_string(sw) + "x" + std::to_string(sh) + " at " + std::to_string(angle));
        }
    }
    ImagePtr odd = numbered_image(33, 20);
    for (int32_t angle = -1030; angle < 2100; angle += 3) {
        ImagePtr got(img_rotate(odd.get(), angle));
        expect_same_image(got.get(), reference_rotate(odd.get(), angle).get(), "33x20 at " + std::to_string(angle));
    }
}

TEST(Rotate, AnglesWrapAroundTheTurn) {
    ImagePtr src = numbered_image(40, 30);
    for (int32_t a : {0, 100, 256, 900}) {
        ImagePtr base(img_rotate(src.get(), a));
        EXPECT_EQ(img_equal(ImagePtr(img_rotate(src.get(), a + 1024)).get(), base.get()), 1) << a;
        EXPECT_EQ(img_equal(ImagePtr(img_rotate(src.get(), -a)).get(),
                            ImagePtr(img_rotate(src.get(), 1024 - a)).get()),
                  1)
            << a;
    }
}

TEST(Rotate, QuarterAndHalfTurnsMoveTheQuadrants) {
    // A 64 x 64 picture in four colours; the result is 90 x 90 with its
    // centre at 45, 45, and sampling 16 pixels off the centre lands well
    // inside one quadrant.
    constexpr uint32_t top_left = 0x110000, top_right = 0x002200, bottom_left = 0x000033,
                       bottom_right = 0x444444;
    ImagePtr src = make_image(64, 64);
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64; ++x)
            img_put_pixel(src.get(), x, y,
                          y < 32 ? (x < 32 ? top_left : top_right) : (x < 32 ? bottom_left : bottom_right));

    auto quadrants = [&](int32_t angle) {
        ImagePtr r(img_rotate(src.get(), angle));
        return std::vector<uint32_t>{img_get_pixel(r.get(), 29, 29), img_get_pixel(r.get(), 61, 29),
                                     img_get_pixel(r.get(), 29, 61), img_get_pixel(r.get(), 61, 61)};
    };
    // Angle 0 is upside down; growing angles turn counter-clockwise on screen.
    EXPECT_EQ(quadrants(0), (std::vector<uint32_t>{bottom_right, bottom_left, top_right, top_left}));
    EXPECT_EQ(quadrants(256), (std::vector<uint32_t>{bottom_left, top_left, bottom_right, top_right}));
    EXPECT_EQ(quadrants(512), (std::vector<uint32_t>{top_left, top_right, bottom_left, bottom_right}));
    EXPECT_EQ(quadrants(768), (std::vector<uint32_t>{top_right, bottom_right, top_left, bottom_left}));

    ImagePtr r(img_rotate(src.get(), 128));
    EXPECT_EQ(img_get_pixel(r.get(), 0, 0), 0u) << "corners outside the source are transparent";
}

TEST(Rotate, RefusesBadSourcesAndOverflowingSizes) {
    Image no_pixels{4, 4, nullptr};
    ImagePtr too_wide = make_image(23175, 1);
    for (const Image* src : std::vector<const Image*>{nullptr, &no_pixels, too_wide.get()}) {
        Image* result = nullptr;
        EXPECT_EQ(captured_stdout([&] { result = img_rotate(src, 0); }), "IMG error\n");
        EXPECT_EQ(result, nullptr);
    }
    ImagePtr widest = make_image(23174, 1);
    ImagePtr rotated(img_rotate(widest.get(), 0));
    ASSERT_NE(rotated, nullptr);
    EXPECT_EQ(rotated->width, 32767);
}
