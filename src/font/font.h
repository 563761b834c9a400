// Bitmap font: fixed-size glyph cells copied out of a glyph sheet with the
// keyed blit, so sheet pixels of value 0 are transparent. The cell of code c
// starts c * glyph_width pixels along the sheet read as one long strip wrapped
// at the sheet's width. Refusals are silent. Standard library only.
#pragma once

#include <cstdint>

#include "img/img.h"

struct Font {
    int32_t glyph_width;
    int32_t glyph_height;
    Image* sheet;  // owned once set
};

Font* font_create();
void font_destroy(Font** font);
void font_draw_char(const Font* font, int32_t code, int32_t x, int32_t y, Image* image);
void font_draw_hex8(const Font* font, uint32_t value, int32_t x, int32_t y, Image* image);
void font_draw_hex16(const Font* font, uint32_t value, int32_t x, int32_t y, Image* image);
void font_draw_hex32(const Font* font, uint32_t value, int32_t x, int32_t y, Image* image);
void font_draw_line(const Font* font, const char* text, int32_t x, int32_t y, Image* image);
void font_error();
