#include "laser/laser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "capture.h"

namespace {

// Replays the generator from a seed to predict what the module draws.
class Replay {
public:
    explicit Replay(unsigned seed) { std::srand(seed); }
    int next() { return std::rand(); }
    int32_t speed() {
        const int32_t magnitude = next() % 12 + 8;
        return next() % 2 == 1 ? -magnitude : magnitude;
    }
};

// The next value of the generator after `draws` draws from `seed`.
int value_after(unsigned seed, int draws) {
    std::srand(seed);
    for (int i = 0; i < draws; ++i) std::rand();
    return std::rand();
}

Image* make_canvas(int32_t width, int32_t height) {
    Image* img = img_create();
    img_resize(img, width, height);
    return img;
}

// A laser already initialised on the canvas, then placed by hand.
LaserLine* placed_laser(Image* canvas, int32_t x1, int32_t y1, int32_t vx, int32_t vy) {
    LaserLine* laser = laser_create();
    laser_init(laser, canvas);
    laser->x1 = x1;
    laser->y1 = y1;
    laser->vx = vx;
    laser->vy = vy;
    return laser;
}

bool on_border(const LaserLine* laser) {
    const Image* canvas = laser->canvas;
    return laser->x1 == 0 || laser->x1 == canvas->width - 1 || laser->y1 == 0 || laser->y1 == canvas->height - 1;
}

std::vector<std::pair<int32_t, int32_t>> lit_pixels(const Image* img) {
    std::vector<std::pair<int32_t, int32_t>> lit;
    for (int32_t y = 0; y < img->height; ++y) {
        for (int32_t x = 0; x < img->width; ++x) {
            if (img_get_pixel(img, x, y) != 0) lit.emplace_back(x, y);
        }
    }
    return lit;
}

}  // namespace

TEST(LaserRandomOrder, InitDrawsSevenValuesInOrder) {
    Image* canvas = make_canvas(320, 200);
    LaserLine* laser = laser_create();
    for (unsigned seed = 1; seed <= 200; ++seed) {
        std::srand(seed);
        laser_init(laser, canvas);
        const int after = std::rand();

        Replay replay(seed);
        EXPECT_EQ(laser->x0, replay.next() % 320);
        EXPECT_EQ(laser->y0, replay.next() % 200);
        EXPECT_EQ(laser->x1, replay.next() % 320);
        EXPECT_EQ(laser->y1, 0);
        EXPECT_EQ(laser->vx, replay.speed());
        EXPECT_EQ(laser->vy, replay.speed());
        EXPECT_EQ(after, replay.next());
        EXPECT_EQ(laser->speed_range, 12);
        EXPECT_EQ(laser->speed_min, 8);
        EXPECT_EQ(laser->colour, 0xFFFFFFu);
        EXPECT_EQ(laser->canvas, canvas);
        for (int32_t v : {laser->vx, laser->vy}) {
            EXPECT_GE(std::abs(v), 8);
            EXPECT_LE(std::abs(v), 19);
        }
    }
    laser_destroy(&laser);
    img_destroy(&canvas);
}

TEST(LaserRandomOrder, SpeedDrawsMagnitudeThenSign) {
    Image* canvas = make_canvas(50, 50);
    LaserLine* laser = placed_laser(canvas, 0, 0, 0, 0);
    std::set<int32_t> seen;
    for (unsigned seed = 1; seed <= 500; ++seed) {
        std::srand(seed);
        const int32_t speed = laser_random_speed(laser);
        const int after = std::rand();
        Replay replay(seed);
        EXPECT_EQ(speed, replay.speed());
        EXPECT_EQ(after, replay.next());
        seen.insert(speed);
    }
    EXPECT_EQ(seen.size(), 24u);  // every magnitude 8 ... 19 with both signs
    laser_destroy(&laser);
    img_destroy(&canvas);
}

TEST(LaserRandomOrder, MovesInsideTheCanvasDrawNothing) {
    Image* canvas = make_canvas(320, 200);
    LaserLine* laser = placed_laser(canvas, 100, 100, 9, -11);
    std::srand(7);
    laser_move(laser);
    const int after = std::rand();
    EXPECT_EQ(after, value_after(7, 0));
    EXPECT_EQ(laser->x1, 109);
    EXPECT_EQ(laser->y1, 89);
    EXPECT_EQ(laser->vx, 9);
    EXPECT_EQ(laser->vy, -11);
    laser_destroy(&laser);
    img_destroy(&canvas);
}

TEST(LaserRandomOrder, RightEdgeStopsTheColumnAndDrawsARowSpeedUsedAtOnce) {
    Image* canvas = make_canvas(320, 200);
    LaserLine* laser = placed_laser(canvas, 317, 100, 10, 5);
    const int32_t x0 = laser->x0, y0 = laser->y0;
    std::srand(11);
    laser_move(laser);
    const int after = std::rand();
    Replay replay(11);
    const int32_t vy = replay.speed();
    EXPECT_EQ(laser->x1, 319);
    EXPECT_EQ(laser->vx, 0);
    EXPECT_EQ(laser->vy, vy);
    EXPECT_EQ(laser->y1, 100 + vy);
    EXPECT_EQ(after, replay.next());
    EXPECT_EQ(laser->x0, x0);
    EXPECT_EQ(laser->y0, y0);
    laser_destroy(&laser);
    img_destroy(&canvas);
}

TEST(LaserRandomOrder, TopEdgeStopsTheRowAndDrawsAColumnSpeed) {
    Image* canvas = make_canvas(320, 200);
    LaserLine* laser = placed_laser(canvas, 40, 5, 0, -12);
    std::srand(12);
    laser_move(laser);
    const int after = std::rand();
    Replay replay(12);
    EXPECT_EQ(laser->x1, 40);
    EXPECT_EQ(laser->y1, 0);
    EXPECT_EQ(laser->vy, 0);
    EXPECT_EQ(laser->vx, replay.speed());
    EXPECT_EQ(after, replay.next());
    laser_destroy(&laser);
    img_destroy(&canvas);
}

TEST(LaserRandomOrder, CornerContactDrawsTwoSpeedsInOneMove) {
    Image* canvas = make_canvas(320, 200);
    int corners = 0, edges = 0;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        LaserLine* laser = placed_laser(canvas, 315, 195, 14, 3);
        std::srand(seed);
        laser_move(laser);
        const int after = std::rand();
        Replay replay(seed);
        const int32_t vy = replay.speed();
        EXPECT_EQ(laser->x1, 319);
        if (195 + vy >= 200) {
            ++corners;
            EXPECT_EQ(laser->y1, 199);
            EXPECT_EQ(laser->vy, 0);
            EXPECT_EQ(laser->vx, replay.speed());
            EXPECT_NE(laser->vx, 0);
        } else {
            ++edges;
            EXPECT_EQ(laser->y1, 195 + vy);
            EXPECT_EQ(laser->vy, vy);
            EXPECT_EQ(laser->vx, 0);
        }
        EXPECT_EQ(after, replay.next());
        laser_destroy(&laser);
    }
    EXPECT_GT(corners, 0);
    EXPECT_GT(edges, 0);
    img_destroy(&canvas);
}

TEST(LaserRandomOrder, BothSpeedsZeroDrawsBothBeforeMoving) {
    Image* canvas = make_canvas(320, 200);
    LaserLine* laser = placed_laser(canvas, 160, 100, 0, 0);
    std::srand(21);
    laser_move(laser);
    const int after = std::rand();
    Replay replay(21);
    const int32_t vx = replay.speed();
    const int32_t vy = replay.speed();
    EXPECT_EQ(laser->vx, vx);
    EXPECT_EQ(laser->vy, vy);
    EXPECT_EQ(laser->x1, 160 + vx);
    EXPECT_EQ(laser->y1, 100 + vy);
    EXPECT_EQ(after, replay.next());
    laser_destroy(&laser);
    img_destroy(&canvas);
}

TEST(LaserPath, MovingEndKeepsToTheBorderAfterItsFirstContact) {
    const std::pair<int32_t, int32_t> sizes[] = {{320, 200}, {320, 240}, {7, 5}, {1, 1}, {2, 300}, {300, 1}};
    for (const auto& [width, height] : sizes) {
        Image* canvas = make_canvas(width, height);
        LaserLine* laser = laser_create();
        std::srand(static_cast<unsigned>(width * 1000 + height));
        laser_init(laser, canvas);
        bool touched = false;
        for (int move = 0; move < 5000; ++move) {
            laser_move(laser);
            ASSERT_GE(laser->x1, 0);
            ASSERT_LT(laser->x1, width);
            ASSERT_GE(laser->y1, 0);
            ASSERT_LT(laser->y1, height);
            touched = touched || laser->vx == 0 || laser->vy == 0;
            if (touched) {
                ASSERT_TRUE(on_border(laser)) << width << "x" << height << " move " << move;
                ASSERT_NE(laser->vx == 0, laser->vy == 0) << width << "x" << height << " move " << move;
            }
        }
        EXPECT_TRUE(touched);
        laser_destroy(&laser);
        img_destroy(&canvas);
    }
}

TEST(LaserDrawing, PlotsTheTracedLineInItsColour) {
    Image* canvas = make_canvas(30, 20);
    LaserLine* laser = placed_laser(canvas, 29, 3, 0, 0);
    laser->x0 = 2;
    laser->y0 = 17;
    laser->colour = 0x12AB34;
    laser_draw(laser);

    int32_t* points = line_points(2, 17, 29, 3);
    std::vector<std::pair<int32_t, int32_t>> traced;
    for (int32_t i = 1; i < points[0]; i += 2) traced.emplace_back(points[i], points[i + 1]);
    std::free(points);
    std::sort(traced.begin(), traced.end(), [](auto a, auto b) { return std::tie(a.second, a.first) < std::tie(b.second, b.first); });
    EXPECT_EQ(lit_pixels(canvas), traced);
    for (const auto& [x, y] : traced) EXPECT_EQ(img_get_pixel(canvas, x, y), 0x12AB34u);

    Image* once = img_clone(canvas);
    laser_draw(laser);
    EXPECT_EQ(img_equal(canvas, once), 1);
    img_destroy(&once);
    laser_destroy(&laser);
    EXPECT_EQ(img_get_pixel(canvas, 2, 17), 0x12AB34u);  // the canvas outlives the line
    img_destroy(&canvas);
}

TEST(LaserDrawing, CoincidingEndsPlotOnePixel) {
    Image* canvas = make_canvas(10, 10);
    LaserLine* laser = placed_laser(canvas, 4, 6, 0, 0);
    laser->x0 = 4;
    laser->y0 = 6;
    laser_draw(laser);
    EXPECT_EQ(lit_pixels(canvas), (std::vector<std::pair<int32_t, int32_t>>{{4, 6}}));
    laser_destroy(&laser);
    img_destroy(&canvas);
}

TEST(LaserDrawing, RandomColoursStartAtTheMovingEnd) {
    Image* canvas = make_canvas(10, 10);
    LaserLine* laser = placed_laser(canvas, 7, 0, 0, 0);
    laser->x0 = 0;
    laser->y0 = 0;
    std::srand(33);
    laser_draw_random(laser);
    const int after = std::rand();
    Replay replay(33);
    for (int32_t x = 7; x >= 0; --x) EXPECT_EQ(img_get_pixel(canvas, x, 0), static_cast<uint32_t>(replay.next()) & 0xFFFFFF);
    EXPECT_EQ(after, replay.next());
    laser_destroy(&laser);
    img_destroy(&canvas);
}

TEST(LaserRefusals, UnusableLinesAndCanvasesChangeNothingSilently) {
    Image* empty = make_canvas(0, 10);
    Image* flat = make_canvas(10, 0);
    Image no_pixels{10, 10, nullptr};
    LaserLine* laser = laser_create();
    ASSERT_NE(laser, nullptr);
    const std::string out = captured_stdout([&] {
        std::srand(5);
        laser_init(laser, empty);
        laser_init(laser, flat);
        laser_init(laser, &no_pixels);
        laser_init(laser, nullptr);
        laser_init(nullptr, empty);
        laser_move(laser);  // never initialised: no canvas
        laser_draw(laser);
        laser_draw_random(laser);
        laser_move(nullptr);
        laser_draw(nullptr);
        laser_draw_random(nullptr);
        EXPECT_EQ(laser_random_speed(laser), 0);  // no range to draw from yet
        EXPECT_EQ(laser_random_speed(nullptr), 0);
        const int after = std::rand();
        EXPECT_EQ(after, value_after(5, 0));
        LaserLine* gone = nullptr;
        laser_destroy(&gone);
        laser_destroy(nullptr);
    });
    EXPECT_EQ(out, "");
    EXPECT_EQ(std::tie(laser->x0, laser->y0, laser->x1, laser->y1, laser->vx, laser->vy),
              std::make_tuple(0, 0, 0, 0, 0, 0));
    EXPECT_EQ(std::tie(laser->speed_range, laser->speed_min, laser->colour), std::make_tuple(0, 0, 0u));
    EXPECT_EQ(laser->canvas, nullptr);
    laser_destroy(&laser);
    EXPECT_EQ(laser, nullptr);
    img_destroy(&empty);
    img_destroy(&flat);
}
