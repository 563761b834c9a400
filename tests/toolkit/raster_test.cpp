#include "raster/raster.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "capture.h"

namespace {

const std::string kError = "RASTER error\n";

// A raster whose entry i is a distinct colour, so a painted row names its entry.
Raster* numbered_raster(int32_t size) {
    Raster* raster = raster_create();
    raster_resize(raster, size);
    for (int32_t i = 0; i < size; ++i) raster->colours[i] = 0x010000u + static_cast<uint32_t>(i);
    return raster;
}

Image* image_of(int32_t width, int32_t height, uint32_t seed) {
    Image* img = img_create();
    img_resize(img, width, height);
    std::mt19937 random(seed);
    for (int32_t i = 0; i < width * height; ++i) img->pixels[i] = random() & 0xFFFFFF;
    return img;
}

// Colour of row y, asserting the whole row has it.
uint32_t row_colour(const Image* img, int32_t y) {
    const uint32_t colour = img_get_pixel(img, 0, y);
    for (int32_t x = 1; x < img->width; ++x) EXPECT_EQ(img_get_pixel(img, x, y), colour) << "row " << y;
    return colour;
}

std::string file_contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string temp_path(const std::string& name) { return testing::TempDir() + "raster_test_" + name; }

}  // namespace

TEST(RasterPainting, RowsRepeatTheTableDownTheImage) {
    Raster* raster = numbered_raster(96);
    Image* img = image_of(320, 200, 1);
    raster_fill(raster, img);
    for (int32_t y = 0; y < 200; ++y) EXPECT_EQ(row_colour(img, y), raster->colours[y % 96]);
    EXPECT_EQ(raster->position, 0);
    img_destroy(&img);
    raster_destroy(&raster);
}

TEST(RasterPainting, AdvancingClimbsOneRowAndWrapsAfterSizeSteps) {
    Raster* raster = numbered_raster(96);
    Image* before = image_of(4, 200, 2);
    Image* after = image_of(4, 200, 3);
    raster_fill(raster, before);
    raster_advance(raster);
    raster_fill(raster, after);
    for (int32_t y = 0; y + 1 < 200; ++y) EXPECT_EQ(row_colour(after, y), row_colour(before, y + 1));

    for (int step = 1; step < 96; ++step) raster_advance(raster);
    EXPECT_EQ(raster->position, 0);
    for (int step = 0; step < 95; ++step) raster_advance(raster);
    EXPECT_EQ(raster->position, 95);
    raster_fill(raster, after);
    EXPECT_EQ(row_colour(after, 0), raster->colours[95]);
    EXPECT_EQ(row_colour(after, 1), raster->colours[0]);
    raster_advance(raster);
    EXPECT_EQ(raster->position, 0);
    img_destroy(&before);
    img_destroy(&after);
    raster_destroy(&raster);
}

TEST(RasterPainting, FillMatchesTheSpanFillOfEveryRow) {
    Raster* raster = numbered_raster(7);
    raster->colours[3] = 0xFF000000;  // whole 32-bit values are copied
    for (int step = 0; step < 5; ++step) raster_advance(raster);
    Image* painted = image_of(13, 31, 4);
    Image* reference = img_clone(painted);
    raster_fill(raster, painted);
    for (int32_t y = 0; y < reference->height; ++y) {
        img_hline(reference, raster->colours[(5 + y) % 7], y, 0, reference->width - 1);
    }
    EXPECT_EQ(img_equal(painted, reference), 1);
    img_destroy(&painted);
    img_destroy(&reference);
    raster_destroy(&raster);
}

TEST(RasterPainting, BlendMatchesTheSpanBlendOfEveryRowAtEveryAlpha) {
    Raster* raster = raster_create();
    std::mt19937 random(5);
    for (int32_t i = 0; i < raster->size; ++i) raster->colours[i] = random() & 0xFFFFFF;
    for (int step = 0; step < 200; ++step) raster_advance(raster);
    for (int32_t alpha : {-5, 0, 1, 64, 127, 128, 129, 255, 256, 300}) {
        Image* blended = image_of(17, 300, static_cast<uint32_t>(6 + alpha));
        Image* reference = img_clone(blended);
        raster_fill_blend(raster, blended, alpha);
        for (int32_t y = 0; y < reference->height; ++y) {
            img_hline_blend(reference, raster->colours[(200 + y) % 256], y, 0, reference->width - 1, alpha);
        }
        EXPECT_EQ(img_equal(blended, reference), 1) << "alpha " << alpha;
        img_destroy(&blended);
        img_destroy(&reference);
    }
    raster_destroy(&raster);
}

TEST(RasterPainting, BlendAtTheEndsOfAlphaLeavesOrPaints) {
    Raster* raster = numbered_raster(50);
    Image* img = image_of(9, 120, 7);
    Image* original = img_clone(img);
    raster_fill_blend(raster, img, 0);
    EXPECT_EQ(img_equal(img, original), 1);

    Image* filled = img_clone(img);
    raster_fill(raster, filled);
    raster_fill_blend(raster, img, 256);
    EXPECT_EQ(img_equal(img, filled), 1);
    img_destroy(&img);
    img_destroy(&original);
    img_destroy(&filled);
    raster_destroy(&raster);
}

TEST(RasterPainting, EmptyImagesAreNotErrors) {
    Raster* raster = raster_create();
    Image* img = img_create();
    const std::string out = captured_stdout([&] {
        img_resize(img, 0, 5);
        raster_fill(raster, img);
        raster_fill_blend(raster, img, 100);
        img_resize(img, 5, 0);
        raster_fill(raster, img);
    });
    EXPECT_EQ(out, "");
    img_destroy(&img);
    raster_destroy(&raster);
}

TEST(RasterPainting, RefusesWhatCannotBePaintedWithOneLineEach) {
    Raster* empty = raster_create();
    raster_resize(empty, 0);
    Raster* good = raster_create();
    Image* img = image_of(8, 8, 8);
    Image* original = img_clone(img);
    Image no_pixels{8, 8, nullptr};
    const std::string out = captured_stdout([&] {
        raster_fill(empty, img);
        raster_fill_blend(empty, img, 128);
        raster_fill(nullptr, img);
        raster_fill_blend(nullptr, img, 128);
        raster_fill(good, nullptr);
        raster_fill_blend(good, nullptr, 128);
        raster_fill(good, &no_pixels);
        raster_fill_blend(good, &no_pixels, 128);
    });
    EXPECT_EQ(count_lines(out, kError), 8);
    EXPECT_EQ(out.size(), 8 * kError.size());
    EXPECT_EQ(img_equal(img, original), 1);
    img_destroy(&img);
    img_destroy(&original);
    raster_destroy(&empty);
    raster_destroy(&good);
}

TEST(RasterModule, CreateGivesBlackTableAtPositionZero) {
    Raster* raster = raster_create();
    ASSERT_NE(raster, nullptr);
    EXPECT_EQ(raster->size, 256);
    EXPECT_EQ(raster->position, 0);
    for (int32_t i = 0; i < 256; ++i) EXPECT_EQ(raster->colours[i], 0u);
    raster_destroy(&raster);
    EXPECT_EQ(raster, nullptr);
}

TEST(RasterModule, DestroyRefusesMissingHandles) {
    Raster* raster = nullptr;
    const std::string out = captured_stdout([&] {
        raster_destroy(&raster);
        raster_destroy(nullptr);
    });
    EXPECT_EQ(count_lines(out, kError), 2);
}

TEST(RasterModule, EqualComparesSizeAndColoursButNotPosition) {
    Raster* a = numbered_raster(40);
    Raster* b = numbered_raster(40);
    raster_advance(b);
    Raster* shorter = raster_create();
    Raster* full = raster_create();
    raster_resize(shorter, 255);
    std::string out = captured_stdout([&] {
        EXPECT_EQ(raster_equal(a, b), 1);
        EXPECT_EQ(raster_equal(shorter, full), 0);
        b->colours[39] ^= 1;
        EXPECT_EQ(raster_equal(a, b), 0);
    });
    EXPECT_EQ(out, "");

    out = captured_stdout([&] {
        EXPECT_EQ(raster_equal(a, nullptr), 0);
        EXPECT_EQ(raster_equal(nullptr, a), 0);
    });
    EXPECT_EQ(count_lines(out, kError), 2);
    raster_destroy(&a);
    raster_destroy(&b);
    raster_destroy(&shorter);
    raster_destroy(&full);
}

TEST(RasterModule, CloneCopiesColoursIntoItsOwnTableAtPositionZero) {
    Raster* source = numbered_raster(30);
    for (int step = 0; step < 17; ++step) raster_advance(source);
    Raster* copy = raster_clone(source);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->position, 0);
    EXPECT_EQ(raster_equal(source, copy), 1);
    EXPECT_NE(copy->colours, source->colours);
    copy->colours[0] = 0;
    EXPECT_EQ(source->colours[0], 0x010000u);

    const std::string out = captured_stdout([&] { EXPECT_EQ(raster_clone(nullptr), nullptr); });
    EXPECT_EQ(count_lines(out, kError), 1);
    raster_destroy(&source);
    raster_destroy(&copy);
}

TEST(RasterModule, ResizeGivesBlackColoursAtPositionZero) {
    Raster* raster = numbered_raster(256);
    for (int step = 0; step < 200; ++step) raster_advance(raster);
    raster_resize(raster, 5);
    EXPECT_EQ(raster->size, 5);
    EXPECT_EQ(raster->position, 0);
    for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(raster->colours[i], 0u);
    raster_destroy(&raster);

    const std::string out = captured_stdout([] { raster_resize(nullptr, 5); });
    EXPECT_EQ(count_lines(out, kError), 1);
}

TEST(RasterModule, NegativeResizeLeavesATableEveryUserRefuses) {
    Raster* raster = raster_create();
    Image* img = image_of(4, 4, 9);
    raster_resize(raster, -3);
    EXPECT_EQ(raster->size, -3);
    EXPECT_EQ(raster->colours, nullptr);
    const std::string out = captured_stdout([&] {
        raster_clear(raster);
        raster_advance(raster);
        raster_fill(raster, img);
        EXPECT_EQ(raster_clone(raster), nullptr);
        EXPECT_EQ(raster_save(raster, temp_path("negative").c_str()), 0);
    });
    EXPECT_EQ(count_lines(out, kError), 5);
    raster_resize(raster, 2);  // a later resize brings it back
    EXPECT_NE(raster->colours, nullptr);
    img_destroy(&img);
    raster_destroy(&raster);
}

TEST(RasterModule, ClearBlackensEveryColourAndKeepsPosition) {
    Raster* raster = numbered_raster(12);
    for (int step = 0; step < 4; ++step) raster_advance(raster);
    raster_clear(raster);
    EXPECT_EQ(raster->size, 12);
    EXPECT_EQ(raster->position, 4);
    for (int32_t i = 0; i < 12; ++i) EXPECT_EQ(raster->colours[i], 0u);

    const std::string out = captured_stdout([] {
        raster_clear(nullptr);
        raster_advance(nullptr);
    });
    EXPECT_EQ(count_lines(out, kError), 2);
    raster_destroy(&raster);
}

TEST(RasterModule, HasNoTextForm) {
    Raster* raster = raster_create();
    const std::string out = captured_stdout([&] {
        EXPECT_EQ(raster_to_text(raster), nullptr);
        EXPECT_EQ(raster_from_text("anything"), nullptr);
    });
    EXPECT_EQ(out, "");
    raster_destroy(&raster);
}

TEST(RasterFiles, LoadGivesAnEmptyRasterAndReadsNothing) {
    const std::string path = temp_path("load");
    write_file(path, "some bytes");
    Raster* raster = raster_load(path.c_str());
    ASSERT_NE(raster, nullptr);
    EXPECT_EQ(raster->size, 0);
    EXPECT_EQ(raster->position, 0);
    EXPECT_EQ(file_contents(path), "some bytes");

    // An empty raster is still a record the module accepts.
    Raster* other = raster_load(path.c_str());
    EXPECT_EQ(raster_equal(raster, other), 1);
    Raster* copy = raster_clone(raster);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->size, 0);
    raster_destroy(&raster);
    raster_destroy(&other);
    raster_destroy(&copy);
    std::remove(path.c_str());

    const std::string out = captured_stdout([] {
        EXPECT_EQ(raster_load(nullptr), nullptr);
        EXPECT_EQ(raster_load(temp_path("missing").c_str()), nullptr);
    });
    EXPECT_EQ(count_lines(out, kError), 2);
}

TEST(RasterFiles, SaveEmptiesTheFileOfANonEmptyRasterOnly) {
    const std::string path = temp_path("save");
    write_file(path, "old content");
    Raster* raster = raster_create();
    EXPECT_EQ(raster_save(raster, path.c_str()), 1);
    EXPECT_EQ(file_contents(path), "");

    write_file(path, "kept");
    raster_resize(raster, 0);
    std::string out = captured_stdout([&] { EXPECT_EQ(raster_save(raster, path.c_str()), 0); });
    EXPECT_EQ(count_lines(out, kError), 1);
    EXPECT_EQ(file_contents(path), "kept");

    out = captured_stdout([&] {
        EXPECT_EQ(raster_save(nullptr, path.c_str()), 0);
        EXPECT_EQ(raster_save(raster, nullptr), 0);
        raster_resize(raster, 3);
        EXPECT_EQ(raster_save(raster, "/nonexistent-folder/raster"), 0);
    });
    EXPECT_EQ(count_lines(out, kError), 3);
    raster_destroy(&raster);
    std::remove(path.c_str());
}
