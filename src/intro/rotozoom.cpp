// Part one of the show: a picture turns and zooms at the centre of the screen
// over the fading trails of three laser lines.
#include <algorithm>
#include <array>

#include "intro/intro.h"
#include "laser/laser.h"

namespace {

// Creation order is also the order in which the lines draw from rand().
constexpr std::array<uint32_t, ROTOZOOM_LASER_COUNT> LASER_COLOURS = {
    0x00FF00,  // green
    0xFF0000,  // red
    0x0088FF,  // light blue
};

constexpr int32_t FIRST_ANGLE = 1000;
constexpr int32_t ANGLE_STEP = 5;
constexpr uint8_t TRAIL_FADE = 4;
// Base side of the zoomed picture; fixed, whatever the screen size.
constexpr int32_t ZOOM_BASE_SIDE = 320;

// Copies the part of `src` that overlaps `dst`, row by row from the top-left
// corner; with equal sizes that is the whole image.
void copy_overlap(const Image* src, Image* dst) {
    if (!src || !src->pixels || !dst || !dst->pixels) return;
    const int32_t width = std::min(src->width, dst->width);
    const int32_t height = std::min(src->height, dst->height);
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* from = src->pixels + static_cast<size_t>(y) * src->width;
        std::copy(from, from + width, dst->pixels + static_cast<size_t>(y) * dst->width);
    }
}

// Side change of the zoomed picture at `angle`: -256 ... 255.
int32_t zoom_offset(int32_t angle) {
    // An arithmetic shift: the division by 128 rounds towards minus infinity.
    return sine_table[wrap_index(angle, sine_table_length)] >> 7;
}

// Turns and zooms the picture and lays it, centred, over frame_image; its
// black pixels stay transparent. A missing picture is reported by each
// toolkit call it reaches and leaves the frame as it was.
void draw_turned_picture(int32_t angle) {
    Image* turned = img_rotate(rotozoom_picture, angle);
    const int32_t side = ZOOM_BASE_SIDE + zoom_offset(angle);
    Image* zoomed = img_scale(turned, side, side);

    const int32_t zoomed_width = zoomed ? zoomed->width : 0;
    const int32_t zoomed_height = zoomed ? zoomed->height : 0;
    const int32_t frame_width = frame_image ? frame_image->width : 0;
    const int32_t frame_height = frame_image ? frame_image->height : 0;
    img_blit_keyed(zoomed, frame_image, 0, 0, frame_width / 2 - zoomed_width / 2,
                   frame_height / 2 - zoomed_height / 2, zoomed_width, zoomed_height);

    img_destroy(&turned);
    img_destroy(&zoomed);
}

}  // namespace

void rotozoom_compose_frame(Image* canvas, LaserLine* const lasers[ROTOZOOM_LASER_COUNT], int32_t angle) {
    img_darken(canvas, TRAIL_FADE);
    for (int32_t i = 0; i < ROTOZOOM_LASER_COUNT; ++i) {
        laser_move(lasers[i]);
        laser_draw(lasers[i]);
    }
    copy_overlap(canvas, frame_image);
    draw_turned_picture(angle);
}

void part_rotozoom() {
    Image* canvas = img_create();
    img_resize(canvas, SCREEN_WIDTH, SCREEN_HEIGHT);

    LaserLine* lasers[ROTOZOOM_LASER_COUNT];
    for (int32_t i = 0; i < ROTOZOOM_LASER_COUNT; ++i) {
        lasers[i] = laser_create();
        laser_init(lasers[i], canvas);
        if (lasers[i]) lasers[i]->colour = LASER_COLOURS[i];
    }

    for (int32_t angle = FIRST_ANGLE; angle >= 0; angle -= ANGLE_STEP) {
        rotozoom_compose_frame(canvas, lasers, angle);
        if (intro_frame_tail()) break;
    }

    for (LaserLine*& laser : lasers) laser_destroy(&laser);
    img_destroy(&canvas);
}
