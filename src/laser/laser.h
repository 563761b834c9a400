// Laser lines: a line with a fixed end and an end that moves along the
// border of its canvas at random speeds drawn from rand(). Refusals are
// silent. Standard library only.
#pragma once

#include <cstdint>

#include "img/img.h"

struct LaserLine {
    int32_t x0, y0;  // fixed end
    int32_t x1, y1;  // moving end
    int32_t vx, vy;
    int32_t speed_range, speed_min;
    uint32_t colour;
    Image* canvas;  // not owned
};

LaserLine* laser_create();
void laser_destroy(LaserLine** laser);
void laser_init(LaserLine* laser, Image* canvas);
int32_t laser_random_speed(LaserLine* laser);
void laser_move(LaserLine* laser);
void laser_draw(LaserLine* laser);
void laser_draw_random(LaserLine* laser);
void laser_error();
