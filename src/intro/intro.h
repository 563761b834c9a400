// The intro: driver state, the frame tail, the start-up assets, the music and
// the three effects of the show.
//
// The screen height is a build-time setting (TARNOVEX_SCREEN_HEIGHT, 200 or
// 240); every size-dependent quantity of the effects follows it.
#pragma once

#include <array>
#include <cstdint>

#include "font/font.h"
#include "img/img.h"
#include "intro/show_length.h"
#include "raster/raster.h"
#include "screen/screen.h"

constexpr int32_t SCREEN_WIDTH = 320;
constexpr int32_t SCREEN_HEIGHT = TARNOVEX_SCREEN_HEIGHT;

// ---- Driver -------------------------------------------------------------

// Values of `request`.
constexpr int8_t REQUEST_NONE = 0;
constexpr int8_t REQUEST_QUIT = 1;
constexpr int8_t REQUEST_NEXT = 2;

extern Screen* screen;
extern KeyState* keys;
extern Image* frame_image;
extern int8_t request;
extern int32_t scroll_speed;

// intro_main, run_show, the parts (part_*), intro_frame_tail, fade_out and
// intro_shutdown lie on the web edition's way from main to its frame wait,
// which ASYNCIFY can unwind only through the functions named in
// src/web/asyncify_only.json, by these names: a function renamed, or a new
// one on that way, goes into the list too (the page stops the show with an
// error when the wait is reached off the list).
int32_t intro_main();
// Puts all the state that lives across passes back to its values at program
// start, the random sequence included, and lets go of what a finished run
// left, so that the next intro_main plays as a freshly started program.
// Only between runs.
void intro_reset();
void intro_init();
void intro_shutdown();
void intro_handle_key(uint8_t code);
void fade_out();

// The four steps that end every frame of every effect: present the frame,
// poll the keys, handle the key code, and update the music unless a request
// is pending. Returns 1 when the running effect must end now, else 0.
int32_t intro_frame_tail();

// ---- Start-up assets ----------------------------------------------------

constexpr int32_t ROLL_COUNT = 12;

extern Image* roll_images[ROLL_COUNT];
extern Image* font_picture;
extern Font* intro_font;
extern Image* rotozoom_picture;
extern Image* scroll_layer;
extern int32_t scroll_x;
extern int32_t scroll_pos;

void intro_load_assets();
void intro_release_assets();
// Lets go of the assets a finished run left for the process exit (the
// colour strips and the scroll layer) and puts the scroller's position back.
void intro_reset_assets();
// The first start-up picture the show would not find or would refuse, else
// null. Each picture is read once and let go.
const char* intro_refused_picture();

// ---- Music --------------------------------------------------------------

struct MODULE;  // libmikmod's module record
extern MODULE* music_module;

void music_start();
void music_update();
void music_stop();
// The music file's name when the show would not find it or would refuse it,
// else null. Loads it once through libmikmod's silent driver, printing
// nothing, and shuts libmikmod down again: only while no music plays.
const char* music_refused_file();

// ---- Part one: roto-zoom over laser trails ------------------------------

constexpr int32_t ROTOZOOM_LASER_COUNT = 3;

struct LaserLine;

void part_rotozoom();
// One frame of part one up to, not including, the frame tail: fades the
// canvas, moves and draws the lines, and composes the canvas and the picture
// turned and zoomed for `angle` into frame_image.
void rotozoom_compose_frame(Image* canvas, LaserLine* const lasers[ROTOZOOM_LASER_COUNT], int32_t angle);

// ---- Part two: multi-scroll raster bars ---------------------------------

struct RollLevel {
    int32_t level;     // how much the strip is darkened, 0 ... 255
    int32_t velocity;  // added to level every frame
};

extern std::array<RollLevel, ROLL_COUNT> roll_levels;
extern const char scroll_text[];

// The brightness levels back to their program-start values.
void multiscroll_reset();

void part_multiscroll();
void scroller_render();
void scroller_advance();
// One frame of part two up to, not including, the frame tail: moves the
// levels, blends the strips into `strip_column`, paints the bars through
// `bars` and masks them with the scroller.
void multiscroll_compose_frame(Raster* bars, Image* strip_column);

// ---- Part three: plasma with wobbling text ------------------------------

constexpr int32_t PLASMA_LINE_COUNT = 11;

struct Wave {
    int32_t phase;      // index into sine_table, 0 ... 1023
    int32_t speed;      // added to phase every frame
    int32_t frequency;  // index step per row or per text line
    int32_t amplitude;
};

extern Wave text_wave_y;
extern Wave text_wave_x;
extern std::array<Wave, 6> plasma_waves;  // R1, G1, B1, R2, G2, B2
extern Raster rainbow_raster;
extern const char* const plasma_lines[PLASMA_LINE_COUNT];
extern uint8_t plasma_mode;

int32_t wrap_index(int32_t value, int32_t n);
// The wave phases and the rainbow's position back to their program-start
// values.
void plasma_reset();
void part_plasma();
// One frame of part three up to, not including, the frame tail, with the
// run's raster and images and the text block's corner before wobbling.
void plasma_compose_frame(Raster* plasma_raster, Image* text_colours, Image* text_layer, int32_t centre_x,
                          int32_t centre_y);
