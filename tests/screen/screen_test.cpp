#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "screen/screen.h"

namespace {

class ScreenTest : public testing::Test {
protected:
    void SetUp() override { screen = screen_open(); }
    void TearDown() override {
        if (screen) screen_close(&screen);
        for (Image* img : images) img_destroy(&img);
    }

    // An image whose every pixel differs from its neighbours, so a misplaced
    // row or column shows.
    Image* pattern(int32_t width, int32_t height, uint32_t seed) {
        Image* img = img_create();
        img_resize(img, width, height);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                img_put_pixel(img, x, y, ((x * 7 + seed) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | ((x + y + seed) & 0xFF));
            }
        }
        images.push_back(img);
        return img;
    }

    Screen* screen = nullptr;
    std::vector<Image*> images;
};

// What the display surface holds at (x, y), as 0x00RRGGBB, whatever its format.
uint32_t shown_pixel(int x, int y) {
    SDL_Surface* surface = SDL_GetVideoSurface();
    const SDL_PixelFormat* format = surface->format;
    const auto* row = static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch;
    uint32_t raw = 0;
    switch (format->BytesPerPixel) {
        case 2: raw = reinterpret_cast<const uint16_t*>(row)[x]; break;
        case 4: raw = reinterpret_cast<const uint32_t*>(row)[x]; break;
        default: ADD_FAILURE() << "unexpected pixel size " << int(format->BytesPerPixel);
    }
    Uint8 r, g, b;
    SDL_GetRGB(raw, surface->format, &r, &g, &b);
    return uint32_t{r} << 16 | uint32_t{g} << 8 | b;
}

// Channel by channel, the display shows `expected` as closely as its format can.
testing::AssertionResult shows(int x, int y, uint32_t expected) {
    const SDL_PixelFormat* format = SDL_GetVideoSurface()->format;
    const uint32_t actual = shown_pixel(x, y);
    const int losses[] = {format->Rloss, format->Gloss, format->Bloss};
    for (int channel = 0; channel < 3; ++channel) {
        const int shift = 16 - 8 * channel;
        const int want = (expected >> shift) & 0xFF, got = (actual >> shift) & 0xFF;
        if (std::abs(want - got) >= (1 << losses[channel])) {
            return testing::AssertionFailure() << "at (" << x << ", " << y << ") shows " << std::hex << actual
                                               << ", expected " << expected;
        }
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult shows_image(const Image* img, int width, int height) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            auto result = shows(x, y, img_get_pixel(img, x, y));
            if (!result) return result;
        }
    }
    return testing::AssertionSuccess();
}

TEST_F(ScreenTest, OpenSetsTheInitialModeAndCaption) {
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->width, 256);
    EXPECT_EQ(screen->height, 256);
    EXPECT_EQ(screen->depth, SDL_GetVideoSurface()->format->BitsPerPixel);
    char* title = nullptr;
    char* icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    EXPECT_STREQ(title, "TARNOVEX");
    EXPECT_STREQ(icon, "TARNOVEX");
}

TEST_F(ScreenTest, SecondOpenReturnsTheOpenScreenWithoutSettingAMode) {
    screen_set_mode(screen, 320, 200);
    EXPECT_EQ(screen_open(), screen);
    EXPECT_EQ(screen->width, 320);
    EXPECT_EQ(screen->height, 200);
    EXPECT_EQ(SDL_GetVideoSurface()->w, 320);
}

TEST(ScreenEnvironment, OpenAsksForPacedSharpPresentationUnlessTheUserChoseOtherwise) {
    unsetenv("SDL12COMPAT_SYNC_TO_VBLANK");
    setenv("SDL12COMPAT_SCALE_METHOD", "linear", 1);
    Screen* screen = screen_open();
    EXPECT_STREQ(std::getenv("SDL12COMPAT_SYNC_TO_VBLANK"), "1");
    EXPECT_STREQ(std::getenv("SDL12COMPAT_SCALE_METHOD"), "linear");
    screen_close(&screen);
}

// How long six frames take to show (five intervals) with the pace setting.
std::chrono::milliseconds six_frames(const char* pace) {
    setenv("TARNOVEX_FPS", pace, 1);
    Screen* screen = screen_open();
    unsetenv("TARNOVEX_FPS");
    screen_set_mode(screen, 32, 32);
    Image* frame = img_create();
    img_resize(frame, 32, 32);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 6; ++i) screen_present(screen, frame);
    const auto taken = std::chrono::steady_clock::now() - start;
    img_destroy(&frame);
    screen_close(&screen);
    return std::chrono::duration_cast<std::chrono::milliseconds>(taken);
}

// SDL's dummy driver shows frames at once: only a rate holds them.
TEST(ScreenPace, FramesWaitForTheRateAskedForAndOnlyForIt) {
    EXPECT_GE(six_frames("20").count(), 250);
    EXPECT_LT(six_frames("display").count(), 50);
}

TEST(ScreenSignals, InterruptAndTerminateStillEndTheProcess) {
    unsetenv("SDL_NO_SIGNAL_HANDLERS");
    Screen* screen = screen_open();
    for (int signal : {SIGINT, SIGTERM}) {
        struct sigaction action {};
        ASSERT_EQ(sigaction(signal, nullptr, &action), 0);
        EXPECT_EQ(action.sa_handler, SIG_DFL) << "signal " << signal;
    }
    screen_close(&screen);
}

TEST_F(ScreenTest, SetModeRecordsTheRequestedSizeAndRefusesBadArguments) {
    screen_set_mode(screen, 320, 240);
    EXPECT_EQ(SDL_GetVideoSurface()->w, 320);
    EXPECT_EQ(SDL_GetVideoSurface()->h, 240);
    screen_set_mode(screen, -1, 100);
    screen_set_mode(screen, 100, -1);
    screen_set_mode(nullptr, 100, 100);
    Screen stranger{};
    screen_set_mode(&stranger, 100, 100);
    EXPECT_EQ(stranger.width, 0);
    EXPECT_EQ(screen->width, 320);
    EXPECT_EQ(screen->height, 240);
    EXPECT_EQ(SDL_GetVideoSurface()->w, 320);
}

TEST_F(ScreenTest, PresentShowsTheFrame) {
    screen_set_mode(screen, 320, 240);
    if (const char* depth = std::getenv("TARNOVEX_EXPECT_DEPTH")) {
        EXPECT_EQ(screen->depth, std::atoi(depth));
    }
    const Image* frame = pattern(320, 240, 1);
    screen_present(screen, frame);
    EXPECT_TRUE(shows_image(frame, 320, 240));
}

TEST_F(ScreenTest, PresentRefusesFramesThatDoNotFitAndBadHandles) {
    screen_set_mode(screen, 320, 240);
    const Image* shown = pattern(320, 240, 1);
    screen_present(screen, shown);

    screen_present(screen, pattern(319, 240, 2));
    screen_present(screen, pattern(320, 239, 3));
    screen_present(screen, pattern(321, 240, 4));
    screen_present(screen, nullptr);
    Image no_pixels{320, 240, nullptr};
    screen_present(screen, &no_pixels);
    Screen stranger{320, 240, 32};
    screen_present(&stranger, pattern(320, 240, 5));
    screen_present_swap(screen, pattern(320, 239, 6));
    screen_present_blit(&stranger, pattern(320, 240, 7));
    screen_present_blit(screen, &no_pixels);

    EXPECT_TRUE(shows_image(shown, 320, 240));
}

TEST_F(ScreenTest, PresentSwapShowsTheNewFrameAndKeepsTheSurfaceMemory) {
    screen_set_mode(screen, 320, 200);
    screen_present(screen, pattern(320, 200, 1));
    void* own_pixels = SDL_GetVideoSurface()->pixels;
    const Image* next = pattern(320, 200, 9);
    screen_present_swap(screen, next);
    EXPECT_EQ(SDL_GetVideoSurface()->pixels, own_pixels);
    EXPECT_TRUE(shows_image(next, 320, 200));
}

TEST_F(ScreenTest, PresentBlitShowsTheTopLeftOfALargerImage) {
    screen_set_mode(screen, 320, 200);
    const Image* big = pattern(400, 300, 3);
    screen_present_blit(screen, big);
    EXPECT_TRUE(shows_image(big, 320, 200));
}

TEST_F(ScreenTest, PresentBlitPutsASmallerImageTopLeftOverWhatWasShown) {
    screen_set_mode(screen, 320, 200);
    const Image* before = pattern(320, 200, 1);
    screen_present(screen, before);
    const Image* small = pattern(100, 50, 77);
    screen_present_blit(screen, small);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 320; ++x) {
            const Image* expected = x < 100 && y < 50 ? small : before;
            ASSERT_TRUE(shows(x, y, img_get_pixel(expected, x, y)));
        }
    }
}

TEST_F(ScreenTest, CloseRefusesStrangersAndReopenMakesAFreshScreen) {
    screen_close(nullptr);
    Screen* none = nullptr;
    screen_close(&none);
    Screen stranger{};
    Screen* stranger_handle = &stranger;
    screen_close(&stranger_handle);
    EXPECT_EQ(stranger_handle, &stranger);
    EXPECT_STREQ(screen_to_text(screen), "");

    screen_set_mode(screen, 320, 200);
    Screen* copy = screen;
    screen_close(&screen);
    EXPECT_EQ(screen, nullptr);
    screen_close(&copy);  // a stale handle is refused, not freed twice
    EXPECT_EQ(screen_to_text(copy), nullptr);

    screen = screen_open();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->width, 256);
    EXPECT_EQ(screen->height, 256);
}

TEST_F(ScreenTest, RecordOperationsOnlyAcknowledgeTheOpenScreen) {
    Screen stranger{};
    EXPECT_STREQ(screen_to_text(screen), "");
    EXPECT_EQ(screen_to_text(&stranger), nullptr);
    EXPECT_EQ(screen_to_text(nullptr), nullptr);
    EXPECT_EQ(screen_from_text(""), nullptr);
    EXPECT_EQ(screen_equal(screen, screen), 1);
    EXPECT_EQ(screen_equal(&stranger, &stranger), 0);
    EXPECT_EQ(screen_equal(screen, nullptr), 0);
    EXPECT_EQ(screen_clone(screen), screen);
    EXPECT_EQ(screen_clone(&stranger), nullptr);
}

}  // namespace
