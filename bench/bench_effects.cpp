// Whole-frame cost of each effect at 320 x 240: the frame composed into
// frame_image as the show does it, without presenting it, beside a memcpy of
// one frame. Each benchmark cycles through its part's frames (part one's
// angles, part two's scroller and levels, part three's phases), so the time
// is the average over a run. The assets are synthetic stand-ins of the same
// sizes as the data files.
//
// Counter "allocs/frame": heap allocations made by one frame. Part one may
// allocate its two temporaries (a record and a pixel array each) and the
// lines' point lists, part two its twelve strip clones, part three nothing.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>

#include "intro/intro.h"
#include "laser/laser.h"
#include "memcpy_baseline.h"

// Under AddressSanitizer the allocator is its own: nothing is counted there.
#if defined(__SANITIZE_ADDRESS__)
#define COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef COUNT_ALLOCATIONS
#define COUNT_ALLOCATIONS 1
#endif

#if COUNT_ALLOCATIONS
// Every heap allocation of the process passes through here; glibc's own
// entry points do the work.
namespace {
size_t allocations = 0;
}
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* malloc(size_t size) noexcept {
    ++allocations;
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) noexcept {
    ++allocations;
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, size_t size) noexcept {
    ++allocations;
    return __libc_realloc(pointer, size);
}
}
#endif

namespace {

static_assert(SCREEN_HEIGHT == 240, "the benchmark runs at 320 x 240");

constexpr int32_t PICTURE_SIDE = 256;
constexpr int32_t STRIP_HEIGHT = 20;

Image* sized(int32_t width, int32_t height) {
    Image* image = img_create();
    img_resize(image, width, height);
    return image;
}

// A ring of colour on black, like the emblem part one turns.
Image* ring_picture() {
    Image* picture = sized(PICTURE_SIDE, PICTURE_SIDE);
    for (int32_t y = 0; y < PICTURE_SIDE; ++y) {
        for (int32_t x = 0; x < PICTURE_SIDE; ++x) {
            const int32_t dx = x - PICTURE_SIDE / 2, dy = y - PICTURE_SIDE / 2;
            const int32_t distance = dx * dx + dy * dy;
            if (distance > 40 * 40 && distance < 120 * 120) img_put_pixel(picture, x, y, 0x102030u * (x % 7 + 1));
        }
    }
    return picture;
}

// A 16 x 16 font with about half of each glyph lit.
Font* striped_font() {
    Font* font = font_create();
    font->glyph_width = 16;
    font->glyph_height = 16;
    font->sheet = sized(256, 128);
    for (int32_t i = 0; i < 256 * 128; ++i) font->sheet->pixels[i] = (i / 3) % 2 ? 0xFFFFFFu : 0;
    return font;
}

// Program-wide state as start-up leaves it, with synthetic assets.
struct Show {
    Show() {
        frame_image = sized(SCREEN_WIDTH, SCREEN_HEIGHT);
        for (int32_t slot = 0; slot < ROLL_COUNT; ++slot) {
            roll_images[slot] = sized(1, STRIP_HEIGHT);
            for (int32_t row = 0; row < STRIP_HEIGHT; ++row) {
                img_put_pixel(roll_images[slot], 0, row, static_cast<uint32_t>(0x0C0804 * (row + 1) + slot));
            }
        }
        intro_font = striped_font();
        font_picture = intro_font->sheet;
        rotozoom_picture = ring_picture();
        scroll_layer = sized(SCREEN_WIDTH, SCREEN_HEIGHT);
        scroll_x = SCREEN_WIDTH;
        scroll_pos = 0;
        scroll_speed = 2;
    }
    ~Show() {
        for (Image*& strip : roll_images) img_destroy(&strip);
        font_destroy(&intro_font);
        font_picture = nullptr;
        img_destroy(&rotozoom_picture);
        img_destroy(&scroll_layer);
        img_destroy(&frame_image);
    }
};

template <typename Frame>
void count_allocations(benchmark::State& state, Frame&& frame) {
#if COUNT_ALLOCATIONS
    const size_t before = allocations;
    frame();
    state.counters["allocs/frame"] = static_cast<double>(allocations - before);
#else
    (void)state;
    frame();
#endif
}

void memcpy_frame(benchmark::State& state) {
    bench::copy_loop(state, sizeof(uint32_t) * SCREEN_WIDTH * SCREEN_HEIGHT);
}
BENCHMARK(memcpy_frame);

void rotozoom_frame(benchmark::State& state) {
    Show show;
    Image* canvas = sized(SCREEN_WIDTH, SCREEN_HEIGHT);
    std::array<LaserLine*, ROTOZOOM_LASER_COUNT> lasers{};
    for (LaserLine*& laser : lasers) {
        laser = laser_create();
        laser_init(laser, canvas);
    }
    int32_t frame = 0;
    const auto next_angle = [&frame] { return 1000 - 5 * (frame++ % ROTOZOOM_FRAMES); };

    count_allocations(state, [&] { rotozoom_compose_frame(canvas, lasers.data(), next_angle()); });
    for (auto _ : state) {
        rotozoom_compose_frame(canvas, lasers.data(), next_angle());
        benchmark::ClobberMemory();
    }
    for (LaserLine*& laser : lasers) laser_destroy(&laser);
    img_destroy(&canvas);
}
BENCHMARK(rotozoom_frame);

void multiscroll_frame(benchmark::State& state) {
    Show show;
    Raster* bars = raster_create();
    raster_resize(bars, SCREEN_HEIGHT);
    Image* strip_column = sized(1, SCREEN_HEIGHT);
    scroll_speed = 0;  // the echo on standard output would time the terminal
    scroll_x = 3;      // a run of glyphs half scrolled

    count_allocations(state, [&] { multiscroll_compose_frame(bars, strip_column); });
    for (auto _ : state) {
        multiscroll_compose_frame(bars, strip_column);
        benchmark::ClobberMemory();
    }
    raster_destroy(&bars);
    img_destroy(&strip_column);
}
BENCHMARK(multiscroll_frame);

void plasma_frame(benchmark::State& state) {
    Show show;
    Raster* plasma_raster = raster_create();
    raster_resize(plasma_raster, SCREEN_HEIGHT);
    Image* text_colours = sized(SCREEN_WIDTH, SCREEN_HEIGHT);
    Image* text_layer = sized(SCREEN_WIDTH, SCREEN_HEIGHT);
    plasma_mode = static_cast<uint8_t>(state.range(0));

    count_allocations(state, [&] { plasma_compose_frame(plasma_raster, text_colours, text_layer, 16, 32); });
    for (auto _ : state) {
        plasma_compose_frame(plasma_raster, text_colours, text_layer, 16, 32);
        benchmark::ClobberMemory();
    }
    raster_destroy(&plasma_raster);
    img_destroy(&text_colours);
    img_destroy(&text_layer);
}
BENCHMARK(plasma_frame)->Arg(0)->Arg(1);  // three-channel and blue plasma

}  // namespace

BENCHMARK_MAIN();
