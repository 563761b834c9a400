// Our 8 x 8 glyph designs for the codes 33 ('!') to 122 ('z'). Every other
// code, space included, is blank.
#pragma once

#include <cstdint>

namespace glyphs {

constexpr int SIZE = 8;
constexpr int FIRST_CODE = 33;
constexpr int LAST_CODE = 122;

// True when pixel (x, y) of the glyph for `code` is lit.
bool lit(int code, int x, int y);

}  // namespace glyphs
