// Part two: the brightness levels, the colour-strip bars seen through the
// repeated scroller, and the scroller's echo on standard output.
#include <algorithm>
#include <string>
#include <vector>

#include "capture.h"
#include "effects_fixture.h"

namespace effects_test {
namespace {

constexpr int32_t START_VELOCITY[ROLL_COUNT] = {1, 2, 3, 4, 5, 6, 6, 5, 4, 3, 2, 1};
constexpr int32_t GLYPH_TOP = BAND - GLYPH;  // glyphs sit on the bottom rows of a band

// The frame part two shows when the run of text starting at `pos` is drawn
// from column `x0` and band k's bars have the colour bar(k).
Image* expected_frame(int32_t pos, int32_t x0, const std::vector<uint32_t>& bar) {
    Image* frame = img_create();
    img_resize(frame, SCREEN_WIDTH, SCREEN_HEIGHT);
    for (int32_t y = 0; y < SCREEN_HEIGHT; ++y) {
        const int32_t row = y % BAND;
        if (row < GLYPH_TOP) continue;
        for (int32_t x = 0; x < SCREEN_WIDTH; ++x) {
            const char code = scroll_text[pos + (x - x0) / GLYPH];
            if (pattern_lit(code, (x - x0) % GLYPH, row - GLYPH_TOP)) img_put_pixel(frame, x, y, bar[y / BAND]);
        }
    }
    return frame;
}

int64_t lit_pixels(const Image* frame) {
    return std::count_if(frame->pixels, frame->pixels + frame->width * frame->height, [](uint32_t p) { return p; });
}

using MultiscrollTest = EffectsTest;

TEST_F(MultiscrollTest, ScrollTextHasItsFixedForm) {
    const std::string text = scroll_text;
    EXPECT_EQ(text.size(), 1456u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 65);
    EXPECT_EQ(text.substr(0, 2), "\n\n");
    EXPECT_EQ(text.substr(text.size() - 24), "\n" + std::string(22, ' ') + "\n");
    EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) { return c == '\n' || (c >= 32 && c <= 122); }));
}

TEST_F(MultiscrollTest, LevelsStartAtFullBrightnessAndClimbByTheirVelocities) {
    for (int32_t slot = 0; slot < ROLL_COUNT; ++slot) {
        EXPECT_EQ(program_start.levels[slot].level, 0) << "slot " << slot;
        EXPECT_EQ(program_start.levels[slot].velocity, START_VELOCITY[slot]) << "slot " << slot;
    }
    ASSERT_EQ(run(part_multiscroll, 1), 1);
    for (int32_t slot = 0; slot < ROLL_COUNT; ++slot) {
        EXPECT_EQ(roll_levels[slot].level, START_VELOCITY[slot]) << "slot " << slot;
        EXPECT_EQ(roll_levels[slot].velocity, START_VELOCITY[slot]) << "slot " << slot;
    }
}

TEST_F(MultiscrollTest, FirstBounceComesIn43rdFrameWithSlotSixDrawingFirst) {
    std::srand(11);
    const int r1 = std::rand(), r2 = std::rand(), r3 = std::rand();
    std::srand(11);

    ASSERT_EQ(run(part_multiscroll, 42), 42);
    EXPECT_EQ(roll_levels[6].level, 252);
    EXPECT_EQ(roll_levels[5].level, 252);

    ASSERT_EQ(run(part_multiscroll, 1), 1);  // the levels carry over into the next run
    EXPECT_EQ(roll_levels[6].level, 255);
    EXPECT_EQ(roll_levels[6].velocity, -(r1 % 8) - 1);
    EXPECT_EQ(roll_levels[5].level, 255);
    EXPECT_EQ(roll_levels[5].velocity, -(r2 % 8) - 1);
    EXPECT_EQ(roll_levels[4].level, 5 * 43);
    EXPECT_EQ(roll_levels[4].velocity, 5);
    EXPECT_EQ(std::rand(), r3) << "exactly two values drawn";
}

TEST_F(MultiscrollTest, LevelBouncesOffZeroWithAFreshUpwardSpeed) {
    roll_levels[0] = {3, -5};
    std::srand(5);
    const int r = std::rand();
    std::srand(5);
    ASSERT_EQ(run(part_multiscroll, 1), 1);
    EXPECT_EQ(roll_levels[0].level, 0);
    EXPECT_EQ(roll_levels[0].velocity, r % 8 + 1);
}

TEST_F(MultiscrollTest, FirstCharacterLeavesInFrame168AtSpeed2) {
    EXPECT_EQ(captured_stdout([] { run(part_multiscroll, 167); }), "");
    EXPECT_EQ(scroll_x, -14);
    EXPECT_EQ(captured_stdout([] { run(part_multiscroll, 1); }), std::string(1, scroll_text[0]));
    EXPECT_EQ(scroll_x, 0);
    EXPECT_EQ(scroll_pos, 1);
}

TEST_F(MultiscrollTest, FirstCharacterLeavesInFrame84AtSpeed4) {
    scroll_speed = 4;
    EXPECT_EQ(captured_stdout([] { run(part_multiscroll, 83); }), "");
    EXPECT_EQ(captured_stdout([] { run(part_multiscroll, 1); }), std::string(1, scroll_text[0]));
    EXPECT_EQ(scroll_x, 0);
}

TEST_F(MultiscrollTest, OvershootBeyondAWholeGlyphIsDropped) {
    scroll_x = -14;
    scroll_pos = 5;
    scroll_speed = 4;
    EXPECT_EQ(captured_stdout(scroller_advance), std::string(1, scroll_text[5]));
    EXPECT_EQ(scroll_x, 0);
    EXPECT_EQ(scroll_pos, 6);

    scroll_speed = 0;
    EXPECT_EQ(captured_stdout(scroller_advance), "");
    EXPECT_EQ(scroll_x, 0);
}

TEST_F(MultiscrollTest, OneCycleEchoesAllButTheLastRunAndEntersAgainFromTheRight) {
    scroll_x = 0;
    scroll_speed = GLYPH;  // one character per step
    const std::string out = captured_stdout([] {
        for (int i = 0; i < 1434; ++i) scroller_advance();
    });
    ASSERT_EQ(scroll_pos, 1434);
    EXPECT_EQ(std::string(scroll_text + 1434, 21), std::string(21, ' ')) << "the last run drawn is blank";

    const std::string last = captured_stdout(scroller_advance);
    EXPECT_EQ(out + last, std::string(scroll_text, 1435));
    EXPECT_EQ(scroll_pos, 0);
    EXPECT_EQ(scroll_x, SCREEN_WIDTH);
}

TEST_F(MultiscrollTest, BarsShowOnlyInsideTheLettersOfEveryBand) {
    scroll_x = 0;
    scroll_pos = 100;
    std::vector<Image*> frames;
    fake_screen::on_present = [&](const Image* frame) { frames.push_back(img_clone(frame)); };
    ASSERT_EQ(run(part_multiscroll, 2), 2);

    // The column starts black and moves halfway to each frame's darkened strip.
    std::vector<uint32_t> first(ROLL_COUNT), second(ROLL_COUNT);
    for (int32_t slot = 0; slot < ROLL_COUNT; ++slot) {
        first[slot] = half(darkened(strip_colour(slot), START_VELOCITY[slot]));
        second[slot] = half(darkened(strip_colour(slot), 2 * START_VELOCITY[slot])) + half(first[slot]);
    }
    Image* expected_first = expected_frame(100, 0, first);
    Image* expected_second = expected_frame(100, -2, second);
    EXPECT_GT(lit_pixels(expected_first), 0);
    EXPECT_TRUE(img_equal(frames[0], expected_first));
    EXPECT_TRUE(img_equal(frames[1], expected_second));

    for (Image* image : {expected_first, expected_second, frames[0], frames[1]}) img_destroy(&image);
}

TEST_F(MultiscrollTest, EveryBandOfTheLayerIsACopyOfTheBottomBand) {
    scroll_x = -5;
    scroll_pos = 300;
    scroller_render();
    const size_t band_pixels = static_cast<size_t>(BAND) * SCREEN_WIDTH;
    const uint32_t* bottom = scroll_layer->pixels + (SCREEN_HEIGHT / BAND - 1) * band_pixels;
    EXPECT_GT(std::count(bottom, bottom + band_pixels, INK), 0);
    for (int32_t band = 0; band < SCREEN_HEIGHT / BAND - 1; ++band) {
        const uint32_t* pixels = scroll_layer->pixels + band * band_pixels;
        EXPECT_TRUE(std::equal(pixels, pixels + band_pixels, bottom)) << "band " << band;
    }
}

TEST_F(MultiscrollTest, SpeedKeyActsFromTheNextFrameAndStays) {
    fake_screen::presents = 0;
    fake_screen::key_event = key_script({{1, 'p'}, {2, ' '}});
    part_multiscroll();
    request = REQUEST_NONE;
    EXPECT_EQ(fake_screen::presents, 2);
    EXPECT_EQ(scroll_x, SCREEN_WIDTH - 2 - 4);
    EXPECT_EQ(scroll_speed, 4);
}

TEST_F(MultiscrollTest, MissingStripReportsFourErrorsPerFrameAndLeavesItsBandBlack) {
    img_destroy(&roll_images[3]);
    scroll_x = 0;
    scroll_pos = 100;
    const std::string out = captured_stdout([] { EXPECT_EQ(run(part_multiscroll, 2), 2); });
    EXPECT_EQ(count_lines(out, "IMG error\n"), 8);
    const uint32_t* band = fake_screen::last_frame->pixels + 3 * BAND * SCREEN_WIDTH;
    EXPECT_TRUE(std::all_of(band, band + BAND * SCREEN_WIDTH, [](uint32_t p) { return p == 0; }));
}

TEST_F(MultiscrollTest, RunsItsFullLengthWithoutKeys) {
    const std::string out = captured_stdout([] { EXPECT_EQ(run(part_multiscroll, 0), MULTISCROLL_FRAMES); });
    EXPECT_EQ(ended_with, REQUEST_NONE);
    EXPECT_EQ(out, std::string(scroll_text, out.size()));
}

}  // namespace
}  // namespace effects_test
