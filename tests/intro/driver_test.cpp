// The driver without a window: the key table, the frame tail's request
// protocol, the fade to black, and start-up and shutdown on the fake screen.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "capture.h"
#include "fake_display.h"
#include "fake_screen.h"
#include "intro/intro.h"

namespace {

class DriverTest : public testing::Test {
  protected:
    void SetUp() override {
        open_fake_display();
        request = REQUEST_NONE;
        scroll_speed = 2;
    }

    void TearDown() override {
        close_fake_display();
        request = REQUEST_NONE;
        scroll_speed = 2;
    }
};

TEST_F(DriverTest, KeyTableSetsRequestsAndSpeedsAndIgnoresEveryOtherCode) {
    for (int code = 0; code < 256; ++code) {
        request = REQUEST_NONE;
        scroll_speed = 3;  // no key sets this value
        intro_handle_key(static_cast<uint8_t>(code));
        int8_t expected_request = REQUEST_NONE;
        int32_t expected_speed = 3;
        switch (code) {
            case 27: case 'Q': case 'q': expected_request = REQUEST_QUIT; break;
            case ' ': expected_request = REQUEST_NEXT; break;
            case 'u': expected_speed = 0; break;
            case 'i': expected_speed = 1; break;
            case 'o': expected_speed = 2; break;
            case 'p': expected_speed = 4; break;
        }
        EXPECT_EQ(request, expected_request) << "code " << code;
        EXPECT_EQ(scroll_speed, expected_speed) << "code " << code;
    }
}

TEST_F(DriverTest, SpeedKeysLeaveAPendingRequestAlone) {
    request = REQUEST_NEXT;
    intro_handle_key('p');
    EXPECT_EQ(request, REQUEST_NEXT);
    EXPECT_EQ(scroll_speed, 4);
}

TEST_F(DriverTest, FrameTailPresentsPollsAndEndsThePartOnlyOnARequest) {
    img_put_pixel(frame_image, 3, 4, 0x123456);
    fake_screen::key_event = [](int32_t presented) {
        switch (presented) {
            case 1: return int32_t{'i'};
            case 3: return int32_t{' '};
            case 4: return 0;
            case 5: return int32_t{27};
            default: return -1;
        }
    };
    EXPECT_EQ(intro_frame_tail(), 0);  // speed key: the part goes on
    EXPECT_EQ(scroll_speed, 1);
    EXPECT_EQ(fake_screen::presents, 1);
    EXPECT_TRUE(img_equal(fake_screen::last_frame, frame_image));

    EXPECT_EQ(intro_frame_tail(), 0);  // still held: sets the speed again, nothing else
    EXPECT_EQ(request, REQUEST_NONE);

    EXPECT_EQ(intro_frame_tail(), 1);
    EXPECT_EQ(request, REQUEST_NEXT);

    request = REQUEST_NONE;  // as the driver does between parts
    EXPECT_EQ(intro_frame_tail(), 0);
    EXPECT_EQ(intro_frame_tail(), 1);
    EXPECT_EQ(request, REQUEST_QUIT);
    EXPECT_EQ(fake_screen::presents, 5);
}

TEST_F(DriverTest, FadeDarkensTheLastFrameToBlackOverSixtyFourFrames) {
    for (int32_t i = 0; i < SCREEN_WIDTH * SCREEN_HEIGHT; ++i) frame_image->pixels[i] = 0xFFFFFF;
    img_put_pixel(frame_image, 0, 0, 0x80FF05);
    int32_t step = 0;
    bool every_step_darkens_by_four = true;
    fake_screen::on_present = [&](const Image* frame) {
        ++step;
        const int32_t white_left = 255 - 4 * step > 0 ? 255 - 4 * step : 0;
        const uint32_t expected = static_cast<uint32_t>(white_left) * 0x010101;
        if (img_get_pixel(frame, SCREEN_WIDTH - 1, SCREEN_HEIGHT - 1) != expected) every_step_darkens_by_four = false;
    };
    fade_out();
    EXPECT_EQ(fake_screen::presents, FADE_FRAMES);
    EXPECT_TRUE(every_step_darkens_by_four);
    Image* black = img_create();
    img_resize(black, SCREEN_WIDTH, SCREEN_HEIGHT);
    EXPECT_TRUE(img_equal(fake_screen::last_frame, black));
    img_destroy(&black);
}

// Start-up and shutdown in a folder without data files: the show's state is
// set up all the same, and shutdown releases it after the fade.
TEST(DriverLifecycle, StartsWithoutDataFilesAndShutsDownAfterTheFade) {
    char folder[] = "/tmp/tarnovex-driver-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    char home[4096];
    ASSERT_NE(getcwd(home, sizeof home), nullptr);
    ASSERT_EQ(chdir(folder), 0);
    fake_screen::reset();

    captured_stdout([] { intro_init(); });
    ASSERT_NE(screen, nullptr);
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(screen->width, SCREEN_WIDTH);
    EXPECT_EQ(screen->height, SCREEN_HEIGHT);
    ASSERT_NE(frame_image, nullptr);
    EXPECT_EQ(frame_image->width, SCREEN_WIDTH);
    EXPECT_EQ(frame_image->height, SCREEN_HEIGHT);
    EXPECT_EQ(request, REQUEST_NONE);

    captured_stdout([] { intro_shutdown(); });
    EXPECT_EQ(fake_screen::presents, FADE_FRAMES);
    EXPECT_EQ(frame_image, nullptr);
    EXPECT_EQ(keys, nullptr);
    EXPECT_EQ(screen, nullptr);

    // The strips and the scroll layer are left for the process exit.
    if (scroll_layer) img_destroy(&scroll_layer);
    fake_screen::reset();
    EXPECT_EQ(chdir(home), 0);
    rmdir(folder);
}

}  // namespace
