// The intro's emblem, 256 x 256: a rainbow ring cut by black notches, an
// eight-pointed star inside it, and the name "TARNOVEX" in gold on a dark
// blue band across the middle. Everything else is pure black (0), which the
// intro leaves transparent, and so do the icons drawn from it.
#pragma once

#include "pictures/netpbm.h"

namespace emblem {

constexpr int SIDE = 256;

netpbm::Picture draw();

}  // namespace emblem
