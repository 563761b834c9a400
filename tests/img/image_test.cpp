#include "img/img.h"

#include <gtest/gtest.h>

#include "capture.h"

TEST(ImageBuffer, CreateGivesSixteenBySixteenBlack) {
    Image* img = img_create();
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->width, 16);
    EXPECT_EQ(img->height, 16);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(img->pixels[i], 0u);
    img_destroy(&img);
    EXPECT_EQ(img, nullptr);
}
