// make-font OUTPUT_PBM: the 8 x 8 glyph sheet, 16 glyphs to a sheet row, so
// code c sits at column (c % 16) * 8, row (c / 16) * 8. Codes 0 to 127; only
// '!' to 'z' have lit pixels.

#include "pictures/glyphs.h"
#include "pictures/netpbm.h"
#include "tool_main.h"

namespace {

constexpr int GLYPHS_PER_ROW = 16;
constexpr int CODES = 128;

netpbm::Picture glyph_sheet() {
    netpbm::Picture sheet(GLYPHS_PER_ROW * glyphs::SIZE, CODES / GLYPHS_PER_ROW * glyphs::SIZE);
    for (int code = 0; code < CODES; ++code) {
        const int left = code % GLYPHS_PER_ROW * glyphs::SIZE;
        const int top = code / GLYPHS_PER_ROW * glyphs::SIZE;
        for (int y = 0; y < glyphs::SIZE; ++y) {
            for (int x = 0; x < glyphs::SIZE; ++x) {
                if (glyphs::lit(code, x, y)) sheet.at(left + x, top + y) = 0xFFFFFF;
            }
        }
    }
    return sheet;
}

}  // namespace

int main(int argc, char** argv) {
    return tool_main(argc, argv, 1, "make-font OUTPUT_PBM",
                     [](char** args) { netpbm::write_pbm(args[1], glyph_sheet()); });
}
