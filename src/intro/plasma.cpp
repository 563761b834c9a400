// Part three of the show: a plasma of horizontal raster bars made from sums
// of sine waves, behind eleven wobbling text lines coloured by a rolling
// rainbow.
#include <array>
#include <cstdlib>
#include <cstring>

#include "intro/intro.h"

namespace {

constexpr Wave TEXT_WAVE_Y_START = {0, 15, 24, 16};
constexpr Wave TEXT_WAVE_X_START = {100, 11, 32, 16};
constexpr std::array<Wave, 6> PLASMA_WAVES_START = {{
    {0, -17, 1, 64},  // R1
    {0, -27, 2, 32},  // G1
    {0, -33, 3, 32},  // B1
    {0, 21, 7, 32},   // R2
    {0, 31, 8, 32},   // G2
    {0, 41, 9, 32},   // B2
}};

}  // namespace

Wave text_wave_y = TEXT_WAVE_Y_START;
Wave text_wave_x = TEXT_WAVE_X_START;
std::array<Wave, 6> plasma_waves = PLASMA_WAVES_START;

namespace {

constexpr int32_t RAINBOW_SIZE = 96;
constexpr int32_t RAMP_LENGTH = 16;
constexpr uint32_t RAMP_STEP = 0x10;
constexpr uint32_t RAMP_TOP = 0xF0;

constexpr uint32_t rgb(uint32_t red, uint32_t green, uint32_t blue) { return red << 16 | green << 8 | blue; }

// Six ramps of 16 colours, each starting on the colour the previous one ended
// on: red, yellow, green, cyan, white, magenta and back to red.
constexpr std::array<uint32_t, RAINBOW_SIZE> make_rainbow() {
    std::array<uint32_t, RAINBOW_SIZE> colours{};
    for (int32_t k = 0; k < RAMP_LENGTH; ++k) {
        const uint32_t rise = RAMP_STEP * k;
        const uint32_t fall = RAMP_TOP - RAMP_STEP * k;
        colours[0 * RAMP_LENGTH + k] = rgb(RAMP_TOP, rise, 0);
        colours[1 * RAMP_LENGTH + k] = rgb(fall, RAMP_TOP, 0);
        colours[2 * RAMP_LENGTH + k] = rgb(0, RAMP_TOP, rise);
        colours[3 * RAMP_LENGTH + k] = rgb(rise, RAMP_TOP, RAMP_TOP);
        colours[4 * RAMP_LENGTH + k] = rgb(RAMP_TOP, fall, RAMP_TOP);
        colours[5 * RAMP_LENGTH + k] = rgb(RAMP_TOP, 0, fall);
    }
    return colours;
}

constexpr std::array<uint32_t, RAINBOW_SIZE> RAINBOW_COLOURS = make_rainbow();

constexpr const char* BLANK_LINE = "                  \n";

}  // namespace

// The record only rolls its position: the table itself is read-only data and
// is never resized, freed or written.
Raster rainbow_raster = {RAINBOW_SIZE, 0, const_cast<uint32_t*>(RAINBOW_COLOURS.data())};

const char* const plasma_lines[PLASMA_LINE_COUNT] = {
    BLANK_LINE, "     TARNOVEX     \n", BLANK_LINE, "  SINE WAVES AND  \n", BLANK_LINE, " RASTER RAINBOWS! \n",
    BLANK_LINE, " WRITTEN IN C++17 \n", BLANK_LINE, "   SEE YOU SOON   \n", BLANK_LINE,
};

uint8_t plasma_mode = 0;

void plasma_reset() {
    text_wave_y = TEXT_WAVE_Y_START;
    text_wave_x = TEXT_WAVE_X_START;
    plasma_waves = PLASMA_WAVES_START;
    rainbow_raster.position = 0;
    plasma_mode = 0;
}

int32_t wrap_index(int32_t value, int32_t n) {
    if (n <= 0) return 0;
    const int32_t remainder = value % n;
    return remainder < 0 ? remainder + n : remainder;
}

namespace {

enum PlasmaWave { R1, G1, B1, R2, G2, B2 };

constexpr int32_t PLASMA_MID_LEVEL = 128;
constexpr int32_t LINE_PITCH = 16;
constexpr int32_t MAX_LINE_LENGTH = 256;
// Glyph size of the start-up font, used when there is no font to ask.
constexpr int32_t DEFAULT_GLYPH_SIZE = 16;

int32_t wave_value(const Wave& wave, int32_t step) {
    const int32_t index = wrap_index(wave.frequency * step + wave.phase, sine_table_length);
    return (sine_table[index] * wave.amplitude) >> 15;
}

void advance(Wave& wave) { wave.phase = wrap_index(wave.phase + wave.speed, sine_table_length); }

// The three-channel plasma sums two waves per channel around mid grey; the
// blue one sums the green and blue waves into a single blue level.
uint32_t plasma_colour(int32_t row) {
    const auto value = [row](PlasmaWave wave) { return wave_value(plasma_waves[wave], row); };
    if (plasma_mode == 0) {
        const int32_t red = value(R1) + value(R2) + PLASMA_MID_LEVEL;
        const int32_t green = value(G1) + value(G2) + PLASMA_MID_LEVEL;
        const int32_t blue = value(B1) + value(B2) + PLASMA_MID_LEVEL;
        return rgb(red, green, blue);
    }
    return value(G1) + value(B1) + value(G2) + value(B2) + PLASMA_MID_LEVEL;
}

void compute_plasma(Raster* plasma_raster) {
    if (!plasma_raster || !plasma_raster->colours) return;
    for (int32_t row = 0; row < plasma_raster->size; ++row) plasma_raster->colours[row] = plasma_colour(row);
}

void draw_wobbling_lines(Image* text_layer, int32_t centre_x, int32_t centre_y) {
    for (int32_t line = 0; line < PLASMA_LINE_COUNT; ++line) {
        const int32_t x = centre_x + wave_value(text_wave_x, line);
        const int32_t y = LINE_PITCH * line + centre_y + wave_value(text_wave_y, line);
        font_draw_line(intro_font, plasma_lines[line], x, y, text_layer);
    }
}

void advance_phases() {
    advance(text_wave_y);
    advance(text_wave_x);
    for (Wave& wave : plasma_waves) advance(wave);
}

int32_t glyph_width() { return intro_font ? intro_font->glyph_width : DEFAULT_GLYPH_SIZE; }
int32_t glyph_height() { return intro_font ? intro_font->glyph_height : DEFAULT_GLYPH_SIZE; }

}  // namespace

void plasma_compose_frame(Raster* plasma_raster, Image* text_colours, Image* text_layer, int32_t centre_x,
                          int32_t centre_y) {
    compute_plasma(plasma_raster);
    raster_fill(plasma_raster, frame_image);
    raster_fill(&rainbow_raster, text_colours);
    raster_advance(&rainbow_raster);
    img_clear(text_layer);
    draw_wobbling_lines(text_layer, centre_x, centre_y);
    advance_phases();
    img_and_mask(text_layer, text_colours);
    img_blit_keyed(text_colours, frame_image, 0, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
}

void part_plasma() {
    plasma_mode = static_cast<uint8_t>(std::rand() & 0xFF);
    Image* text_colours = img_create();
    img_resize(text_colours, SCREEN_WIDTH, SCREEN_HEIGHT);
    Image* text_layer = img_create();
    img_resize(text_layer, SCREEN_WIDTH, SCREEN_HEIGHT);
    Raster* plasma_raster = raster_create();
    raster_resize(plasma_raster, SCREEN_HEIGHT);

    // The block is centred from the width of line 0, without its line break.
    const auto line_length = static_cast<int32_t>(strnlen(plasma_lines[0], MAX_LINE_LENGTH)) - 1;
    const int32_t centre_x = (SCREEN_WIDTH - line_length * glyph_width()) / 2;
    const int32_t centre_y = (SCREEN_HEIGHT - glyph_height() * PLASMA_LINE_COUNT) / 2;

    for (int32_t frame = 0; frame < PLASMA_FRAMES; ++frame) {
        plasma_compose_frame(plasma_raster, text_colours, text_layer, centre_x, centre_y);
        if (intro_frame_tail()) break;
    }

    raster_destroy(&plasma_raster);
    img_destroy(&text_colours);
    img_destroy(&text_layer);
}
