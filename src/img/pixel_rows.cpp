// The per-channel pixel loops, plain and SSE2.
#include "img/pixel_rows.h"

#if PIXEL_ROWS_SSE2
#include <emmintrin.h>
#endif

namespace pixel_rows {

namespace {

// Red and blue are lowered together in one word, green alone in another:
// each channel sits in a lane with a guard bit above it, so
// channel + 256 - level keeps the guard bit exactly when channel >= level,
// and the guard turns into a mask that zeroes the lanes that went below 0.
uint32_t darkened(uint32_t v, uint32_t level) {
    const uint32_t rb = ((v & 0xFF00FF) | 0x1000100) - ((level << 16) | level);
    const uint32_t g = ((v & 0x00FF00) | 0x10000) - (level << 8);
    const uint32_t rb_guard = (rb >> 8) & 0x10001;
    const uint32_t g_guard = (g >> 8) & 0x100;
    return (rb & ((rb_guard << 8) - rb_guard)) | (g & ((g_guard << 8) - g_guard));
}

// Each channel becomes floor(channel / 2); no bit crosses into the next one.
constexpr uint32_t half(uint32_t p) { return (p >> 1) & 0x7F7F7F; }

uint32_t half_blended(uint32_t s, uint32_t d) { return s == 0 ? d : half(s) + half(d); }

// Red and blue are weighted together, green apart: each weighted sum is at
// most 255 * 256, so no channel spills into its neighbour and the shift by 8
// is the floor of the division by 256.
uint32_t blended(uint32_t d, uint32_t colour, uint32_t alpha) {
    const uint32_t keep = 256 - alpha;
    const uint32_t rb = (((d & 0xFF00FF) * keep + (colour & 0xFF00FF) * alpha) >> 8) & 0xFF00FF;
    const uint32_t g = (((d & 0x00FF00) * keep + (colour & 0x00FF00) * alpha) >> 8) & 0x00FF00;
    return rb | g;
}

}  // namespace

void darken_plain(uint32_t* pixels, size_t count, uint8_t level) {
    for (size_t i = 0; i < count; ++i) pixels[i] = darkened(pixels[i], level);
}

void blit_half_plain(const uint32_t* src, uint32_t* dst, size_t count) {
    for (size_t i = 0; i < count; ++i) dst[i] = half_blended(src[i], dst[i]);
}

void blend_plain(uint32_t* pixels, size_t count, uint32_t colour, uint32_t alpha) {
    for (size_t i = 0; i < count; ++i) pixels[i] = blended(pixels[i], colour, alpha);
}

#if PIXEL_ROWS_SSE2

namespace {

constexpr size_t lanes = 4;

__m128i load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
void store(uint32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// The four 16-bit lanes of one pixel, blue first, as _mm_set_epi16 wants
// them twice (highest lane first); the top byte's lane gets `top`.
__m128i per_channel(uint32_t red, uint32_t green, uint32_t blue, uint32_t top) {
    const auto r = static_cast<int16_t>(red), g = static_cast<int16_t>(green), b = static_cast<int16_t>(blue),
               t = static_cast<int16_t>(top);
    return _mm_set_epi16(t, r, g, b, t, r, g, b);
}

}  // namespace

// A saturating byte subtraction is max(channel - level, 0) in every byte;
// subtracting 255 from the top byte clears it.
void darken_sse2(uint32_t* pixels, size_t count, uint8_t level) {
    const uint32_t l = level;
    const __m128i lowering = _mm_set1_epi32(static_cast<int32_t>(0xFF000000u | l << 16 | l << 8 | l));
    size_t i = 0;
    for (; i + lanes <= count; i += lanes) store(pixels + i, _mm_subs_epu8(load(pixels + i), lowering));
    darken_plain(pixels + i, count - i, level);
}

void blit_half_sse2(const uint32_t* src, uint32_t* dst, size_t count) {
    const __m128i low_bits = _mm_set1_epi32(0x7F7F7F);
    const __m128i zero = _mm_setzero_si128();
    size_t i = 0;
    for (; i + lanes <= count; i += lanes) {
        const __m128i s = load(src + i), d = load(dst + i);
        const __m128i transparent = _mm_cmpeq_epi32(s, zero);
        const __m128i sum = _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(s, 1), low_bits),
                                          _mm_and_si128(_mm_srli_epi32(d, 1), low_bits));
        store(dst + i, _mm_or_si128(_mm_and_si128(transparent, d), _mm_andnot_si128(transparent, sum)));
    }
    blit_half_plain(src + i, dst + i, count - i);
}

// Channels widened to 16 bits: d * (256 - alpha) + colour * alpha is at most
// 255 * 256, so it fits a 16-bit lane, and the weights of the top byte's lane
// are 0.
void blend_sse2(uint32_t* pixels, size_t count, uint32_t colour, uint32_t alpha) {
    const uint32_t keep = 256 - alpha;
    const __m128i keep_weights = per_channel(keep, keep, keep, 0);
    const __m128i colour_part = per_channel((colour >> 16 & 0xFF) * alpha, (colour >> 8 & 0xFF) * alpha,
                                            (colour & 0xFF) * alpha, 0);
    const __m128i zero = _mm_setzero_si128();
    const auto weigh = [&](__m128i channels) {
        return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(channels, keep_weights), colour_part), 8);
    };
    size_t i = 0;
    for (; i + lanes <= count; i += lanes) {
        const __m128i d = load(pixels + i);
        store(pixels + i, _mm_packus_epi16(weigh(_mm_unpacklo_epi8(d, zero)), weigh(_mm_unpackhi_epi8(d, zero))));
    }
    blend_plain(pixels + i, count - i, colour, alpha);
}

#endif

}  // namespace pixel_rows
