// Part one: the turned, zoomed picture over the fading laser trails.
#include <algorithm>
#include <array>
#include <vector>

#include "capture.h"
#include "effects_fixture.h"
#include "laser/laser.h"

namespace effects_test {
namespace {

constexpr std::array<uint32_t, 3> LASER_COLOURS = {0x00FF00, 0xFF0000, 0x0088FF};

bool is_laser_colour(uint32_t pixel) {
    return std::find(LASER_COLOURS.begin(), LASER_COLOURS.end(), pixel) != LASER_COLOURS.end();
}

// A rectangle of the frame, right and bottom exclusive; empty when left == right.
struct Box {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Box& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

std::ostream& operator<<(std::ostream& out, const Box& box) {
    return out << "[" << box.left << "," << box.top << " .. " << box.right << "," << box.bottom << ")";
}

Box visible_square(int32_t x, int32_t y, int32_t side) {
    return {std::max(x, 0), std::max(y, 0), std::min(x + side, SCREEN_WIDTH), std::min(y + side, SCREEN_HEIGHT)};
}

Box box_of(const Image* frame, uint32_t colour) {
    Box box{frame->width, frame->height, 0, 0};
    for (int32_t y = 0; y < frame->height; ++y) {
        for (int32_t x = 0; x < frame->width; ++x) {
            if (frame->pixels[y * frame->width + x] != colour) continue;
            box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
        }
    }
    return box.right == 0 ? Box{} : box;
}

void paint(Image* image, const Box& box, uint32_t colour) {
    for (int32_t y = box.top; y < box.bottom; ++y) {
        for (int32_t x = box.left; x < box.right; ++x) img_put_pixel(image, x, y, colour);
    }
}

// The three lines as part one makes them, replayed on a canvas of the test's
// own, to predict the first frame from the same rand() sequence.
struct ReplayedLines {
    Image* canvas = img_create();
    std::array<LaserLine*, 3> lines{};

    ReplayedLines() {
        img_resize(canvas, SCREEN_WIDTH, SCREEN_HEIGHT);
        for (size_t i = 0; i < lines.size(); ++i) {
            lines[i] = laser_create();
            laser_init(lines[i], canvas);
            lines[i]->colour = LASER_COLOURS[i];
        }
    }
    ~ReplayedLines() {
        for (LaserLine*& line : lines) laser_destroy(&line);
        img_destroy(&canvas);
    }
    void first_frame() {
        for (LaserLine* line : lines) {
            laser_move(line);
            laser_draw(line);
        }
    }
};

using RotozoomTest = EffectsTest;

TEST_F(RotozoomTest, FirstFrameIsThePictureOverTheGreenRedAndBlueLinesAfterTheirFirstMove) {
    // Seen alone through a transparent picture, then under the picture.
    for (const uint32_t colour : {0u, PICTURE_COLOUR}) {
        img_destroy(&rotozoom_picture);
        rotozoom_picture = make_solid(1, 1, colour);

        std::srand(77);
        ReplayedLines replay;
        replay.first_frame();
        for (const uint32_t line : LASER_COLOURS) {
            EXPECT_GT(std::count(replay.canvas->pixels, replay.canvas->pixels + SCREEN_WIDTH * SCREEN_HEIGHT, line), 0);
        }
        if (colour) paint(replay.canvas, visible_square(19, SCREEN_HEIGHT == 200 ? -41 : -21, 283), colour);

        std::srand(77);
        ASSERT_EQ(run(part_rotozoom, 1), 1);
        EXPECT_TRUE(img_equal(fake_screen::last_frame, replay.canvas)) << "picture " << colour;
    }
}

TEST_F(RotozoomTest, PictureShrinksGrowsAndEndsAtSide320CentredWithTheOddPixelRightAndBelow) {
    std::vector<Box> boxes;
    fake_screen::on_present = [&](const Image* frame) { boxes.push_back(box_of(frame, PICTURE_COLOUR)); };
    ASSERT_EQ(run(part_rotozoom, 0), ROTOZOOM_FRAMES);
    EXPECT_EQ(ended_with, REQUEST_NONE);

    struct Expected {
        int32_t frame, side, x, y200, y240;
    };
    const Expected table[] = {
        {1, 283, 19, -41, -21},        // angle 1000
        {2, 276, 22, -38, -18},        // angle 995
        {44, 65, 128, 68, 88},         // angle 785: odd side, the extra pixel right and below
        {45, 64, 128, 68, 88},         // angle 780, the smallest
        {50, 64, 128, 68, 88},         // angle 755
        {148, 575, -127, -187, -167},  // angle 265, the largest
        {152, 575, -127, -187, -167},  // angle 245
        {200, 327, -3, -63, -43},      // angle 5
        {201, 320, 0, -60, -40},       // angle 0
    };
    for (const Expected& e : table) {
        const int32_t y = SCREEN_HEIGHT == 200 ? e.y200 : e.y240;
        EXPECT_EQ(boxes[e.frame - 1], visible_square(e.x, y, e.side)) << "frame " << e.frame;
    }
}

TEST_F(RotozoomTest, BlackIsTransparentAndTrailsFadeToBlackWithin64Frames) {
    img_destroy(&rotozoom_picture);
    rotozoom_picture = make_solid(1, 1, 0);

    // Every pixel must be black, a line at full colour, or the colour a line
    // last left there darkened by 4 for every frame since.
    const size_t pixel_count = static_cast<size_t>(SCREEN_WIDTH) * SCREEN_HEIGHT;
    std::vector<int32_t> lit_in(pixel_count, -1);
    std::vector<uint32_t> lit_colour(pixel_count, 0);
    int32_t frame = 0;
    int64_t mismatches = 0, fading = 0, faded_out = 0;
    fake_screen::on_present = [&](const Image* image) {
        ++frame;
        for (size_t p = 0; p < pixel_count; ++p) {
            const uint32_t pixel = image->pixels[p];
            if (is_laser_colour(pixel)) {
                lit_in[p] = frame;
                lit_colour[p] = pixel;
                continue;
            }
            const uint32_t expected = lit_in[p] < 0 ? 0 : darkened(lit_colour[p], 4 * (frame - lit_in[p]));
            mismatches += pixel != expected;
            fading += pixel != 0;
            faded_out += pixel == 0 && lit_in[p] >= 0;
        }
    };
    ASSERT_EQ(run(part_rotozoom, 0), ROTOZOOM_FRAMES);
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(fading, 0);
    EXPECT_GT(faded_out, 0);
}

TEST_F(RotozoomTest, EmptyCornersOfTheTurnedPictureShowTheCanvas) {
    img_destroy(&rotozoom_picture);
    rotozoom_picture = make_solid(64, 64, PICTURE_COLOUR);
    ASSERT_EQ(run(part_rotozoom, 45), 45);  // angle 780: a 64 x 64 square at the centre

    const int32_t top = SCREEN_HEIGHT / 2 - 32;
    EXPECT_EQ(img_get_pixel(fake_screen::last_frame, SCREEN_WIDTH / 2, SCREEN_HEIGHT / 2), PICTURE_COLOUR);
    EXPECT_NE(img_get_pixel(fake_screen::last_frame, 128, top), PICTURE_COLOUR);
    EXPECT_NE(img_get_pixel(fake_screen::last_frame, 191, top + 63), PICTURE_COLOUR);
}

TEST_F(RotozoomTest, SpaceEndsItAfterThatFrameButSpeedKeysDoNot) {
    EXPECT_EQ(run(part_rotozoom, 1), 1);
    EXPECT_EQ(ended_with, REQUEST_NEXT);

    fake_screen::presents = 0;
    fake_screen::key_event = key_script({{3, 'p'}, {4, 0}});
    part_rotozoom();
    EXPECT_EQ(fake_screen::presents, ROTOZOOM_FRAMES);
    EXPECT_EQ(request, REQUEST_NONE);
    EXPECT_EQ(scroll_speed, 4);
}

TEST_F(RotozoomTest, MissingPictureReportsFiveErrorsPerFrameAndTheTrailsStillRun) {
    img_destroy(&rotozoom_picture);
    const std::string out = captured_stdout([] { EXPECT_EQ(run(part_rotozoom, 3), 3); });
    EXPECT_EQ(count_lines(out, "IMG error\n"), 15);
    EXPECT_EQ(out.size(), 15 * std::string("IMG error\n").size());
}

}  // namespace
}  // namespace effects_test
