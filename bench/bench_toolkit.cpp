// Per-frame cost (320 x 240) of the raster, font and laser work the effects do:
// a full-frame raster fill and blend, the scroller's 21 glyphs, the eleven
// text lines of the plasma part, and three laser lines moved and drawn.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>

#include "font/font.h"
#include "laser/laser.h"
#include "raster/raster.h"

namespace {

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 240;

Image* frame() {
    Image* img = img_create();
    img_resize(img, kWidth, kHeight);
    return img;
}

Raster* coloured_raster() {
    Raster* raster = raster_create();
    std::mt19937 random(1);
    for (int32_t i = 0; i < raster->size; ++i) raster->colours[i] = random() & 0xFFFFFF;
    return raster;
}

// A 16 x 16 font on a 256-pixel-wide sheet, about half of each glyph lit.
Font* sixteen_pixel_font() {
    Font* font = font_create();
    font->glyph_width = 16;
    font->glyph_height = 16;
    font->sheet = img_create();
    img_resize(font->sheet, 256, 128);
    std::mt19937 random(2);
    for (int32_t i = 0; i < 256 * 128; ++i) font->sheet->pixels[i] = (random() & 1) ? 0xFFFFFF : 0;
    return font;
}

void raster_fill_frame(benchmark::State& state) {
    Raster* raster = coloured_raster();
    Image* img = frame();
    for (auto _ : state) {
        raster_fill(raster, img);
        raster_advance(raster);
        benchmark::ClobberMemory();
    }
    img_destroy(&img);
    raster_destroy(&raster);
}
BENCHMARK(raster_fill_frame);

void raster_fill_blend_frame(benchmark::State& state) {
    Raster* raster = coloured_raster();
    Image* img = frame();
    raster_fill(raster, img);
    for (auto _ : state) {
        raster_fill_blend(raster, img, 128);
        raster_advance(raster);
        benchmark::ClobberMemory();
    }
    img_destroy(&img);
    raster_destroy(&raster);
}
BENCHMARK(raster_fill_blend_frame);

// Part two: one screen-wide row of glyphs at the bottom of the scroll layer.
void font_scroller_row(benchmark::State& state) {
    Font* font = sixteen_pixel_font();
    Image* img = frame();
    int32_t offset = 0;
    for (auto _ : state) {
        for (int32_t i = 0; i < 21; ++i) font_draw_char(font, 32 + i, i * 16 - offset, kHeight - 16, img);
        offset = (offset + 1) % 16;
        benchmark::ClobberMemory();
    }
    img_destroy(&img);
    font_destroy(&font);
}
BENCHMARK(font_scroller_row);

// Part three: eleven centred lines of eighteen characters.
void font_eleven_lines(benchmark::State& state) {
    Font* font = sixteen_pixel_font();
    Image* img = frame();
    const char* text = "THE QUICK BROWN FO";
    for (auto _ : state) {
        for (int32_t line = 0; line < 11; ++line) font_draw_line(font, text, 16, 8 + line * 20, img);
        benchmark::ClobberMemory();
    }
    img_destroy(&img);
    font_destroy(&font);
}
BENCHMARK(font_eleven_lines);

void laser_three_lines(benchmark::State& state) {
    Image* canvas = frame();
    LaserLine* lines[3];
    for (LaserLine*& line : lines) {
        line = laser_create();
        laser_init(line, canvas);
    }
    for (auto _ : state) {
        for (LaserLine* line : lines) {
            laser_move(line);
            laser_draw(line);
        }
        benchmark::ClobberMemory();
    }
    for (LaserLine*& line : lines) laser_destroy(&line);
    img_destroy(&canvas);
}
BENCHMARK(laser_three_lines);

}  // namespace
