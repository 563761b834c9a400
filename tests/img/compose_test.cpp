#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "capture.h"
#include "img/img.h"

namespace {

// Owns an image for the length of a test.
struct Picture {
    Image* img;
    Picture(int32_t width, int32_t height, uint32_t fill = 0) : img(img_create()) {
        img_resize(img, width, height);
        for (int32_t i = 0; i < width * height; ++i) img->pixels[i] = fill;
    }
    ~Picture() { img_destroy(&img); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    uint32_t at(int32_t x, int32_t y) const { return img_get_pixel(img, x, y); }
    std::vector<uint32_t> row(int32_t y) const {
        return {img->pixels + y * img->width, img->pixels + (y + 1) * img->width};
    }
};

// Source pixel (x, y) of a numbered picture is 1 + x + 100 * y, never 0.
uint32_t numbered(int32_t x, int32_t y) { return 1 + x + 100 * y; }

void number(Picture& p) {
    for (int32_t y = 0; y < p.img->height; ++y)
        for (int32_t x = 0; x < p.img->width; ++x) img_put_pixel(p.img, x, y, numbered(x, y));
}

// Checks that the w x h block at (dx0, dy0) holds the numbered source block
// from (sx0, sy0) and that every other pixel kept the background.
void expect_copied_block(const Picture& dst, int32_t dx0, int32_t dy0, int32_t sx0, int32_t sy0,
                         int32_t w, int32_t h, uint32_t background) {
    for (int32_t y = 0; y < dst.img->height; ++y) {
        for (int32_t x = 0; x < dst.img->width; ++x) {
            const bool in_block = x >= dx0 && x < dx0 + w && y >= dy0 && y < dy0 + h;
            const uint32_t want = in_block ? numbered(sx0 + x - dx0, sy0 + y - dy0) : background;
            ASSERT_EQ(dst.at(x, y), want) << "at " << x << "," << y;
        }
    }
}

constexpr uint32_t grey = 0x505050;

}  // namespace

TEST(BlitKeyed, ClipsEverySide) {
    Picture src(16, 16);
    number(src);
    {
        Picture dst(20, 20, grey);
        img_blit_keyed(src.img, dst.img, 0, 0, -4, -4, 16, 16);
        expect_copied_block(dst, 0, 0, 4, 4, 12, 12, grey);
    }
    {
        Picture dst(20, 20, grey);
        img_blit_keyed(src.img, dst.img, 0, 0, 10, 12, 16, 16);
        expect_copied_block(dst, 10, 12, 0, 0, 10, 8, grey);
    }
    {
        Picture dst(20, 20, grey);
        img_blit_keyed(src.img, dst.img, -2, 0, 10, 0, 5, 1);
        expect_copied_block(dst, 12, 0, 0, 0, 3, 1, grey);
    }
    {
        Picture dst(20, 20, grey);
        img_blit_keyed(src.img, dst.img, 0, -3, 0, 5, 2, 5);
        expect_copied_block(dst, 0, 8, 0, 0, 2, 2, grey);
    }
    {
        // A rectangle running past the source's right and bottom edges.
        Picture dst(30, 30, grey);
        img_blit_keyed(src.img, dst.img, 12, 14, 1, 1, 10, 10);
        expect_copied_block(dst, 1, 1, 12, 14, 4, 2, grey);
    }
}

TEST(BlitKeyed, RectanglesJustOutsideCopyNothing) {
    Picture src(8, 8);
    number(src);
    Picture dst(10, 10, grey);
    const std::string out = captured_stdout([&] {
        img_blit_keyed(src.img, dst.img, 0, 0, 10, 0, 8, 8);
        img_blit_keyed(src.img, dst.img, 0, 0, 0, 10, 8, 8);
        img_blit_keyed(src.img, dst.img, 0, 0, -8, 0, 8, 8);
        img_blit_keyed(src.img, dst.img, 0, 0, 0, -8, 8, 8);
        img_blit_keyed(src.img, dst.img, 8, 0, 0, 0, 8, 8);
        img_blit_keyed(src.img, dst.img, 0, -9, 0, 0, 8, 8);
        img_blit_keyed(src.img, dst.img, 0, 0, 0, 0, 0, 8);
        img_blit_keyed(src.img, dst.img, 0, 0, 2147483647, 0, 2147483647, 8);
    });
    EXPECT_EQ(out, "");
    expect_copied_block(dst, 0, 0, 0, 0, 0, 0, grey);

    // dx + w = 1 with dx < 0 still copies one column.
    img_blit_keyed(src.img, dst.img, 0, 0, -7, 0, 8, 8);
    expect_copied_block(dst, 0, 0, 7, 0, 1, 8, grey);
}

TEST(BlitKeyed, ZeroIsTransparentButTopByteIsNot) {
    Picture src(3, 1);
    src.img->pixels[0] = 0;
    src.img->pixels[1] = 0xFF000000;
    src.img->pixels[2] = 0x123456;
    Picture dst(3, 1, grey);
    img_blit_keyed(src.img, dst.img, 0, 0, 0, 0, 3, 1);
    EXPECT_EQ(dst.row(0), (std::vector<uint32_t>{grey, 0xFF000000, 0x123456}));
}

TEST(BlitHalf, AveragesChannelsWithoutCarry) {
    Picture src(5, 1);
    Picture dst(5, 1);
    const std::vector<uint32_t> s{0xFFFFFF, 0x0000FF, 0x000001, 0, 0x010101};
    const std::vector<uint32_t> d{0xFFFFFF, 0, 0, 0xABCDEF, 0x010101};
    std::copy(s.begin(), s.end(), src.img->pixels);
    std::copy(d.begin(), d.end(), dst.img->pixels);
    img_blit_half(src.img, dst.img, 0, 0);
    EXPECT_EQ(dst.row(0), (std::vector<uint32_t>{0xFEFEFE, 0x00007F, 0, 0xABCDEF, 0}));
}

TEST(BlitHalf, ClipsEverySide) {
    Picture src(4, 4, 0x808080);
    for (auto [x, y] : {std::pair{-2, -3}, {5, 6}, {-3, 4}, {6, -1}}) {
        Picture dst(8, 8, 0x202020);
        img_blit_half(src.img, dst.img, x, y);
        for (int32_t py = 0; py < 8; ++py) {
            for (int32_t px = 0; px < 8; ++px) {
                const bool covered = px >= x && px < x + 4 && py >= y && py < y + 4;
                ASSERT_EQ(dst.at(px, py), covered ? 0x505050u : 0x202020u)
                    << "blit at " << x << "," << y << " pixel " << px << "," << py;
            }
        }
    }
    Picture dst(8, 8, 0x202020);
    const std::string out = captured_stdout([&] {
        for (auto [x, y] : {std::pair{-4, 0}, {0, -4}, {8, 0}, {0, 8}}) img_blit_half(src.img, dst.img, x, y);
    });
    EXPECT_EQ(out, "");
    for (int32_t i = 0; i < 64; ++i) ASSERT_EQ(dst.img->pixels[i], 0x202020u);
}

TEST(AndMask, KeepsOrClearsBitsAndStopsAtTheSmallerImage) {
    Picture mask(4, 2, 0xFFFFFF);
    Picture dst(4, 2, 0x123456);
    img_and_mask(mask.img, dst.img);
    for (int32_t i = 0; i < 8; ++i) EXPECT_EQ(dst.img->pixels[i], 0x123456u);

    img_clear(mask.img);
    mask.img->pixels[5] = 0x0F0F0F;
    img_and_mask(mask.img, dst.img);
    for (int32_t i = 0; i < 8; ++i) EXPECT_EQ(dst.img->pixels[i], i == 5 ? 0x020406u : 0u);

    Picture big_mask(8, 8, 0);
    Picture small(2, 2, 0xFFFFFF);
    img_and_mask(big_mask.img, small.img);
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(small.img->pixels[i], 0u);
}

TEST(HLine, FillsTheClippedSpan) {
    Picture img(10, 3, grey);
    const std::string out = captured_stdout([&] {
        img_hline(img.img, 0xFF, 1, -5, 1000);
        img_hline(img.img, 0xAA, 0, 7, 3);
        img_hline(img.img, 0xAA, -1, 0, 9);
        img_hline(img.img, 0xAA, 3, 0, 9);
        img_hline(img.img, 0xCC, 2, 3, 5);
    });
    EXPECT_EQ(out, "");
    EXPECT_EQ(img.row(0), std::vector<uint32_t>(10, grey));
    EXPECT_EQ(img.row(1), std::vector<uint32_t>(10, 0xFF));
    EXPECT_EQ(img.row(2), (std::vector<uint32_t>{grey, grey, grey, 0xCC, 0xCC, 0xCC, grey, grey, grey, grey}));
}

TEST(HLineBlend, WeighsEachChannelAndRoundsDown) {
    Picture img(4, 1);
    img_hline_blend(img.img, 0xFF0000, 0, 0, 3, 128);
    EXPECT_EQ(img.row(0), std::vector<uint32_t>(4, 0x7F0000));

    img_hline_blend(img.img, 0xFF00FF00, 0, 1, 2, 256);
    EXPECT_EQ(img.row(0), (std::vector<uint32_t>{0x7F0000, 0x00FF00, 0x00FF00, 0x7F0000}));

    img_hline_blend(img.img, 0xFFFFFF, 0, -3, 9, 0);
    EXPECT_EQ(img.row(0), (std::vector<uint32_t>{0x7F0000, 0x00FF00, 0x00FF00, 0x7F0000}));

    // 0x64 * 192 + 0xC8 * 64 = 32000 -> 125; 0xFF * 192 + 0x01 * 64 = 49024 -> 191.
    Picture mixed(1, 1, 0xFF64FF);
    img_hline_blend(mixed.img, 0x01C801, 0, 0, 0, 64);
    EXPECT_EQ(mixed.at(0, 0), 0xBF7DBFu);
}

TEST(HLineBlend, AlphaOutsideTheRangeActsAsTheNearestEnd) {
    Picture img(2, 1, 0x102030);
    img_hline_blend(img.img, 0xFFFFFF, 0, 0, 0, -50);
    img_hline_blend(img.img, 0xA0B0C0, 0, 1, 1, 999);
    EXPECT_EQ(img.row(0), (std::vector<uint32_t>{0x102030, 0xA0B0C0}));
}

TEST(RowWrap, CopiesWithWrapAndDropsTheRest) {
    constexpr uint32_t keep = 0xEE;
    Picture four(4, 1);
    for (uint32_t i = 0; i < 4; ++i) four.img->pixels[i] = i + 1;
    Picture eight(8, 1);
    for (uint32_t i = 0; i < 8; ++i) eight.img->pixels[i] = i + 1;

    Picture dst(6, 2, keep);
    img_copy_row_wrap(four.img, dst.img, 0, 1, 4);
    EXPECT_EQ(dst.row(1), (std::vector<uint32_t>{3, 4, keep, keep, 1, 2}));
    EXPECT_EQ(dst.row(0), std::vector<uint32_t>(6, keep));

    Picture dst2(6, 1, keep);
    img_copy_row_wrap(four.img, dst2.img, 0, 0, -1);
    EXPECT_EQ(dst2.row(0), (std::vector<uint32_t>{2, 3, 4, keep, keep, 1}));

    Picture dst3(6, 1, keep);
    img_copy_row_wrap(eight.img, dst3.img, 0, 0, 2);
    EXPECT_EQ(dst3.row(0), (std::vector<uint32_t>{5, 6, 1, 2, 3, 4}));

    Picture dst4(6, 1, keep);
    img_copy_row_wrap(four.img, dst4.img, 0, 0, -13);
    EXPECT_EQ(dst4.row(0), (std::vector<uint32_t>{2, 3, 4, keep, keep, 1}));
}

TEST(RowWrap, OrCombinesWithTheDestination) {
    Picture src(3, 1);
    src.img->pixels[0] = 0x01;
    src.img->pixels[1] = 0x02;
    src.img->pixels[2] = 0x04;
    Picture dst(3, 1, 0x10);
    img_or_row_wrap(src.img, dst.img, 0, 0, 1);
    EXPECT_EQ(dst.row(0), (std::vector<uint32_t>{0x14, 0x11, 0x12}));
}

TEST(Compositing, BadHandlesAndRowsReportOnceAndChangeNothing) {
    Picture a(4, 4, grey);
    Picture b(4, 4, grey);
    Picture empty_dst(0, 3);
    Image no_pixels{4, 4, nullptr};
    const std::vector<std::function<void()>> refused{
        [&] { img_blit_keyed(nullptr, b.img, 0, 0, 0, 0, 4, 4); },
        [&] { img_blit_keyed(a.img, nullptr, 0, 0, 0, 0, 4, 4); },
        [&] { img_blit_keyed(&no_pixels, b.img, 0, 0, 0, 0, 4, 4); },
        [&] { img_blit_half(nullptr, b.img, 0, 0); },
        [&] { img_blit_half(a.img, &no_pixels, 0, 0); },
        [&] { img_and_mask(nullptr, b.img); },
        [&] { img_and_mask(a.img, &no_pixels); },
        [&] { img_hline(nullptr, 1, 0, 0, 3); },
        [&] { img_hline(&no_pixels, 1, 0, 0, 3); },
        [&] { img_hline_blend(nullptr, 1, 0, 0, 3, 128); },
        [&] { img_copy_row_wrap(nullptr, b.img, 0, 0, 0); },
        [&] { img_copy_row_wrap(a.img, b.img, 4, 0, 0); },
        [&] { img_copy_row_wrap(a.img, b.img, 0, -1, 0); },
        [&] { img_or_row_wrap(a.img, nullptr, 0, 0, 0); },
        [&] { img_or_row_wrap(a.img, b.img, -1, 0, 0); },
        [&] { img_or_row_wrap(a.img, b.img, 0, 4, 0); },
    };
    for (size_t i = 0; i < refused.size(); ++i) {
        EXPECT_EQ(count_lines(captured_stdout(refused[i]), "IMG error\n"), 1) << "call " << i;
    }
    EXPECT_EQ(captured_stdout([&] { img_copy_row_wrap(a.img, empty_dst.img, 0, 0, 5); }), "");
    for (int32_t i = 0; i < 16; ++i) ASSERT_EQ(b.img->pixels[i], grey);
}

TEST(Darken, EveryChannelValueAtEveryLevel) {
    // Each channel on its own so that one lane's borrow into the next shows.
    auto lowered = [](uint32_t channel, uint32_t level) { return channel > level ? channel - level : 0; };
    for (uint32_t level = 0; level < 256; ++level) {
        Picture img(256, 1);
        for (uint32_t c = 0; c < 256; ++c) img.img->pixels[c] = 0xAB000000 | (c << 16) | ((255 - c) << 8) | c;
        img_darken(img.img, static_cast<uint8_t>(level));
        for (uint32_t c = 0; c < 256; ++c) {
            const uint32_t want = (lowered(c, level) << 16) | (lowered(255 - c, level) << 8) | lowered(c, level);
            ASSERT_EQ(img.img->pixels[c], want) << "channel " << c << " level " << level;
        }
    }
}
