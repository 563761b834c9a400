// Pixels per second of the per-frame image operations. Each operation has a
// memcpy beside it as the floor: memcpy/N copies N pixels, so it moves the
// bytes of an operation that reads one picture of N pixels and writes one;
// the blits and the mask read two frames and write one, the bytes of
// memcpy/115200 (one and a half frames). Reference rows do the same work
// with pixman's nearest scaling, SDL_SoftStretch and SDL's colour-keyed blit.
// Run: bench_img --benchmark_repetitions=15 --benchmark_enable_random_interleaving=true
// and compare the minimum of each row.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdint>
#include <memory>
#include <random>

#include "img/img.h"
#include "memcpy_baseline.h"

namespace {

constexpr int32_t frame_width = 320;
constexpr int32_t frame_height = 240;
constexpr int64_t frame_pixels = int64_t{frame_width} * frame_height;
// The rotation result of a 256 x 256 picture, which part one scales.
constexpr int32_t turned_side = 361;

struct ImageDeleter {
    void operator()(Image* img) const { img_destroy(&img); }
};
using Picture = std::unique_ptr<Image, ImageDeleter>;

Picture blank(int32_t width, int32_t height) {
    Picture p(img_create());
    img_resize(p.get(), width, height);
    return p;
}

// Random colours with about one pixel in four 0, like a picture with
// transparent parts, so the keyed operations take both paths.
Picture speckled(int32_t width, int32_t height) {
    Picture p = blank(width, height);
    std::mt19937 random(1);
    for (int64_t i = 0; i < int64_t{width} * height; ++i) {
        const uint32_t colour = random() & 0xFFFFFF;
        p->pixels[i] = (random() & 3) == 0 ? 0 : colour;
    }
    return p;
}

void count_pixels(benchmark::State& state, int64_t pixels_per_iteration) {
    state.SetItemsProcessed(state.iterations() * pixels_per_iteration);
    state.SetBytesProcessed(state.iterations() * pixels_per_iteration * int64_t{sizeof(uint32_t)});
}

void BM_memcpy(benchmark::State& state) {
    const auto pixels = static_cast<size_t>(state.range(0));
    bench::copy_loop(state, pixels * sizeof(uint32_t));
    count_pixels(state, static_cast<int64_t>(pixels));
}

// Makes and frees the result each time, as the roto-zoom does every frame.
// Five angles: the turn, and with it the order the source is read in, sets
// the cost.
void BM_img_rotate(benchmark::State& state) {
    Picture src = speckled(256, 256);
    const auto angle = static_cast<int32_t>(state.range(0));
    int64_t pixels = 0;
    for (auto _ : state) {
        Image* rotated = img_rotate(src.get(), angle);
        pixels = int64_t{rotated->width} * rotated->height;
        benchmark::DoNotOptimize(rotated->pixels);
        img_destroy(&rotated);
    }
    count_pixels(state, pixels);
}

// Scales the rotation result of a 256 x 256 picture.
void BM_img_scale(benchmark::State& state) {
    Picture src = speckled(turned_side, turned_side);
    const auto side = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        Image* scaled = img_scale(src.get(), side, side);
        benchmark::DoNotOptimize(scaled->pixels);
        img_destroy(&scaled);
    }
    count_pixels(state, int64_t{side} * side);
}

// pixman's nearest-neighbour scaling of the same picture into a result made
// once beforehand.
void BM_pixman_nearest_scale(benchmark::State& state) {
    Picture src = speckled(turned_side, turned_side);
    const auto side = static_cast<int32_t>(state.range(0));
    Picture dst = blank(side, side);
    pixman_image_t* from = pixman_image_create_bits(PIXMAN_x8r8g8b8, turned_side, turned_side, src->pixels,
                                                    turned_side * 4);
    pixman_image_t* to = pixman_image_create_bits(PIXMAN_x8r8g8b8, side, side, dst->pixels, side * 4);
    pixman_transform_t transform;
    const pixman_fixed_t ratio = pixman_double_to_fixed(double{turned_side} / side);
    pixman_transform_init_scale(&transform, ratio, ratio);
    pixman_image_set_transform(from, &transform);
    pixman_image_set_filter(from, PIXMAN_FILTER_NEAREST, nullptr, 0);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, from, nullptr, to, 0, 0, 0, 0, 0, 0, side, side);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(from);
    pixman_image_unref(to);
    count_pixels(state, int64_t{side} * side);
}

// An SDL surface over an image's pixels, with the image's channel layout.
SDL_Surface* surface_of(Image* img) {
    return SDL_CreateRGBSurfaceFrom(img->pixels, img->width, img->height, 32, img->width * 4, 0xFF0000, 0x00FF00,
                                    0x0000FF, 0);
}

void BM_SDL_SoftStretch(benchmark::State& state) {
    Picture src = speckled(turned_side, turned_side);
    const auto side = static_cast<int32_t>(state.range(0));
    Picture dst = blank(side, side);
    SDL_Surface* from = surface_of(src.get());
    SDL_Surface* to = surface_of(dst.get());
    for (auto _ : state) {
        if (SDL_SoftStretch(from, nullptr, to, nullptr) != 0) state.SkipWithError(SDL_GetError());
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(from);
    SDL_FreeSurface(to);
    count_pixels(state, int64_t{side} * side);
}

void BM_img_blit_keyed(benchmark::State& state) {
    Picture src = speckled(frame_width, frame_height);
    Picture frame = blank(frame_width, frame_height);
    for (auto _ : state) {
        img_blit_keyed(src.get(), frame.get(), 0, 0, 0, 0, frame_width, frame_height);
        benchmark::ClobberMemory();
    }
    count_pixels(state, frame_pixels);
}

// The same blit by SDL, with 0 as the colour key.
void BM_SDL_keyed_blit(benchmark::State& state) {
    Picture src = speckled(frame_width, frame_height);
    Picture frame = blank(frame_width, frame_height);
    SDL_Surface* from = surface_of(src.get());
    SDL_Surface* to = surface_of(frame.get());
    SDL_SetColorKey(from, SDL_SRCCOLORKEY, 0);
    for (auto _ : state) {
        if (SDL_BlitSurface(from, nullptr, to, nullptr) != 0) state.SkipWithError(SDL_GetError());
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(from);
    SDL_FreeSurface(to);
    count_pixels(state, frame_pixels);
}

void BM_img_blit_half(benchmark::State& state) {
    Picture src = speckled(frame_width, frame_height);
    Picture frame = speckled(frame_width, frame_height);
    for (auto _ : state) {
        img_blit_half(src.get(), frame.get(), 0, 0);
        benchmark::ClobberMemory();
    }
    count_pixels(state, frame_pixels);
}

void BM_img_and_mask(benchmark::State& state) {
    Picture mask = speckled(frame_width, frame_height);
    Picture frame = speckled(frame_width, frame_height);
    for (auto _ : state) {
        img_and_mask(mask.get(), frame.get());
        benchmark::ClobberMemory();
    }
    count_pixels(state, frame_pixels);
}

// Darkening is branch-free, so a frame that has turned black costs as much
// as a coloured one and needs no restoring between passes (the timer's
// pause and resume would cost more than the operation).
void BM_img_darken(benchmark::State& state) {
    Picture frame = speckled(frame_width, frame_height);
    for (auto _ : state) {
        img_darken(frame.get(), 100);
        benchmark::ClobberMemory();
    }
    count_pixels(state, frame_pixels);
}

// A full frame of spans, one per row, as the raster fill paints it.
void BM_img_hline(benchmark::State& state) {
    Picture frame = blank(frame_width, frame_height);
    uint32_t colour = 0;
    for (auto _ : state) {
        for (int32_t y = 0; y < frame_height; ++y) img_hline(frame.get(), ++colour, y, 0, frame_width - 1);
        benchmark::ClobberMemory();
    }
    count_pixels(state, frame_pixels);
}

void BM_img_hline_blend(benchmark::State& state) {
    Picture frame = speckled(frame_width, frame_height);
    uint32_t colour = 0;
    for (auto _ : state) {
        for (int32_t y = 0; y < frame_height; ++y)
            img_hline_blend(frame.get(), ++colour, y, 0, frame_width - 1, 96);
        benchmark::ClobberMemory();
    }
    count_pixels(state, frame_pixels);
}

}  // namespace

BENCHMARK(BM_img_rotate)->Arg(0)->Arg(37)->Arg(128)->Arg(301)->Arg(700);
BENCHMARK(BM_memcpy)->Arg(turned_side * turned_side);
BENCHMARK(BM_img_scale)->Arg(575)->Arg(64);
BENCHMARK(BM_pixman_nearest_scale)->Arg(575)->Arg(64);
BENCHMARK(BM_SDL_SoftStretch)->Arg(575)->Arg(64);
BENCHMARK(BM_memcpy)->Arg(575 * 575)->Arg(64 * 64);
BENCHMARK(BM_img_blit_keyed);
BENCHMARK(BM_SDL_keyed_blit);
BENCHMARK(BM_img_blit_half);
BENCHMARK(BM_img_and_mask);
BENCHMARK(BM_img_darken);
BENCHMARK(BM_img_hline);
BENCHMARK(BM_img_hline_blend);
BENCHMARK(BM_memcpy)->Arg(frame_pixels)->Arg(frame_pixels * 3 / 2);

BENCHMARK_MAIN();
