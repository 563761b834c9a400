// Our 8 x 8 glyph designs for the codes 33 ('!') to 122 ('z'). Every other
// code, space included, is blank.
#pragma once

#include <cstdint>

#include "pictures/netpbm.h"

namespace glyphs {

constexpr int SIZE = 8;
constexpr int FIRST_CODE = 33;
constexpr int LAST_CODE = 122;

// True when pixel (x, y) of the glyph for `code` is lit.
bool lit(int code, int x, int y);

// The sheet of every glyph, 16 glyphs to a sheet row, so code c sits at
// column (c % 16) * 8, row (c / 16) * 8. Codes 0 to 127.
netpbm::Picture sheet();

}  // namespace glyphs
