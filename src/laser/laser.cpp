// Laser lines: placement and movement driven by rand(), in a fixed order of
// draws so that the same generator state always gives the same paths, and
// plotting through the line tracer.
#include "laser/laser.h"

#include <cstdlib>
#include <memory>

#include "img/heap_record.h"

namespace {

bool has_canvas(const LaserLine* laser) { return laser && laser->canvas; }

// Moves one coordinate of the moving end by its speed. Leaving [0, extent)
// clamps it to the edge it crossed, stops that axis and sends the end along
// the edge with a new speed on the other axis. 64-bit sums keep a large speed
// from overflowing; after the clamp the result always fits 32 bits.
void step_axis(LaserLine* laser, int32_t& position, int32_t& speed, int32_t& other_speed, int32_t extent) {
    const int64_t moved = static_cast<int64_t>(position) + speed;
    if (moved >= extent || moved < 0) {
        position = moved < 0 ? 0 : extent - 1;
        speed = 0;
        other_speed = laser_random_speed(laser);
    } else {
        position = static_cast<int32_t>(moved);
    }
}

// Calls plot(x, y) for the points from the fixed end to the moving end in
// reverse order, moving end first.
template <typename Plot>
void for_each_point_backward(const LaserLine* laser, Plot plot) {
    const std::unique_ptr<int32_t, decltype(&std::free)> points(
        line_points(laser->x0, laser->y0, laser->x1, laser->y1), std::free);
    if (!points) return;
    const int32_t* coords = points.get() + 1;
    for (int32_t i = points.get()[0] - 2; i >= 0; i -= 2) plot(coords[i], coords[i + 1]);
}

}  // namespace

void laser_error() {}

LaserLine* laser_create() { return heap_record_new<LaserLine>(laser_error); }

// A line owns nothing: its canvas is the caller's.
void laser_destroy(LaserLine** laser) {
    heap_record_delete(laser, laser_error, [](LaserLine&) {});
}

void laser_init(LaserLine* laser, Image* canvas) {
    // A canvas without area or pixels offers no position to place the line.
    if (!laser || !canvas || canvas->width <= 0 || canvas->height <= 0 || !canvas->pixels) {
        laser_error();
        return;
    }
    laser->canvas = canvas;
    laser->x0 = std::rand() % canvas->width;
    laser->y0 = std::rand() % canvas->height;
    laser->x1 = std::rand() % canvas->width;
    laser->y1 = 0;
    laser->speed_range = 12;
    laser->speed_min = 8;
    laser->vx = laser_random_speed(laser);
    laser->vy = laser_random_speed(laser);
    laser->colour = 0xFFFFFF;
}

int32_t laser_random_speed(LaserLine* laser) {
    // A range of 0 has no magnitude to draw (and would divide by zero).
    if (!laser || laser->speed_range == 0) {
        laser_error();
        return 0;
    }
    const int64_t magnitude = std::rand() % laser->speed_range + static_cast<int64_t>(laser->speed_min);
    const bool negative = std::rand() % 2 == 1;
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

void laser_move(LaserLine* laser) {
    if (!has_canvas(laser)) {
        laser_error();
        return;
    }
    if (laser->vx == 0 && laser->vy == 0) {
        laser->vx = laser_random_speed(laser);
        laser->vy = laser_random_speed(laser);
    }
    step_axis(laser, laser->x1, laser->vx, laser->vy, laser->canvas->width);
    step_axis(laser, laser->y1, laser->vy, laser->vx, laser->canvas->height);
}

void laser_draw(LaserLine* laser) {
    if (!has_canvas(laser)) {
        laser_error();
        return;
    }
    for_each_point_backward(laser, [laser](int32_t x, int32_t y) { img_put_pixel(laser->canvas, x, y, laser->colour); });
}

void laser_draw_random(LaserLine* laser) {
    if (!has_canvas(laser)) {
        laser_error();
        return;
    }
    for_each_point_backward(laser, [laser](int32_t x, int32_t y) {
        img_put_pixel(laser->canvas, x, y, static_cast<uint32_t>(std::rand()) & 0xFFFFFF);
    });
}
