// Bitmap font: glyph cells located on the sheet by code and copied with the
// keyed blit; single characters, hexadecimal numbers and lines of text.
#include "font/font.h"

#include <limits>
#include <optional>

#include "img/heap_record.h"

namespace {

struct CellOrigin {
    int32_t x;
    int32_t y;
};

bool fits_int32(int64_t value) {
    return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max();
}

// Top-left corner of the cell of `code` on the sheet read as one long strip
// of glyph_width-wide cells wrapped at the sheet's width. Division and
// remainder truncate toward zero, so negative codes land left of or above the
// sheet and are clipped away by the blit. Worked in 64 bits: a row beyond the
// 32-bit range is off the sheet, and the sheet's own height stands in for it
// because the blit skips that row just the same.
CellOrigin cell_origin(const Font* font, int32_t code) {
    const Image* sheet = font->sheet;
    const int64_t along_strip = static_cast<int64_t>(font->glyph_width) * code;
    const int64_t cell_row = along_strip / sheet->width;
    const auto x = static_cast<int32_t>(along_strip % sheet->width);
    if (!fits_int32(cell_row)) return {x, sheet->height};
    const int64_t y = cell_row * font->glyph_height;
    return {x, fits_int32(y) ? static_cast<int32_t>(y) : sheet->height};
}

// A sheet with no area addresses no glyph.
bool can_draw(const Font* font) {
    return font && font->sheet && font->sheet->width > 0 && font->sheet->height > 0;
}

// Pen position `cells` glyphs right of x, or nothing once it leaves the
// 32-bit range (no image reaches that far).
std::optional<int32_t> pen_at(const Font* font, int32_t x, int64_t cells) {
    const int64_t pen = x + cells * font->glyph_width;
    if (!fits_int32(pen)) return std::nullopt;
    return static_cast<int32_t>(pen);
}

int32_t hex_digit_code(uint32_t nibble) { return static_cast<int32_t>(nibble <= 9 ? 48 + nibble : 55 + nibble); }

// The low `digits` nibbles of value, most significant first, one cell apart.
void draw_hex(const Font* font, uint32_t value, int digits, int32_t x, int32_t y, Image* image) {
    if (!can_draw(font)) {
        font_error();
        return;
    }
    for (int digit = 0; digit < digits; ++digit) {
        const int shift = 4 * (digits - 1 - digit);
        if (const auto pen = pen_at(font, x, digit)) {
            font_draw_char(font, hex_digit_code((value >> shift) & 0xF), *pen, y, image);
        }
    }
}

}  // namespace

void font_error() {}

Font* font_create() {
    auto* font = heap_record_new<Font>(font_error);
    if (!font) return nullptr;
    font->glyph_width = 6;
    font->glyph_height = 6;
    return font;
}

void font_destroy(Font** font) {
    heap_record_delete(font, font_error, [](Font& owner) {
        if (owner.sheet) img_destroy(&owner.sheet);
    });
}

void font_draw_char(const Font* font, int32_t code, int32_t x, int32_t y, Image* image) {
    if (!can_draw(font)) {
        font_error();
        return;
    }
    const CellOrigin cell = cell_origin(font, code);
    img_blit_keyed(font->sheet, image, cell.x, cell.y, x, y, font->glyph_width, font->glyph_height);
}

void font_draw_hex8(const Font* font, uint32_t value, int32_t x, int32_t y, Image* image) {
    draw_hex(font, value, 2, x, y, image);
}

void font_draw_hex16(const Font* font, uint32_t value, int32_t x, int32_t y, Image* image) {
    draw_hex(font, value, 4, x, y, image);
}

void font_draw_hex32(const Font* font, uint32_t value, int32_t x, int32_t y, Image* image) {
    draw_hex(font, value, 8, x, y, image);
}

void font_draw_line(const Font* font, const char* text, int32_t x, int32_t y, Image* image) {
    if (!text || !can_draw(font)) {
        font_error();
        return;
    }
    for (int64_t i = 0; text[i] != '\0' && text[i] != '\n'; ++i) {
        const auto pen = pen_at(font, x, i);
        if (!pen) return;
        font_draw_char(font, static_cast<signed char>(text[i]), *pen, y, image);
    }
}
