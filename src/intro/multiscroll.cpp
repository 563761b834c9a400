// Part two of the show: raster bars from twelve colour strips, seen through
// one text scroller repeated in every 20-row band of the screen. The scrolled
// text is echoed on standard output as it leaves the screen.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "intro/intro.h"

namespace {

constexpr std::array<RollLevel, ROLL_COUNT> START_LEVELS = {{
    {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}, {0, 6}, {0, 5}, {0, 4}, {0, 3}, {0, 2}, {0, 1},
}};

}  // namespace

std::array<RollLevel, ROLL_COUNT> roll_levels = START_LEVELS;

void multiscroll_reset() { roll_levels = START_LEVELS; }

// Every character, line breaks included, is drawn as its glyph and echoed
// unchanged. The closing line of spaces scrolls the last words off the
// screen before the text starts again.
const char scroll_text[] =
    "\n"
    "\n"
    "TARNOVEX PRESENTS ITS FIRST INTRO FOR LINUX\n"
    "\n"
    "\n"
    "THREE EFFECTS, ONE TRACKER TUNE AND LOTS OF SINE WAVES\n"
    "\n"
    "\n"
    "CREDITS\n"
    "\n"
    "DESIGN AND DIRECTION ....... THE LEAD\n"
    "DRIVER, SCREEN AND KEYS .... SPINE\n"
    "MUSIC PLAYBACK ............. MUSIC\n"
    "PICTURE FILES .............. PICTURES\n"
    "BLITS AND MASKS ............ COMPOSITING\n"
    "SCALING AND ROTATION ....... GEOMETRY\n"
    "RASTERS, FONT, LASERS ...... TOOLKIT\n"
    "DATA TOOLS AND ASSETS ...... DATA\n"
    "THE THREE EFFECTS .......... EFFECTS\n"
    "\n"
    "\n"
    "KEYS\n"
    "\n"
    "ESC OR Q ..... QUIT WITH A FADE TO BLACK\n"
    "SPACE ........ JUMP TO THE NEXT PART\n"
    "U ............ STOP THIS SCROLLER\n"
    "I ............ SCROLL AT 1 PIXEL A FRAME\n"
    "O ............ SCROLL AT 2 PIXELS A FRAME\n"
    "P ............ SCROLL AT 4 PIXELS A FRAME\n"
    "\n"
    "\n"
    "GREETINGS\n"
    "\n"
    "TO EVERYONE WHO STILL WRITES TRACKER MUSIC\n"
    "TO THE PEOPLE BEHIND SDL AND LIBMIKMOD\n"
    "TO ALL CODERS WHO COUNT CYCLES FOR FUN\n"
    "TO THE PIXEL ARTISTS OF EVERY SCENE\n"
    "TO THE SWAPPERS, SPREADERS AND ORGANISERS\n"
    "AND TO YOU, FOR WATCHING THIS FAR\n"
    "\n"
    "\n"
    "TECH TALK\n"
    "\n"
    "PART ONE TURNS A PICTURE WITH A 1024-STEP SINE TABLE\n"
    "AND ZOOMS IT OVER THREE BOUNCING LASER LINES\n"
    "PART TWO MIXES TWELVE COLOUR STRIPS INTO RASTER BARS\n"
    "AND SHOWS THEM THROUGH A DOZEN COPIES OF THIS TEXT\n"
    "PART THREE SUMS SIX SINE WAVES INTO A PLASMA\n"
    "WITH A ROLLING RAINBOW ON THE WOBBLING LETTERS\n"
    "\n"
    "\n"
    "NO FLOATING POINT WAS HARMED IN THE MAKING\n"
    "\n"
    "WATCH YOUR TERMINAL: THIS TEXT IS ECHOED THERE TOO\n"
    "\n"
    "\n"
    "THAT IS ALL FOR NOW, FRIENDS\n"
    "THE TEXT WRAPS AROUND IN A MOMENT\n"
    "\n"
    "\n"
    "TARNOVEX SIGNING OFF\n"
    "\n"
    "\n"
    "\n"
    "                      \n";

namespace {

constexpr int32_t BAND_HEIGHT = 20;
constexpr int32_t MAX_LEVEL = 255;
constexpr int32_t BOUNCE_SPEEDS = 8;
// Glyph size of the start-up font, used when there is no font to ask.
constexpr int32_t DEFAULT_GLYPH_SIZE = 16;

constexpr size_t scroll_text_length = sizeof(scroll_text) - 1;

int32_t glyph_width() {
    return intro_font && intro_font->glyph_width > 0 ? intro_font->glyph_width : DEFAULT_GLYPH_SIZE;
}

// Characters drawn per frame: the layer's width plus one partly scrolled off.
int32_t run_length() {
    const int32_t layer_width = scroll_layer ? scroll_layer->width : SCREEN_WIDTH;
    return layer_width / glyph_width() + 1;
}

// Moves every level by its velocity, from the last slot to the first; a level
// that passes 0 or 255 stops there and draws a new speed away from it.
void move_levels() {
    for (int32_t slot = ROLL_COUNT - 1; slot >= 0; --slot) {
        RollLevel& roll = roll_levels[slot];
        roll.level += roll.velocity;
        if (roll.level < 0) {
            roll.level = 0;
            roll.velocity = std::rand() % BOUNCE_SPEEDS + 1;
        } else if (roll.level > MAX_LEVEL) {
            roll.level = MAX_LEVEL;
            roll.velocity = -(std::rand() % BOUNCE_SPEEDS) - 1;
        }
    }
}

// Half-blends each strip, darkened by its level, into the column at its band.
// The column keeps last frame's colours, so the bars move halfway towards the
// new ones each frame.
void blend_strips(Image* strip_column) {
    for (int32_t slot = 0; slot < ROLL_COUNT; ++slot) {
        Image* strip = img_clone(roll_images[slot]);
        img_darken(strip, static_cast<uint8_t>(roll_levels[slot].level));
        img_blit_half(strip, strip_column, 0, BAND_HEIGHT * slot);
        img_destroy(&strip);
    }
}

void column_to_raster(const Image* strip_column, Raster* bars) {
    if (!strip_column || !strip_column->pixels || !bars || !bars->colours) return;
    const int32_t rows = std::min(strip_column->width * strip_column->height, bars->size);
    std::copy(strip_column->pixels, strip_column->pixels + rows, bars->colours);
}

// Copies band k over band k - 1 from the bottom band upwards, so that every
// band ends up a copy of the bottom one.
void copy_bottom_band_up(Image* layer) {
    const size_t band_pixels = static_cast<size_t>(BAND_HEIGHT) * layer->width;
    for (int32_t band = layer->height / BAND_HEIGHT - 1; band >= 1; --band) {
        const uint32_t* from = layer->pixels + band * band_pixels;
        std::copy(from, from + band_pixels, layer->pixels + (band - 1) * band_pixels);
    }
}

}  // namespace

void scroller_render() {
    if (!scroll_layer) return;
    img_clear(scroll_layer);
    if (!scroll_layer->pixels || !intro_font) return;

    const int32_t y = scroll_layer->height - intro_font->glyph_height;
    const int32_t count = run_length();
    for (int32_t i = 0; i < count; ++i) {
        const size_t index = static_cast<size_t>(scroll_pos) + i;
        if (index >= scroll_text_length) break;
        const auto code = static_cast<int8_t>(scroll_text[index]);
        font_draw_char(intro_font, code, scroll_x + i * glyph_width(), y, scroll_layer);
    }
    copy_bottom_band_up(scroll_layer);
}

void scroller_advance() {
    scroll_x -= scroll_speed;
    if (scroll_x > -glyph_width()) return;

    std::printf("%c", scroll_text[scroll_pos]);
    std::fflush(stdout);
    scroll_x = 0;  // any overshoot beyond a whole glyph is dropped
    ++scroll_pos;
    // Wrap once the run would reach past the text: the last run drawn is the
    // closing line of spaces, so the text enters again from the right edge.
    if (static_cast<size_t>(scroll_pos) + run_length() >= scroll_text_length) {
        scroll_pos = 0;
        scroll_x = frame_image ? frame_image->width : SCREEN_WIDTH;
    }
}

void multiscroll_compose_frame(Raster* bars, Image* strip_column) {
    move_levels();
    blend_strips(strip_column);
    column_to_raster(strip_column, bars);
    raster_fill(bars, frame_image);
    scroller_render();
    scroller_advance();
    img_and_mask(scroll_layer, frame_image);
}

void part_multiscroll() {
    Raster* bars = raster_create();
    raster_resize(bars, SCREEN_HEIGHT);
    Image* strip_column = img_create();
    img_resize(strip_column, 1, SCREEN_HEIGHT);

    for (int32_t frame = 0; frame < MULTISCROLL_FRAMES; ++frame) {
        multiscroll_compose_frame(bars, strip_column);
        if (intro_frame_tail()) break;
    }

    raster_destroy(&bars);
    img_destroy(&strip_column);
}
