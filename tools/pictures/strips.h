// The twelve colour strips of the intro's raster bars, each 1 x 20: a copper
// bar in its own hue, dark at both ends and brightest, almost white, in the
// middle.
#pragma once

#include <string>

#include "pictures/netpbm.h"

namespace strips {

constexpr int COUNT = 12;

netpbm::Picture draw(int slot);
// "roll1.ppm" ... "roll9.ppm", "rolla.ppm" ... "rollc.ppm" for slots 0 ... 11.
std::string file_name(int slot);

}  // namespace strips
