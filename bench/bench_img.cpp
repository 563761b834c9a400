// Pixels per second of the per-frame image operations. Each operation has a
// memcpy of the bytes it writes beside it as the floor: moving the result
// through memory once. Run: bench_img --benchmark_min_time=0.5
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "img/img.h"

namespace {

constexpr int32_t frame_width = 320;
constexpr int32_t frame_height = 240;
constexpr int64_t frame_pixels = int64_t{frame_width} * frame_height;

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

// The floor: copying as many pixels as the operation writes.
void BM_memcpy(benchmark::State& state) {
    const auto pixels = static_cast<size_t>(state.range(0));
    std::vector<uint32_t> from(pixels, 0x123456), to(pixels);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), pixels * sizeof(uint32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    count_pixels(state, static_cast<int64_t>(pixels));
}

// Makes and frees the result each time, as the roto-zoom does every frame.
void BM_img_rotate(benchmark::State& state) {
    Picture src = speckled(256, 256);
    int32_t angle = 0;
    int64_t pixels = 0;
    for (auto _ : state) {
        Image* rotated = img_rotate(src.get(), angle++);
        pixels = int64_t{rotated->width} * rotated->height;
        benchmark::DoNotOptimize(rotated->pixels);
        img_destroy(&rotated);
    }
    count_pixels(state, pixels);
}

// Scales the 361 x 361 rotation result of a 256 x 256 picture.
void BM_img_scale(benchmark::State& state) {
    Picture src = speckled(361, 361);
    const auto side = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        Image* scaled = img_scale(src.get(), side, side);
        benchmark::DoNotOptimize(scaled->pixels);
        img_destroy(&scaled);
    }
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

// The frame is restored outside the timing before every pass: darkened over
// and over it would turn black, and a black frame hides the cost of the
// channels that stop at 0.
void BM_img_darken(benchmark::State& state) {
    const Picture original = speckled(frame_width, frame_height);
    Picture frame = speckled(frame_width, frame_height);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(frame->pixels, original->pixels, frame_pixels * sizeof(uint32_t));
        state.ResumeTiming();
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

BENCHMARK(BM_img_rotate);
BENCHMARK(BM_memcpy)->Arg(361 * 361);
BENCHMARK(BM_img_scale)->Arg(575)->Arg(64);
BENCHMARK(BM_memcpy)->Arg(575 * 575)->Arg(64 * 64);
BENCHMARK(BM_img_blit_keyed);
BENCHMARK(BM_img_blit_half);
BENCHMARK(BM_img_and_mask);
BENCHMARK(BM_img_darken);
BENCHMARK(BM_img_hline);
BENCHMARK(BM_img_hline_blend);
BENCHMARK(BM_memcpy)->Arg(frame_pixels);

BENCHMARK_MAIN();
