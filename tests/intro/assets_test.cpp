// The start-up assets from the data files the build made, and start-up with
// each of those files missing in turn.
#include <gtest/gtest.h>

#include <mikmod.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "capture.h"
#include "data_folder.h"
#include "fake_screen.h"
#include "intro/intro.h"

namespace {

using data_test::DataFolder;

constexpr const char* IMG_ERROR = "IMG error\n";

struct Output {
    std::string out;
    std::string err;
};

template <typename F>
Output captured_output(F&& f) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    f();
    Output output;
    output.err = testing::internal::GetCapturedStderr();
    output.out = testing::internal::GetCapturedStdout();
    return output;
}

// Lit pixels when the glyph of `code` is drawn into an empty 16 x 16 image.
int lit_pixels_of_glyph(int32_t code) {
    Image* cell = img_create();
    img_resize(cell, 16, 16);
    font_draw_char(intro_font, code, 0, 0, cell);
    int lit = 0;
    for (int i = 0; i < 16 * 16; ++i) lit += cell->pixels[i] != 0;
    img_destroy(&cell);
    return lit;
}

// The frame, as the driver makes it before loading the assets.
class AssetsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        frame_image = img_create();
        img_resize(frame_image, SCREEN_WIDTH, SCREEN_HEIGHT);
    }

    // The driver leaves the strips and the scroll layer to the process exit.
    void TearDown() override {
        for (Image*& strip : roll_images) {
            if (strip) img_destroy(&strip);
        }
        if (scroll_layer) img_destroy(&scroll_layer);
        img_destroy(&frame_image);
    }
};

TEST_F(AssetsTest, LoadsTheGeneratedDataQuietly) {
    const DataFolder folder;
    const Output output = captured_output([] { intro_load_assets(); });
    EXPECT_EQ(output.out, "");
    EXPECT_EQ(output.err, "");

    for (Image* strip : roll_images) {
        ASSERT_NE(strip, nullptr);
        EXPECT_EQ(strip->width, 1);
        EXPECT_EQ(strip->height, 20);
    }
    ASSERT_NE(intro_font, nullptr);
    EXPECT_EQ(intro_font->glyph_width, 16);
    EXPECT_EQ(intro_font->glyph_height, 16);
    ASSERT_NE(font_picture, nullptr);
    EXPECT_EQ(intro_font->sheet, font_picture);
    EXPECT_EQ(font_picture->width, 256);  // the 128-pixel sheet doubled
    EXPECT_EQ(font_picture->height, 128);
    ASSERT_NE(rotozoom_picture, nullptr);
    EXPECT_EQ(rotozoom_picture->width, 256);
    ASSERT_NE(scroll_layer, nullptr);
    EXPECT_EQ(scroll_layer->width, SCREEN_WIDTH);
    EXPECT_EQ(scroll_layer->height, SCREEN_HEIGHT);
    EXPECT_EQ(scroll_x, SCREEN_WIDTH);
    EXPECT_EQ(scroll_pos, 0);

    for (int32_t code = 33; code <= 122; ++code) EXPECT_GT(lit_pixels_of_glyph(code), 0) << "code " << code;
    EXPECT_EQ(lit_pixels_of_glyph(' '), 0);
    EXPECT_EQ(lit_pixels_of_glyph('\n'), 0);
    EXPECT_EQ(lit_pixels_of_glyph('A') % 4, 0) << "doubled pixels come in 2 x 2 blocks";

    const Output released = captured_output([] { intro_release_assets(); });
    EXPECT_EQ(intro_font, nullptr);
    EXPECT_EQ(font_picture, nullptr);
    EXPECT_EQ(rotozoom_picture, nullptr);
    EXPECT_EQ(released.out, "");
}

// Without its glyph sheet the show runs on without text: the loader's one
// "IMG error" line, one line on standard error naming the file, and a font
// without a sheet, which draws nothing and is released quietly.
void expect_font_without_sheet(const DataFolder&) {
    const Output output = captured_output([] { intro_load_assets(); });
    EXPECT_EQ(count_lines(output.out, IMG_ERROR), 1);
    EXPECT_EQ(data_test::count_lines(output.out), 1) << output.out;
    EXPECT_EQ(data_test::count_lines(output.err), 1) << output.err;
    EXPECT_NE(output.err.find("font8x8.pbm"), std::string::npos) << output.err;

    ASSERT_NE(intro_font, nullptr);
    EXPECT_EQ(intro_font->sheet, nullptr);
    EXPECT_EQ(font_picture, nullptr);
    EXPECT_EQ(lit_pixels_of_glyph('A'), 0);
    EXPECT_NE(rotozoom_picture, nullptr);

    const Output released = captured_output([] { intro_release_assets(); });
    EXPECT_EQ(released.out, "");
    EXPECT_EQ(intro_font, nullptr);
}

TEST_F(AssetsTest, MissingFontSheetLeavesAFontThatDrawsNothing) {
    expect_font_without_sheet(DataFolder("font8x8.pbm"));
}

TEST_F(AssetsTest, UnreadableFontSheetLeavesAFontThatDrawsNothing) {
    DataFolder folder("font8x8.pbm");
    folder.write("font8x8.pbm", {'P', '9', '\n'});
    expect_font_without_sheet(folder);
}

// Hostile data files: start-up ends in bounded time (alarm() kills one that
// blocks or reads without end) with the lines a missing file gives.
class HostileFileTest : public AssetsTest {
  protected:
    void SetUp() override {
        AssetsTest::SetUp();
        alarm(20);
    }
    void TearDown() override {
        alarm(0);
        if (intro_font) intro_release_assets();
        AssetsTest::TearDown();
    }
};

std::vector<uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

// A raw bitmap of the given size, all pixels set.
std::vector<uint8_t> raw_bitmap(int32_t width, int32_t height) {
    std::vector<uint8_t> bytes = bytes_of("P4\n" + std::to_string(width) + " " + std::to_string(height) + "\n");
    bytes.resize(bytes.size() + static_cast<size_t>((width + 7) / 8) * height, 0xFF);
    return bytes;
}

std::vector<uint8_t> raw_greymap(int32_t width, int32_t height) {
    std::vector<uint8_t> bytes = bytes_of("P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n");
    bytes.resize(bytes.size() + static_cast<size_t>(width) * height, 0x80);
    return bytes;
}

TEST_F(HostileFileTest, StripOnADeviceIsRefusedAtOnce) {
    DataFolder folder("roll1.ppm");
    std::filesystem::create_symlink("/dev/zero", "roll1.ppm");
    const Output output = captured_output([] { intro_load_assets(); });
    EXPECT_EQ(output.out, IMG_ERROR);
    EXPECT_EQ(output.err, "");
    EXPECT_EQ(roll_images[0], nullptr);
    EXPECT_NE(roll_images[1], nullptr);
}

// 2^30 + 1 pixels wide: twice that width does not fit 32 bits. The header
// alone is refused.
TEST_F(HostileFileTest, GiantFontSheetHeaderIsRefused) {
    DataFolder folder("font8x8.pbm");
    folder.write("font8x8.pbm", bytes_of("P4\n1073741825 1\n\xFF\xFF"));
    expect_font_without_sheet(folder);
}

TEST_F(HostileFileTest, SixteenBitRotatingPictureIsRefused) {
    DataFolder folder("rotoZoom.ppm");
    folder.write("rotoZoom.ppm", bytes_of("P6\n1 1\n65535\n" + std::string(6, '\x7F')));
    const Output output = captured_output([] { intro_load_assets(); });
    EXPECT_EQ(output.out, IMG_ERROR);
    EXPECT_EQ(output.err, "");
    EXPECT_EQ(rotozoom_picture, nullptr);
}

// Each picture one pixel over its limit, with all its data: the glyph sheet
// 2048, the rotating picture 4096, a colour strip 256 wide and 1024 high.
TEST_F(HostileFileTest, PicturesOverTheirLimitsAreRefused) {
    DataFolder folder;
    folder.write("font8x8.pbm", raw_bitmap(2049, 8));
    folder.write("rotoZoom.ppm", raw_greymap(8, 4097));
    folder.write("roll2.ppm", raw_greymap(257, 20));
    folder.write("roll3.ppm", raw_greymap(1, 1025));
    const Output output = captured_output([] { intro_load_assets(); });
    EXPECT_EQ(count_lines(output.out, IMG_ERROR), 4) << output.out;
    EXPECT_EQ(data_test::count_lines(output.err), 1) << output.err;
    EXPECT_EQ(intro_font->sheet, nullptr);
    EXPECT_EQ(rotozoom_picture, nullptr);
    EXPECT_EQ(roll_images[1], nullptr);
    EXPECT_EQ(roll_images[2], nullptr);
}

TEST_F(HostileFileTest, PicturesAtTheirLimitsLoad) {
    DataFolder folder;
    folder.write("font8x8.pbm", raw_bitmap(2048, 8));
    folder.write("rotoZoom.ppm", raw_greymap(4096, 8));
    folder.write("roll2.ppm", raw_greymap(256, 1024));
    const Output output = captured_output([] { intro_load_assets(); });
    EXPECT_EQ(output.out, "");
    EXPECT_EQ(output.err, "");
    ASSERT_NE(font_picture, nullptr);
    EXPECT_EQ(font_picture->width, 4096);
    EXPECT_EQ(font_picture->height, 16);
    EXPECT_NE(rotozoom_picture, nullptr);
    EXPECT_NE(roll_images[1], nullptr);
}

// Each data file missing in turn, through the whole start-up, one frame of
// every part and the shutdown: only the documented messages, and no crash.
class MissingFileTest : public ::testing::TestWithParam<std::string> {
  protected:
    void TearDown() override {
        for (Image*& strip : roll_images) {
            if (strip) img_destroy(&strip);
        }
        if (scroll_layer) img_destroy(&scroll_layer);
        fake_screen::reset();
        request = REQUEST_NONE;
    }
};

struct ShowOutput {
    Output startup;
    Output part_one;
    Output part_two;
    Output part_three;
    Output shutdown;
};

// Runs one frame of a part: a space ends it after the first present.
void one_frame_of(void (*part)()) {
    fake_screen::presents = 0;
    fake_screen::key_event = [](int32_t presented) { return presented == 1 ? int32_t{' '} : int32_t{0}; };
    part();
    request = REQUEST_NONE;
}

ShowOutput run_show_briefly() {
    fake_screen::reset();
    ShowOutput show;
    show.startup = captured_output([] { intro_init(); });
    show.part_one = captured_output([] { one_frame_of(part_rotozoom); });
    show.part_two = captured_output([] { one_frame_of(part_multiscroll); });
    show.part_three = captured_output([] { one_frame_of(part_plasma); });
    show.shutdown = captured_output([] { intro_shutdown(); });
    return show;
}

TEST_P(MissingFileTest, StartUpRunsOnWithTheDocumentedMessages) {
    const std::string missing = GetParam();
    const DataFolder folder(missing);
    const ShowOutput show = run_show_briefly();
    const auto img_errors = [](const Output& output) { return count_lines(output.out, IMG_ERROR); };

    const bool strip = missing.rfind("roll", 0) == 0;
    const bool picture = missing == "rotoZoom.ppm";
    const bool font = missing == "font8x8.pbm";
    const bool module = missing == "ocean.xm";

    EXPECT_EQ(img_errors(show.startup), module ? 0 : 1);
    EXPECT_EQ(data_test::count_lines(show.startup.err), font || module ? 1 : 0) << show.startup.err;
    if (font) {
        EXPECT_NE(show.startup.err.find("font8x8.pbm"), std::string::npos);
    }
    if (module) {
        EXPECT_EQ(show.startup.err.rfind("Error loading: ", 0), 0u);
    }

    // A null picture: rotate, scale, blit and two destroys in part one; clone,
    // darken, half blit and destroy for a strip in part two.
    EXPECT_EQ(img_errors(show.part_one), picture ? 5 : 0);
    EXPECT_EQ(img_errors(show.part_two), strip ? 4 : 0);
    EXPECT_EQ(img_errors(show.part_three), 0);
    EXPECT_EQ(img_errors(show.shutdown), picture ? 1 : 0);  // img_destroy of the null picture

    for (const Output* output : {&show.part_one, &show.part_two, &show.part_three, &show.shutdown}) {
        EXPECT_EQ(output->err, "");
    }
    EXPECT_EQ(music_module, nullptr);
    EXPECT_FALSE(Player_Active());
}

INSTANTIATE_TEST_SUITE_P(EachDataFile, MissingFileTest, ::testing::ValuesIn(data_test::data_files()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

}  // namespace
