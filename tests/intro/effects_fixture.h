// Program-wide state for running the effects on the fake screen: a screen of
// the build's size, the frame, and small synthetic assets whose pixels the
// tests can predict. State the effects keep across passes is put back to its
// program-start values before every test, so tests do not depend on order.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <set>
#include <utility>
#include <vector>

#include "fake_display.h"
#include "fake_screen.h"
#include "intro/intro.h"

namespace effects_test {

constexpr int32_t GLYPH = 16;
constexpr int32_t BAND = 20;
constexpr uint32_t INK = 0xFFFFFF;
// Colour of the 1 x 1 picture part one turns: it has three non-zero
// channels, which no laser colour has, and a green level no bar reaches.
constexpr uint32_t PICTURE_COLOUR = 0xC0C0C0;

// Glyph pixels of the pattern font: a few per row, none for the space and
// the line break, so the scroll text has both gaps and letters.
inline bool pattern_lit(int32_t code, int32_t x, int32_t y) {
    if (code == ' ' || code == '\n') return false;
    return (x + 2 * y + code) % 3 == 0;
}

// Every glyph of the dot font, the space included, is one pixel at the
// cell's top-left corner, so a drawn line shows exactly where it starts.
inline bool dot_lit(int32_t, int32_t x, int32_t y) { return x == 0 && y == 0; }

// A 16 x 16 glyph sheet for codes 0 ... 127, sixteen glyphs a row.
inline Image* make_sheet(bool (*lit)(int32_t, int32_t, int32_t)) {
    Image* sheet = img_create();
    img_resize(sheet, 16 * GLYPH, 8 * GLYPH);
    for (int32_t code = 0; code < 128; ++code) {
        for (int32_t y = 0; y < GLYPH; ++y) {
            for (int32_t x = 0; x < GLYPH; ++x) {
                if (lit(code, x, y)) img_put_pixel(sheet, code % 16 * GLYPH + x, code / 16 * GLYPH + y, INK);
            }
        }
    }
    return sheet;
}

inline Font* make_font(bool (*lit)(int32_t, int32_t, int32_t)) {
    Font* font = font_create();
    font->glyph_width = GLYPH;
    font->glyph_height = GLYPH;
    font->sheet = make_sheet(lit);
    return font;
}

inline Image* make_solid(int32_t width, int32_t height, uint32_t colour) {
    Image* image = img_create();
    img_resize(image, width, height);
    for (int32_t i = 0; i < width * height; ++i) image->pixels[i] = colour;
    return image;
}

// Strip colours: every slot distinct, green never above 0x80.
inline uint32_t strip_colour(int32_t slot) {
    return static_cast<uint32_t>(0x20 + 0x10 * slot) << 16 | 0x80 << 8 | static_cast<uint32_t>(0xF0 - 0x10 * slot);
}

inline uint32_t half(uint32_t pixel) { return (pixel >> 1) & 0x7F7F7F; }

inline uint32_t darkened(uint32_t pixel, int32_t level) {
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int32_t channel = static_cast<int32_t>(pixel >> shift & 0xFF) - level;
        result |= static_cast<uint32_t>(channel > 0 ? channel : 0) << shift;
    }
    return result;
}

// The rainbow as six ramps of 16: red, yellow, green, cyan, white, magenta.
inline uint32_t rainbow(int32_t index) {
    const uint32_t k = index % 96 % 16, rise = 0x10 * k, fall = 0xF0 - 0x10 * k;
    switch (index % 96 / 16) {
        case 0: return 0xF00000 | rise << 8;
        case 1: return fall << 16 | 0x00F000;
        case 2: return 0x00F000 | rise;
        case 3: return rise << 16 | 0x00F0F0;
        case 4: return 0xF000F0 | fall << 8;
        default: return 0xF00000 | fall;
    }
}

inline bool is_rainbow_colour(uint32_t pixel) {
    static const std::set<uint32_t> colours = [] {
        std::set<uint32_t> all;
        for (int32_t i = 0; i < 96; ++i) all.insert(rainbow(i));
        return all;
    }();
    return colours.count(pixel) != 0;
}

// The state that lives across passes, as the program starts with it.
struct LastingState {
    std::array<RollLevel, ROLL_COUNT> levels;
    Wave wave_y;
    Wave wave_x;
    std::array<Wave, 6> plasma;
    int32_t rainbow_position;

    static LastingState capture() {
        LastingState state{};
        for (int32_t i = 0; i < ROLL_COUNT; ++i) state.levels[i] = roll_levels[i];
        state.wave_y = text_wave_y;
        state.wave_x = text_wave_x;
        for (int32_t i = 0; i < 6; ++i) state.plasma[i] = plasma_waves[i];
        state.rainbow_position = rainbow_raster.position;
        return state;
    }

    void restore() const {
        for (int32_t i = 0; i < ROLL_COUNT; ++i) roll_levels[i] = levels[i];
        text_wave_y = wave_y;
        text_wave_x = wave_x;
        for (int32_t i = 0; i < 6; ++i) plasma_waves[i] = plasma[i];
        rainbow_raster.position = rainbow_position;
    }
};

// Taken during static initialisation, before any test runs an effect.
inline const LastingState program_start = LastingState::capture();

inline std::function<int32_t(int32_t)> space_at(int32_t presented) {
    return [presented](int32_t now) { return now == presented ? int32_t{' '} : 0; };
}

// Key script from a list of (present, code) events; 0 releases the key.
inline std::function<int32_t(int32_t)> key_script(std::vector<std::pair<int32_t, uint8_t>> events) {
    return [events](int32_t now) {
        for (const auto& [at, code] : events) {
            if (at == now) return int32_t{code};
        }
        return -1;
    };
}

class EffectsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        open_fake_display();
        for (int32_t slot = 0; slot < ROLL_COUNT; ++slot) roll_images[slot] = make_solid(1, BAND, strip_colour(slot));
        intro_font = make_font(pattern_lit);
        font_picture = intro_font->sheet;
        rotozoom_picture = make_solid(1, 1, PICTURE_COLOUR);
        scroll_layer = img_create();
        img_resize(scroll_layer, SCREEN_WIDTH, SCREEN_HEIGHT);
        scroll_x = SCREEN_WIDTH;
        scroll_pos = 0;
        scroll_speed = 2;
        request = REQUEST_NONE;
        program_start.restore();
        std::srand(1);
    }

    void TearDown() override {
        for (Image*& strip : roll_images) {
            if (strip) img_destroy(&strip);
        }
        font_destroy(&intro_font);
        font_picture = nullptr;
        if (rotozoom_picture) img_destroy(&rotozoom_picture);
        img_destroy(&scroll_layer);
        close_fake_display();
        request = REQUEST_NONE;
        scroll_speed = 2;
        program_start.restore();
    }

    // Runs a part until the space key ends it after `frames` presents (or it
    // ends by itself first; 0 lets it run its course) and returns the number
    // of frames presented. The request the part ended with is kept in
    // `ended_with` and cleared, as the driver does.
    static int32_t run(void (*part)(), int32_t frames) {
        fake_screen::presents = 0;
        fake_screen::key_event = space_at(frames);
        part();
        ended_with = request;
        request = REQUEST_NONE;
        keys->buffer[0] = 0;  // the space is let go before the next run
        return fake_screen::presents;
    }

    static inline int8_t ended_with = REQUEST_NONE;

    static void use_dot_font() {
        font_destroy(&intro_font);
        intro_font = make_font(dot_lit);
        font_picture = intro_font->sheet;
    }
};

}  // namespace effects_test
