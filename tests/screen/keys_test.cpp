#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "screen/screen.h"

namespace {

void push_key(Uint8 type, SDLKey symbol) {
    SDL_Event event{};
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = symbol;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

void press(SDLKey symbol) { push_key(SDL_KEYDOWN, symbol); }
void release(SDLKey symbol) { push_key(SDL_KEYUP, symbol); }

class KeysTest : public testing::Test {
protected:
    void SetUp() override {
        screen = screen_open();
        keys = keys_open();
        ASSERT_NE(keys, nullptr);
        keys_poll(keys);  // whatever the mode set queued
        keys->buffer[0] = 0;
    }
    void TearDown() override {
        keys_close(&keys);
        screen_close(&screen);
    }

    uint8_t polled_code() {
        keys_poll(keys);
        return keys->buffer[0];
    }

    Screen* screen = nullptr;
    KeyState* keys = nullptr;
};

TEST(KeysOpen, NeedsAnOpenScreen) { EXPECT_EQ(keys_open(), nullptr); }

TEST_F(KeysTest, OpenStartsAtZeroAndASecondOpenReturnsTheSameState) {
    EXPECT_EQ(keys_open(), keys);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(keys->buffer[i], 0) << "byte " << i;
}

TEST_F(KeysTest, APressHoldsItsCodeUntilAnyRelease) {
    press(SDLK_a);
    EXPECT_EQ(polled_code(), 'a');
    EXPECT_EQ(polled_code(), 'a');  // held: no new events, the code stays
    release(SDLK_a);
    EXPECT_EQ(polled_code(), 0);

    press(SDLK_a);
    press(SDLK_b);
    EXPECT_EQ(polled_code(), 'b');
    release(SDLK_a);  // b is still down, but any release clears the code
    EXPECT_EQ(polled_code(), 0);
    EXPECT_EQ(polled_code(), 0);
}

TEST_F(KeysTest, APressReleasedBeforeThePollIsNotSeen) {
    press(SDLK_SPACE);
    release(SDLK_SPACE);
    EXPECT_EQ(polled_code(), 0);
}

TEST_F(KeysTest, SymbolsAbove255ReadAsTheirLowByte) {
    press(SDLK_F2);
    EXPECT_EQ(polled_code(), 27);
    press(SDLK_F7);
    EXPECT_EQ(polled_code(), 32);
    press(SDLK_KP0);
    EXPECT_EQ(polled_code(), 0);
    press(SDLK_ESCAPE);
    EXPECT_EQ(polled_code(), 27);
}

TEST_F(KeysTest, OtherEventsAreDrainedWithoutEffect) {
    unsetenv("TARNOVEX_FPS");  // a program started by itself, not by the launcher
    press(SDLK_q);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 0);
    EXPECT_EQ(polled_code(), 'q');
    SDL_Event left;
    EXPECT_EQ(SDL_PollEvent(&left), 0);
}

TEST_F(KeysTest, ANullHandleLeavesTheEventsQueued) {
    press(SDLK_p);
    keys_poll(nullptr);
    EXPECT_EQ(polled_code(), 'p');
}

TEST_F(KeysTest, CloseIgnoresStaleHandlesAndReopenStartsAfresh) {
    keys_close(nullptr);
    KeyState* none = nullptr;
    keys_close(&none);

    press(SDLK_u);
    EXPECT_EQ(polled_code(), 'u');
    KeyState* copy = keys;
    keys_close(&keys);
    EXPECT_EQ(keys, nullptr);
    keys_close(&copy);  // already freed: must not be freed again
    EXPECT_NE(copy, nullptr);

    keys = keys_open();
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(keys->buffer[0], 0);
}

TEST_F(KeysTest, RecordOperationsAreTrivial) {
    EXPECT_STREQ(keys_to_text(keys), "");
    EXPECT_EQ(keys_to_text(nullptr), nullptr);
    EXPECT_EQ(keys_from_text(""), nullptr);
    EXPECT_EQ(keys_equal(keys, keys), 1);
    EXPECT_EQ(keys_equal(keys, nullptr), 0);
    EXPECT_EQ(keys_clone(keys), nullptr);
}

}  // namespace
