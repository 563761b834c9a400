#include "font/font.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "capture.h"

namespace {

constexpr int32_t kGlyphWidth = 4;
constexpr int32_t kGlyphHeight = 3;
constexpr uint32_t kBackground = 0xDEAD00;

// Sheet pixel value naming its cell and its place in the cell (cells counted
// in code order on a sheet `cells_per_row` cells wide). The top-left pixel of
// every cell is 0, the transparent value.
uint32_t sheet_value(int32_t cell, int32_t column, int32_t row) {
    if (column == 0 && row == 0) return 0;
    return 0x100000u | static_cast<uint32_t>(cell) << 8 | static_cast<uint32_t>(row * kGlyphWidth + column);
}

// A sheet of 4 x 3 cells where every pixel tells which cell and which pixel
// of it it is. Width is in pixels and need not be a whole number of cells;
// the label of a pixel counts cells as if the sheet were a whole number wide.
Image* labelled_sheet(int32_t width, int32_t cell_rows) {
    Image* sheet = img_create();
    img_resize(sheet, width, cell_rows * kGlyphHeight);
    const int32_t cells_per_row = (width + kGlyphWidth - 1) / kGlyphWidth;
    for (int32_t y = 0; y < sheet->height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const int32_t cell = (y / kGlyphHeight) * cells_per_row + x / kGlyphWidth;
            img_put_pixel(sheet, x, y, sheet_value(cell, x % kGlyphWidth, y % kGlyphHeight));
        }
    }
    return sheet;
}

Font* labelled_font(int32_t sheet_width = 32, int32_t cell_rows = 16) {
    Font* font = font_create();
    font->glyph_width = kGlyphWidth;
    font->glyph_height = kGlyphHeight;
    font->sheet = labelled_sheet(sheet_width, cell_rows);
    return font;
}

Image* canvas(int32_t width = 40, int32_t height = 10) {
    Image* img = img_create();
    img_resize(img, width, height);
    for (int32_t i = 0; i < width * height; ++i) img->pixels[i] = kBackground;
    return img;
}

// The canvas as it should look after the given cells were keyed onto it, each
// at its top-left position, with pixels outside the canvas dropped.
struct Placed {
    int32_t cell;
    int32_t x;
    int32_t y;
};

Image* expected(std::vector<Placed> glyphs, int32_t width = 40, int32_t height = 10) {
    Image* img = canvas(width, height);
    for (const Placed& glyph : glyphs) {
        for (int32_t row = 0; row < kGlyphHeight; ++row) {
            for (int32_t column = 0; column < kGlyphWidth; ++column) {
                const uint32_t value = sheet_value(glyph.cell, column, row);
                if (value != 0) img_put_pixel(img, glyph.x + column, glyph.y + row, value);
            }
        }
    }
    return img;
}

void expect_drawn(Image* drawn, std::vector<Placed> glyphs) {
    Image* want = expected(std::move(glyphs), drawn->width, drawn->height);
    EXPECT_EQ(img_equal(drawn, want), 1);
    for (int32_t y = 0; y < drawn->height; ++y) {
        for (int32_t x = 0; x < drawn->width; ++x) {
            EXPECT_EQ(img_get_pixel(drawn, x, y), img_get_pixel(want, x, y)) << "at " << x << "," << y;
        }
    }
    img_destroy(&want);
}

}  // namespace

TEST(FontCells, CodesAddressCellsInOrderAlongTheSheet) {
    Font* font = labelled_font();
    for (int32_t code : {0, 1, 7, 8, 65, 127}) {
        Image* img = canvas();
        font_draw_char(font, code, 5, 2, img);
        expect_drawn(img, {{code, 5, 2}});
        img_destroy(&img);
    }
    font_destroy(&font);
}

TEST(FontCells, WorkedExampleOfASixteenPixelFont) {
    Font* font = font_create();
    font->glyph_width = 16;
    font->glyph_height = 16;
    font->sheet = img_create();
    img_resize(font->sheet, 256, 128);
    img_put_pixel(font->sheet, 16, 64, 0xAA);   // top-left of the cell of 65
    img_put_pixel(font->sheet, 31, 79, 0xBB);   // its bottom-right
    img_put_pixel(font->sheet, 32, 64, 0xCC);   // the next cell
    Image* img = canvas(20, 20);
    font_draw_char(font, 65, 0, 0, img);
    EXPECT_EQ(img_get_pixel(img, 0, 0), 0xAAu);
    EXPECT_EQ(img_get_pixel(img, 15, 15), 0xBBu);
    EXPECT_EQ(img_get_pixel(img, 16, 0), kBackground);
    img_destroy(&img);
    font_destroy(&font);
}

TEST(FontCells, NegativeAndHighCodesFallOutsideAWholeCellSheet) {
    Font* font = labelled_font();
    for (int32_t code : {-1, -8, -128, 128, 200, INT32_MAX, INT32_MIN}) {
        Image* img = canvas();
        const std::string out = captured_stdout([&] { font_draw_char(font, code, 5, 2, img); });
        EXPECT_EQ(out, "") << "code " << code;
        expect_drawn(img, {});
        img_destroy(&img);
    }
    font_destroy(&font);
}

TEST(FontCells, CellsOfARaggedSheetStraddleItsRows) {
    // 30 pixels hold seven and a half cells: cell 7 keeps only its left half,
    // and cell 8 begins two pixels into the second cell row.
    Font* font = labelled_font(30, 4);
    const Image* sheet = font->sheet;
    Image* img = canvas();
    font_draw_char(font, 7, 10, 0, img);
    font_draw_char(font, 8, 20, 5, img);
    for (int32_t row = 0; row < kGlyphHeight; ++row) {
        for (int32_t column = 0; column < kGlyphWidth; ++column) {
            const uint32_t half = column < 2 ? img_get_pixel(sheet, 28 + column, row) : 0;
            EXPECT_EQ(img_get_pixel(img, 10 + column, row), half ? half : kBackground);
            const uint32_t straddled = img_get_pixel(sheet, 2 + column, kGlyphHeight + row);
            EXPECT_EQ(img_get_pixel(img, 20 + column, 5 + row), straddled ? straddled : kBackground);
        }
    }
    img_destroy(&img);
    font_destroy(&font);
}

TEST(FontCells, GlyphsAreClippedAtEveryEdge) {
    Font* font = labelled_font();
    Image* img = canvas();
    font_draw_char(font, 9, -2, 4, img);   // left
    font_draw_char(font, 10, 38, 4, img);  // right
    font_draw_char(font, 11, 18, -1, img); // top
    font_draw_char(font, 12, 25, 8, img);  // bottom
    font_draw_char(font, 13, -3, -2, img); // corner
    font_draw_char(font, 14, 40, 0, img);  // wholly outside
    font_draw_char(font, 15, 0, -3, img);
    expect_drawn(img, {{9, -2, 4}, {10, 38, 4}, {11, 18, -1}, {12, 25, 8}, {13, -3, -2}});
    img_destroy(&img);
    font_destroy(&font);
}

TEST(FontCells, SheetsWithoutAreaOrFontsWithoutSheetDrawNothingSilently) {
    Font* font = labelled_font();
    Image* img = canvas();
    const std::string out = captured_stdout([&] {
        img_resize(font->sheet, 0, 12);
        font_draw_char(font, 1, 0, 0, img);
        font_draw_line(font, "AB", 0, 0, img);
        img_resize(font->sheet, 32, 0);
        font_draw_hex8(font, 0x12, 0, 0, img);
        font_draw_char(nullptr, 1, 0, 0, img);
        font_draw_line(nullptr, "AB", 0, 0, img);
        font_draw_hex32(nullptr, 1, 0, 0, img);
        Font* bare = font_create();
        font_draw_char(bare, 1, 0, 0, img);
        font_draw_hex16(bare, 1, 0, 0, img);
        font_destroy(&bare);
    });
    EXPECT_EQ(out, "");
    expect_drawn(img, {});
    img_destroy(&img);
    font_destroy(&font);
}

TEST(FontCells, AMissingDestinationIsReportedOncePerGlyph) {
    Font* font = labelled_font();
    Image no_pixels{40, 10, nullptr};
    const std::string out = captured_stdout([&] {
        font_draw_line(font, "ABC\nDE", 0, 0, nullptr);
        font_draw_hex32(font, 0x12345678, 0, 0, &no_pixels);
    });
    EXPECT_EQ(count_lines(out, "IMG error\n"), 3 + 8);
    font_destroy(&font);
}

TEST(FontHex, DigitsAreDrawnMostSignificantFirstOneCellApart) {
    Font* font = labelled_font();
    Image* img = canvas();
    font_draw_hex8(font, 0x1AB, 1, 0, img);
    font_draw_hex8(font, 0x0F, 20, 0, img);
    expect_drawn(img, {{'A', 1, 0}, {'B', 5, 0}, {'0', 20, 0}, {'F', 24, 0}});
    img_destroy(&img);

    img = canvas();
    font_draw_hex16(font, 0xFFFF12AB, 2, 1, img);
    expect_drawn(img, {{'1', 2, 1}, {'2', 6, 1}, {'A', 10, 1}, {'B', 14, 1}});
    img_destroy(&img);

    img = canvas();
    font_draw_hex32(font, 0x12ABCD, 0, 3, img);
    expect_drawn(img, {{'0', 0, 3}, {'0', 4, 3}, {'1', 8, 3}, {'2', 12, 3},
                       {'A', 16, 3}, {'B', 20, 3}, {'C', 24, 3}, {'D', 28, 3}});
    img_destroy(&img);

    img = canvas();
    font_draw_hex16(font, 0x9A, 0, 0, img);  // both sides of the digit/letter boundary
    expect_drawn(img, {{'0', 0, 0}, {'0', 4, 0}, {'9', 8, 0}, {'A', 12, 0}});
    img_destroy(&img);
    font_destroy(&font);
}

TEST(FontLines, ALineStopsAtItsNewline) {
    Font* font = labelled_font();
    Image* img = canvas();
    font_draw_line(font, "AB\nCDEFG", 3, 2, img);
    expect_drawn(img, {{'A', 3, 2}, {'B', 7, 2}});
    img_destroy(&img);

    img = canvas();
    font_draw_line(font, "", 0, 0, img);
    font_draw_line(font, "\nA", 0, 0, img);
    expect_drawn(img, {});
    img_destroy(&img);

    img = canvas();
    font_draw_line(font, "xyz01", -2, 0, img);
    expect_drawn(img, {{'x', -2, 0}, {'y', 2, 0}, {'z', 6, 0}, {'0', 10, 0}, {'1', 14, 0}});
    img_destroy(&img);
    font_destroy(&font);
}

TEST(FontLines, BlankAndHighBytesStillAdvanceThePen) {
    // Cells up to 255 exist on this sheet, yet bytes 128 and 255 are codes
    // -128 and -1, which lie before the sheet's first pixel.
    Font* font = labelled_font(32, 32);
    // Blank the space: cell 32 is the first cell of the fifth cell row.
    for (int32_t x = 0; x < kGlyphWidth; ++x) {
        for (int32_t y = 0; y < kGlyphHeight; ++y) img_put_pixel(font->sheet, x, 4 * kGlyphHeight + y, 0);
    }
    Image* img = canvas();
    font_draw_line(font, "A B\x80\xff" "C", 0, 0, img);
    expect_drawn(img, {{'A', 0, 0}, {'B', 8, 0}, {'C', 20, 0}});
    img_destroy(&img);
    font_destroy(&font);
}

TEST(FontLines, APenRunningPastTheIntegerRangeStopsSafely) {
    Font* font = labelled_font();
    Image* img = canvas();
    font_draw_line(font, "ABCDEFGH", INT32_MAX - 9, 0, img);
    font_draw_hex32(font, 0xFFFFFFFF, INT32_MAX - 5, 0, img);
    expect_drawn(img, {});
    img_destroy(&img);
    font_destroy(&font);
}

TEST(FontModule, CreateSetsSixBySixCellsWithoutSheet) {
    Font* font = font_create();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->glyph_width, 6);
    EXPECT_EQ(font->glyph_height, 6);
    EXPECT_EQ(font->sheet, nullptr);
    font_destroy(&font);
    EXPECT_EQ(font, nullptr);

    const std::string out = captured_stdout([&] {
        font_destroy(&font);
        font_destroy(nullptr);
    });
    EXPECT_EQ(out, "");
}

TEST(FontModule, DestroyTakesTheSheetWithIt) {
    Font* font = labelled_font();
    const std::string out = captured_stdout([&] { font_destroy(&font); });
    EXPECT_EQ(font, nullptr);
    EXPECT_EQ(out, "");  // the sheet was a live image; the leak check covers it being freed
}
