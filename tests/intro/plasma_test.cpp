// Part three: the plasma rows, the wobbling text lines and the rolling
// rainbow that colours them.
#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "effects_fixture.h"

namespace effects_test {
namespace {

// A seed whose first rand() selects the three-channel plasma (low byte 0) or
// the blue one.
unsigned seed_for(bool three_channel) {
    for (unsigned seed = 1;; ++seed) {
        std::srand(seed);
        if (((std::rand() & 0xFF) == 0) == three_channel) return seed;
    }
}

bool is_text(uint32_t pixel) { return (pixel & 0xFFFF00) != 0; }  // in the blue plasma

using Pixel = std::pair<int32_t, int32_t>;

std::set<Pixel> text_pixels(const Image* frame) {
    std::set<Pixel> pixels;
    for (int32_t y = 0; y < frame->height; ++y) {
        for (int32_t x = 0; x < frame->width; ++x) {
            if (is_text(img_get_pixel(frame, x, y))) pixels.insert({x, y});
        }
    }
    return pixels;
}

using PlasmaTest = EffectsTest;

TEST(WrapIndex, GivesTheRemainderInZeroToNMinusOne) {
    EXPECT_EQ(wrap_index(5, 1024), 5);
    EXPECT_EQ(wrap_index(1023, 1024), 1023);
    EXPECT_EQ(wrap_index(1024, 1024), 0);
    EXPECT_EQ(wrap_index(2049, 1024), 1);
    EXPECT_EQ(wrap_index(-17, 1024), 1007);
    EXPECT_EQ(wrap_index(-1024, 1024), 0);
    EXPECT_EQ(wrap_index(-2049, 1024), 1023);
}

TEST(PlasmaTables, RainbowIsSixRampsOf16StartingAtPositionZero) {
    EXPECT_EQ(rainbow_raster.size, 96);
    EXPECT_EQ(program_start.rainbow_position, 0);
    for (int32_t i = 0; i < 96; ++i) EXPECT_EQ(rainbow_raster.colours[i], rainbow(i)) << "entry " << i;
    EXPECT_EQ(rainbow_raster.colours[15], 0xF0F000u);
    EXPECT_EQ(rainbow_raster.colours[40], 0x00F080u);
    EXPECT_EQ(rainbow_raster.colours[95], 0xF00000u);
}

TEST(PlasmaTables, WavesStartAtTheirProgramStartPhases) {
    const auto expect_wave = [](const Wave& wave, Wave expected) {
        EXPECT_EQ(wave.phase, expected.phase);
        EXPECT_EQ(wave.speed, expected.speed);
        EXPECT_EQ(wave.frequency, expected.frequency);
        EXPECT_EQ(wave.amplitude, expected.amplitude);
    };
    expect_wave(program_start.wave_y, {0, 15, 24, 16});
    expect_wave(program_start.wave_x, {100, 11, 32, 16});
    const Wave plasma[6] = {{0, -17, 1, 64}, {0, -27, 2, 32}, {0, -33, 3, 32},
                            {0, 21, 7, 32},  {0, 31, 8, 32},  {0, 41, 9, 32}};
    for (int i = 0; i < 6; ++i) expect_wave(program_start.plasma[i], plasma[i]);
}

TEST(PlasmaTables, LinesAre18CentredCharactersWithBlankLinesBetween) {
    const std::string blank = std::string(18, ' ') + "\n";
    for (int32_t line = 0; line < PLASMA_LINE_COUNT; ++line) {
        const std::string text = plasma_lines[line];
        ASSERT_EQ(text.size(), 19u) << "line " << line;
        if (line % 2 == 0) {
            EXPECT_EQ(text, blank) << "line " << line;
            continue;
        }
        const size_t first = text.find_first_not_of(' ');
        const size_t last = text.find_last_not_of(" \n");
        ASSERT_NE(first, std::string::npos) << "line " << line;
        EXPECT_EQ(text.back(), '\n');
        const size_t trailing = 17 - last;
        EXPECT_LE(std::max(first, trailing) - std::min(first, trailing), 1u) << "line " << line;
    }
}

TEST_F(PlasmaTest, FirstFrameRowsOfTheThreeChannelPlasma) {
    std::srand(seed_for(true));
    ASSERT_EQ(run(part_plasma, 1), 1);
    EXPECT_EQ(plasma_mode, 0);
    const uint32_t expected[3] = {0x808080, 0x818181, 0x828384};
    for (int32_t row = 0; row < 3; ++row) {
        for (int32_t x = 0; x < SCREEN_WIDTH; ++x) {
            ASSERT_EQ(img_get_pixel(fake_screen::last_frame, x, row), expected[row]) << "row " << row << " x " << x;
        }
    }
}

TEST_F(PlasmaTest, FirstFrameRowsOfTheBluePlasma) {
    std::srand(seed_for(false));
    ASSERT_EQ(run(part_plasma, 1), 1);
    EXPECT_NE(plasma_mode, 0);
    for (int32_t x = 0; x < SCREEN_WIDTH; ++x) {
        ASSERT_EQ(img_get_pixel(fake_screen::last_frame, x, 0), 0x000080u) << "x " << x;
    }
}

TEST_F(PlasmaTest, FirstFrameLinesStartWhereTheWavesPutThemInRainbowColours) {
    use_dot_font();
    std::srand(seed_for(false));
    ASSERT_EQ(run(part_plasma, 1), 1);

    // Top-left corners at 320 x 200; the block sits 20 rows lower at 240.
    const Pixel corners[PLASMA_LINE_COUNT] = {{25, 12},  {27, 30},  {29, 48},  {30, 66},  {31, 84}, {31, 102},
                                              {31, 120}, {30, 137}, {29, 154}, {26, 171}, {24, 187}};
    const int32_t lower = (SCREEN_HEIGHT - 200) / 2;
    std::set<Pixel> expected;
    for (const auto& [x, y] : corners) {
        for (int32_t column = 0; column < 18; ++column) {
            if (y + lower < SCREEN_HEIGHT) expected.insert({x + GLYPH * column, y + lower});
        }
    }
    EXPECT_EQ(text_pixels(fake_screen::last_frame), expected);
    for (const auto& [x, y] : expected) EXPECT_EQ(img_get_pixel(fake_screen::last_frame, x, y), rainbow(y));
}

TEST_F(PlasmaTest, RainbowRollsUpOneRowPerFrame) {
    use_dot_font();
    std::srand(seed_for(false));
    std::vector<Image*> frames;
    fake_screen::on_present = [&](const Image* frame) { frames.push_back(img_clone(frame)); };
    ASSERT_EQ(run(part_plasma, 3), 3);

    for (int32_t frame = 0; frame < 3; ++frame) {
        const std::set<Pixel> text = text_pixels(frames[frame]);
        EXPECT_FALSE(text.empty());
        for (const auto& [x, y] : text) {
            ASSERT_EQ(img_get_pixel(frames[frame], x, y), rainbow(frame + y)) << "frame " << frame << " row " << y;
        }
        img_destroy(&frames[frame]);
    }
    EXPECT_EQ(rainbow_raster.position, 3);
}

TEST_F(PlasmaTest, NextRunGoesOnWithThePhasesAndRainbowAndDrawsItsModeAgain) {
    const auto phases_after = [](int32_t frames) {
        std::vector<int32_t> phases = {wrap_index(15 * frames, 1024), wrap_index(100 + 11 * frames, 1024)};
        for (int32_t speed : {-17, -27, -33, 21, 31, 41}) phases.push_back(wrap_index(speed * frames, 1024));
        return phases;
    };
    const auto current_phases = [] {
        std::vector<int32_t> phases = {text_wave_y.phase, text_wave_x.phase};
        for (const Wave& wave : plasma_waves) phases.push_back(wave.phase);
        return phases;
    };

    std::srand(21);
    const auto first_mode = static_cast<uint8_t>(std::rand() & 0xFF);
    std::srand(21);
    ASSERT_EQ(run(part_plasma, 10), 10);
    EXPECT_EQ(plasma_mode, first_mode);
    EXPECT_EQ(current_phases(), phases_after(10));

    std::srand(22);
    const auto second_mode = static_cast<uint8_t>(std::rand() & 0xFF);
    std::srand(22);
    ASSERT_EQ(run(part_plasma, 90), 90);
    EXPECT_EQ(plasma_mode, second_mode);
    EXPECT_EQ(current_phases(), phases_after(100));
    EXPECT_EQ(rainbow_raster.position, 4);
}

TEST_F(PlasmaTest, BluePlasmaRunsItsFullLengthWithEveryBackgroundPixelBlue) {
    std::srand(seed_for(false));
    int64_t strays = 0;
    fake_screen::on_present = [&](const Image* frame) {
        for (int32_t i = 0; i < frame->width * frame->height; ++i) {
            const uint32_t pixel = frame->pixels[i];
            strays += is_text(pixel) ? !is_rainbow_colour(pixel) : pixel > 0xFC;
        }
    };
    EXPECT_EQ(run(part_plasma, 0), PLASMA_FRAMES);
    EXPECT_EQ(ended_with, REQUEST_NONE);
    EXPECT_EQ(strays, 0);
}

TEST_F(PlasmaTest, ThreeChannelPlasmaStaysInItsChannelRanges) {
    std::srand(seed_for(true));
    int64_t strays = 0;
    fake_screen::on_present = [&](const Image* frame) {
        for (int32_t i = 0; i < frame->width * frame->height; ++i) {
            const uint32_t pixel = frame->pixels[i];
            if (is_rainbow_colour(pixel)) continue;  // every rainbow colour has a channel of 0xF0
            const uint32_t red = pixel >> 16, green = pixel >> 8 & 0xFF, blue = pixel & 0xFF;
            strays += red < 32 || red > 222 || green < 64 || green > 190 || blue < 64 || blue > 190;
        }
    };
    EXPECT_EQ(run(part_plasma, 200), 200);
    EXPECT_EQ(strays, 0);
}

}  // namespace
}  // namespace effects_test
