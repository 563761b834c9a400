// The whole show through intro_main: start-up from data files, the three
// parts in turn, the keys, and the fade-out. Each presented frame is told
// apart by what only its part draws.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "capture.h"
#include "effects_fixture.h"

namespace effects_test {
namespace {

constexpr const char* ROLL_FILES[ROLL_COUNT] = {"roll1.ppm", "roll2.ppm", "roll3.ppm", "roll4.ppm",
                                                "roll5.ppm", "roll6.ppm", "roll7.ppm", "roll8.ppm",
                                                "roll9.ppm", "rolla.ppm", "rollb.ppm", "rollc.ppm"};

std::string raw_ppm(int32_t width, int32_t height, uint32_t colour) {
    std::string bytes = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (int32_t i = 0; i < width * height; ++i) {
        bytes += {static_cast<char>(colour >> 16), static_cast<char>(colour >> 8), static_cast<char>(colour)};
    }
    return bytes;
}

// An 8 x 8 glyph sheet for codes 0 ... 127, sixteen glyphs a row; doubled at
// start-up it becomes the pattern font of the effect tests.
std::string raw_pbm_font() {
    constexpr int32_t CELL = GLYPH / 2, WIDTH = 16 * CELL, HEIGHT = 8 * CELL;
    std::string bytes = "P4\n" + std::to_string(WIDTH) + " " + std::to_string(HEIGHT) + "\n";
    for (int32_t y = 0; y < HEIGHT; ++y) {
        for (int32_t byte = 0; byte < WIDTH / 8; ++byte) {
            unsigned bits = 0;
            for (int32_t bit = 0; bit < 8; ++bit) {
                const int32_t x = byte * 8 + bit;
                const int32_t code = y / CELL * 16 + x / CELL;
                if (pattern_lit(code, 2 * (x % CELL), 2 * (y % CELL))) bits |= 0x80u >> bit;
            }
            bytes += static_cast<char>(bits);
        }
    }
    return bytes;
}

bool band_tops_black(const Image* frame) {
    for (int32_t y = 0; y < frame->height; ++y) {
        if (y % BAND >= BAND - GLYPH) continue;
        for (int32_t x = 0; x < frame->width; ++x) {
            if (img_get_pixel(frame, x, y)) return false;
        }
    }
    return true;
}

// Apart from the rainbow text, every row of the plasma is one colour.
bool rows_one_colour_behind_rainbow(const Image* frame) {
    for (int32_t y = 0; y < frame->height; ++y) {
        std::set<uint32_t> background;
        for (int32_t x = 0; x < frame->width; ++x) {
            const uint32_t pixel = img_get_pixel(frame, x, y);
            if (!is_rainbow_colour(pixel)) background.insert(pixel);
        }
        if (background.size() > 1) return false;
    }
    return true;
}

char part_of(const Image* frame) {
    if (img_get_pixel(frame, SCREEN_WIDTH / 2, SCREEN_HEIGHT / 2) == PICTURE_COLOUR) return '1';
    if (band_tops_black(frame)) return '2';
    if (rows_one_colour_behind_rainbow(frame)) return '3';
    return '?';
}

// Runs of equal parts: "1112" gives (1, 3), (2, 1).
std::vector<std::pair<char, int32_t>> runs_of(const std::string& parts) {
    std::vector<std::pair<char, int32_t>> runs;
    for (char part : parts) {
        if (runs.empty() || runs.back().first != part) runs.push_back({part, 0});
        ++runs.back().second;
    }
    return runs;
}

class ShowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char path[] = "/tmp/tarnovex-show-XXXXXX";
        ASSERT_NE(mkdtemp(path), nullptr);
        folder = path;
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        home = cwd;
        for (int32_t slot = 0; slot < ROLL_COUNT; ++slot) write(ROLL_FILES[slot], raw_ppm(1, BAND, strip_colour(slot)));
        write("font8x8.pbm", raw_pbm_font());
        write("rotoZoom.ppm", raw_ppm(8, 8, PICTURE_COLOUR));
        ASSERT_EQ(chdir(folder.c_str()), 0);

        fake_screen::reset();
        request = REQUEST_NONE;
        scroll_speed = 2;
        program_start.restore();
        std::srand(1);
    }

    void TearDown() override {
        // The strips and the scroll layer are left to the process exit.
        for (Image*& strip : roll_images) {
            if (strip) img_destroy(&strip);
        }
        if (scroll_layer) img_destroy(&scroll_layer);
        fake_screen::reset();
        request = REQUEST_NONE;
        scroll_speed = 2;
        program_start.restore();

        EXPECT_EQ(chdir(home.c_str()), 0);
        for (const char* name : ROLL_FILES) std::remove((folder + "/" + name).c_str());
        std::remove((folder + "/font8x8.pbm").c_str());
        std::remove((folder + "/rotoZoom.ppm").c_str());
        rmdir(folder.c_str());
    }

    void write(const std::string& name, const std::string& bytes) {
        FILE* file = std::fopen((folder + "/" + name).c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }

    std::string folder, home;
};

TEST_F(ShowTest, PartsRunInTurnAndAgainSpeedLastsAndQuitInPartTwoFadesFromIt) {
    const int32_t speed_key = ROTOZOOM_FRAMES + 99;                  // in part two
    const int32_t second_part_two = PASS_FRAMES + ROTOZOOM_FRAMES + 1;     // its first frame
    const int32_t quit = second_part_two + 5;                        // its sixth frame
    fake_screen::key_event = key_script({{speed_key, 'p'}, {speed_key + 1, 0}, {quit, 'q'}});

    std::string parts;
    std::vector<std::pair<int32_t, int32_t>> scroll;  // speed and offset in the second part two
    Image* quit_frame = nullptr;
    Image* first_fade_frame = nullptr;
    fake_screen::on_present = [&](const Image* frame) {
        const int32_t presented = fake_screen::presents;
        if (presented <= quit) parts += part_of(frame);
        if (presented >= second_part_two && presented <= quit) scroll.push_back({scroll_speed, scroll_x});
        if (presented == quit) quit_frame = img_clone(frame);
        if (presented == quit + 1) first_fade_frame = img_clone(frame);
    };

    int32_t status = 0;
    const std::string out = captured_stdout([&] { status = intro_main(); });

    EXPECT_EQ(status, 1);
    EXPECT_EQ(fake_screen::presents, quit + FADE_FRAMES);
    const std::vector<std::pair<char, int32_t>> expected = {{'1', ROTOZOOM_FRAMES}, {'2', MULTISCROLL_FRAMES},
                                                            {'3', PLASMA_FRAMES},   {'1', ROTOZOOM_FRAMES},
                                                            {'2', 6}};
    EXPECT_EQ(runs_of(parts), expected);

    ASSERT_EQ(scroll.size(), 6u);
    for (size_t i = 1; i < scroll.size(); ++i) {
        EXPECT_EQ(scroll[i].first, 4);
        if (scroll[i].second == 0) continue;  // a character left: the offset restarts at 0
        EXPECT_EQ(scroll[i].second, scroll[i - 1].second - 4);
    }

    ASSERT_NE(quit_frame, nullptr);
    ASSERT_NE(first_fade_frame, nullptr);
    img_darken(quit_frame, 4);
    EXPECT_TRUE(img_equal(first_fade_frame, quit_frame));
    EXPECT_EQ(std::count(fake_screen::last_frame->pixels,
                         fake_screen::last_frame->pixels + SCREEN_WIDTH * SCREEN_HEIGHT, 0u),
              SCREEN_WIDTH * SCREEN_HEIGHT);
    img_destroy(&quit_frame);
    img_destroy(&first_fade_frame);

    EXPECT_FALSE(out.empty());
    EXPECT_EQ(out, std::string(scroll_text, out.size())) << "only the scroll text, from its start";
}

TEST_F(ShowTest, HeldSpaceFlashesEachPartForOneFrame) {
    fake_screen::key_event = key_script({{1, ' '}, {6, 'q'}});
    std::string parts;
    fake_screen::on_present = [&](const Image* frame) {
        if (fake_screen::presents <= 6) parts += part_of(frame);
    };
    int32_t status = 0;
    captured_stdout([&] { status = intro_main(); });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(parts, "123123");
    EXPECT_EQ(fake_screen::presents, 6 + FADE_FRAMES);
}

TEST_F(ShowTest, ResetAfterARunGivesBackTheStateOfProgramStart) {
    // Into part two, speed 4, on into part three, quit there.
    fake_screen::key_event = key_script({{2, ' '}, {3, 0}, {5, 'p'}, {6, 0}, {8, ' '}, {9, 0}, {12, 'q'}});
    captured_stdout([] { intro_main(); });
    ASSERT_NE(scroll_layer, nullptr);
    ASSERT_EQ(scroll_speed, 4);

    intro_reset();

    const LastingState now = LastingState::capture();
    for (int32_t slot = 0; slot < ROLL_COUNT; ++slot) {
        EXPECT_EQ(now.levels[slot].level, program_start.levels[slot].level) << "slot " << slot;
        EXPECT_EQ(now.levels[slot].velocity, program_start.levels[slot].velocity) << "slot " << slot;
    }
    EXPECT_EQ(now.wave_y.phase, program_start.wave_y.phase);
    EXPECT_EQ(now.wave_x.phase, program_start.wave_x.phase);
    for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(now.plasma[i].phase, program_start.plasma[i].phase) << "wave " << i;
    EXPECT_EQ(now.rainbow_position, program_start.rainbow_position);
    EXPECT_EQ(scroll_speed, 2);
    EXPECT_EQ(request, REQUEST_NONE);
    EXPECT_EQ(scroll_pos, 0);
    EXPECT_EQ(scroll_layer, nullptr);
    EXPECT_TRUE(std::all_of(std::begin(roll_images), std::end(roll_images), [](Image* strip) { return !strip; }));
}

}  // namespace
}  // namespace effects_test
