// The per-channel row loops: the plain form against the channel formulas, and
// on x86-64 the SSE2 form against the plain one, over every channel value at
// the edges (0, 1, 254, 255), every level and alpha, odd lengths and starts
// off the 16-byte grid. Pixels outside the run must stay as they were.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "img/pixel_rows.h"

namespace {

using Pixels = std::vector<uint32_t>;

// Every mix of the edge channel values, with and without a top byte, then
// random pixels, so that each lane of a vector sees each edge value.
Pixels edge_pixels() {
    const uint32_t edges[] = {0, 1, 254, 255};
    Pixels pixels;
    for (uint32_t top : {0u, 0xFFu})
        for (uint32_t r : edges)
            for (uint32_t g : edges)
                for (uint32_t b : edges) pixels.push_back(top << 24 | r << 16 | g << 8 | b);
    std::mt19937 random(7);
    for (int i = 0; i < 61; ++i) pixels.push_back(random());
    return pixels;
}

uint32_t channel(uint32_t pixel, int shift) { return pixel >> shift & 0xFF; }

// Builds a pixel with top byte 0 from a rule applied to each channel.
uint32_t per_channel(const std::function<uint32_t(int shift)>& rule) {
    return rule(16) << 16 | rule(8) << 8 | rule(0);
}

struct Slice {
    size_t start, count;
};

// Starts and lengths that put the run's ends on every lane of a vector.
std::vector<Slice> slices(size_t size) {
    std::vector<Slice> all;
    for (size_t start : {0, 1, 2, 3})
        for (size_t count : {size_t{0}, size_t{1}, size_t{3}, size_t{4}, size_t{5}, size_t{7}, size - 4})
            all.push_back({start, count});
    return all;
}

// Runs `run` on each slice of a copy of `pixels` and returns the copies.
std::vector<Pixels> runs_of(const Pixels& pixels, const std::function<void(uint32_t*, size_t, size_t)>& run) {
    std::vector<Pixels> results;
    for (const Slice& slice : slices(pixels.size())) {
        Pixels copy = pixels;
        run(copy.data() + slice.start, slice.start, slice.count);
        results.push_back(std::move(copy));
    }
    return results;
}

// The plain form gives the formula inside the run and nothing outside it.
void expect_formula(const Pixels& before, const std::vector<Pixels>& after,
                    const std::function<uint32_t(size_t index)>& want, const std::string& what) {
    const std::vector<Slice> all = slices(before.size());
    for (size_t which = 0; which < all.size(); ++which) {
        const auto [start, count] = all[which];
        for (size_t i = 0; i < before.size(); ++i) {
            const bool inside = i >= start && i < start + count;
            ASSERT_EQ(after[which][i], inside ? want(i) : before[i])
                << what << " start " << start << " count " << count << " pixel " << i;
        }
    }
}

TEST(PixelRows, DarkenLowersEachChannelToZeroAtEveryLevel) {
    const Pixels pixels = edge_pixels();
    for (uint32_t level = 0; level < 256; ++level) {
        const auto l = static_cast<uint8_t>(level);
        const auto plain = runs_of(pixels, [l](uint32_t* p, size_t, size_t n) { pixel_rows::darken_plain(p, n, l); });
        expect_formula(pixels, plain, [&](size_t i) {
            return per_channel([&](int shift) { return channel(pixels[i], shift) > level ? channel(pixels[i], shift) - level : 0; });
        }, "level " + std::to_string(level));
#if PIXEL_ROWS_SSE2
        EXPECT_EQ(runs_of(pixels, [l](uint32_t* p, size_t, size_t n) { pixel_rows::darken_sse2(p, n, l); }), plain)
            << "level " << level;
#endif
    }
}

TEST(PixelRows, BlendWeighsEachChannelAtEveryAlpha) {
    const Pixels pixels = edge_pixels();
    for (uint32_t colour : {0x00000000u, 0xFF01FEFFu, 0x00FFFFFFu, 0x12FE0001u, 0x00808080u}) {
        for (uint32_t alpha = 0; alpha <= 256; ++alpha) {
            const std::string what = "colour " + std::to_string(colour) + " alpha " + std::to_string(alpha);
            const auto blend_with = [&](auto blend) {
                return runs_of(pixels, [&](uint32_t* p, size_t, size_t n) { blend(p, n, colour, alpha); });
            };
            const auto plain = blend_with(pixel_rows::blend_plain);
            expect_formula(pixels, plain, [&](size_t i) {
                return per_channel([&](int shift) {
                    return (channel(pixels[i], shift) * (256 - alpha) + channel(colour, shift) * alpha) / 256;
                });
            }, what);
#if PIXEL_ROWS_SSE2
            EXPECT_EQ(blend_with(pixel_rows::blend_sse2), plain) << what;
#endif
        }
    }
}

TEST(PixelRows, HalfBlitAveragesDownAndSkipsZero) {
    const Pixels destination = edge_pixels();
    // Every edge pixel (0 among them) over every edge pixel, lane by lane.
    for (size_t shift = 0; shift < destination.size(); shift += 5) {
        Pixels source(destination.size());
        for (size_t i = 0; i < source.size(); ++i) source[i] = destination[(i + shift) % destination.size()];
        const auto blit_with = [&](auto blit) {
            return runs_of(destination, [&](uint32_t* d, size_t start, size_t n) { blit(source.data() + start, d, n); });
        };
        const auto plain = blit_with(pixel_rows::blit_half_plain);
        expect_formula(destination, plain, [&](size_t i) {
            if (source[i] == 0) return destination[i];
            return per_channel([&](int s) { return channel(source[i], s) / 2 + channel(destination[i], s) / 2; });
        }, "shift " + std::to_string(shift));
#if PIXEL_ROWS_SSE2
        EXPECT_EQ(blit_with(pixel_rows::blit_half_sse2), plain) << "shift " << shift;
#endif
    }
}

}  // namespace
