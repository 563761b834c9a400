#include "img/img.h"

#include <gtest/gtest.h>

#include <climits>

#include "capture.h"

namespace {

const std::string kError = "IMG error\n";

Image* make(int32_t w, int32_t h, std::initializer_list<uint32_t> values) {
    Image* img = img_create();
    img_resize(img, w, h);
    size_t i = 0;
    for (uint32_t v : values) img->pixels[i++] = v;
    return img;
}

}  // namespace

TEST(ImageBuffer, CreateAndResizeGiveZeroedPixels) {
    Image* img = img_create();
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->width, 16);
    EXPECT_EQ(img->height, 16);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(img->pixels[i], 0u);

    img->pixels[255] = 0x123456;
    img_resize(img, 16, 16);  // the same size still loses the content
    EXPECT_EQ(img->pixels[255], 0u);

    img_resize(img, 3, 5);
    EXPECT_EQ(img->width, 3);
    EXPECT_EQ(img->height, 5);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(img->pixels[i], 0u);
    img_destroy(&img);
    EXPECT_EQ(img, nullptr);
}

TEST(ImageBuffer, EmptyImageReadsZeroAndIgnoresWrites) {
    Image* img = img_create();
    std::string out = captured_stdout([&] {
        img_resize(img, 0, 0);
        EXPECT_EQ(img_get_pixel(img, 0, 0), 0u);
        img_put_pixel(img, 0, 0, 7);
        img_clear(img);
        img_darken(img, 4);
    });
    EXPECT_EQ(img->width, 0);
    EXPECT_EQ(img->height, 0);
    EXPECT_EQ(out, "");
    img_destroy(&img);
}

TEST(ImageBuffer, NegativeResizeIsRefusedAndChangesNothing) {
    Image* img = make(2, 2, {1, 2, 3, 4});
    std::string out = captured_stdout([&] {
        img_resize(img, -1, 4);
        img_resize(img, 4, INT32_MIN);
    });
    EXPECT_EQ(count_lines(out, kError), 2);
    EXPECT_EQ(img->width, 2);
    EXPECT_EQ(img->height, 2);
    EXPECT_EQ(img->pixels[3], 4u);
    img_destroy(&img);
}

TEST(ImageBuffer, PixelAccessIsBoundedAndSilent) {
    Image* img = make(3, 2, {1, 2, 3, 4, 5, 6});
    std::string out = captured_stdout([&] {
        EXPECT_EQ(img_get_pixel(img, 2, 1), 6u);
        EXPECT_EQ(img_get_pixel(img, 0, 1), 4u);
        for (auto [x, y] : {std::pair{3, 0}, {-1, 0}, {0, 2}, {0, -1}}) {
            EXPECT_EQ(img_get_pixel(img, x, y), 0u);
            img_put_pixel(img, x, y, 0xABCDEF);
        }
        img_put_pixel(img, 1, 1, 0x42);
    });
    EXPECT_EQ(out, "");
    const uint32_t expected[] = {1, 2, 3, 4, 0x42, 6};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(img->pixels[i], expected[i]) << i;
    img_destroy(&img);
}

TEST(ImageBuffer, CloneIsEqualAndIndependent) {
    Image* img = make(2, 3, {1, 2, 3, 4, 5, 0xFF000006});
    Image* copy = img_clone(img);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->pixels, img->pixels);
    EXPECT_EQ(img_equal(img, copy), 1);
    copy->pixels[0] = 9;
    EXPECT_EQ(img->pixels[0], 1u);
    EXPECT_EQ(img_equal(img, copy), 0);
    img_destroy(&copy);
    img_destroy(&img);
}

TEST(ImageBuffer, EqualityComparesSizeThenPixels) {
    Image* a = make(4, 4, {});
    Image* b = make(4, 4, {});
    Image* tall = make(2, 3, {1, 2, 3, 4, 5, 6});
    Image* wide = make(3, 2, {1, 2, 3, 4, 5, 6});
    std::string out = captured_stdout([&] {
        EXPECT_EQ(img_equal(a, a), 1);
        EXPECT_EQ(img_equal(a, b), 1);
        b->pixels[15] = 1;
        EXPECT_EQ(img_equal(a, b), 0);
        EXPECT_EQ(img_equal(tall, wide), 0);
    });
    EXPECT_EQ(out, "");
    for (Image* img : {a, b, tall, wide}) img_destroy(&img);
}

TEST(ImageBuffer, DarkenLowersEachChannelAndStopsAtZero) {
    Image* img = make(2, 2, {0x030507, 0xFF00FF01, 0xFFFFFF, 0x000000});
    img_darken(img, 4);
    EXPECT_EQ(img->pixels[0], 0x000103u);
    EXPECT_EQ(img->pixels[1], 0x00FB00u);  // top byte dropped, no borrow
    EXPECT_EQ(img->pixels[2], 0xFBFBFBu);
    EXPECT_EQ(img->pixels[3], 0u);
    for (int i = 0; i < 63; ++i) img_darken(img, 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(img->pixels[i], 0u);
    img_destroy(&img);
}

TEST(ImageBuffer, DarkenLevelIsOneByte) {
    Image* a = make(1, 1, {0x102030});
    Image* b = make(1, 1, {0x102030});
    img_darken(a, static_cast<uint8_t>(260));
    img_darken(b, 4);
    EXPECT_EQ(img_equal(a, b), 1);
    img_destroy(&a);
    img_destroy(&b);
}

TEST(ImageBuffer, NullHandlesReportOneErrorEach) {
    Image* none = nullptr;
    std::string out = captured_stdout([&] {
        img_destroy(&none);
        img_destroy(nullptr);
        img_resize(nullptr, 1, 1);
        img_clear(nullptr);
        EXPECT_EQ(img_clone(nullptr), nullptr);
        EXPECT_EQ(img_equal(nullptr, nullptr), 0);
        EXPECT_EQ(img_get_pixel(nullptr, 0, 0), 0u);
        img_put_pixel(nullptr, 0, 0, 1);
        img_darken(nullptr, 1);
    });
    EXPECT_EQ(count_lines(out, kError), 9);
    EXPECT_EQ(out.size(), 9 * kError.size());
}

TEST(ImageBuffer, SecondDestroyReportsOnce) {
    Image* img = img_create();
    img_destroy(&img);
    std::string out = captured_stdout([&] { img_destroy(&img); });
    EXPECT_EQ(out, kError);
}
